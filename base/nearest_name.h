// The nearest of some known names to a mistyped one, for messages such as
// "did you mean `UseTempDir`?". Used by the media tools, not the program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace boot {

// Edits (insert, delete, replace one character, or swap two neighbours)
// that turn one text into the other, letters compared without case.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The known name fewest edits away from `name`, when that is close enough
// to be a typo (at most a third of the longer name, and at least one edit
// allowed); empty otherwise. The first of equally near names wins.
std::string NearestName(std::string_view name, const std::vector<std::string>& known);

}  // namespace boot
