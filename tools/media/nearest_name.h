// The known name nearest to a mistyped one, for "did you mean" hints.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace media {

// Edits (insert, delete, replace, swap of neighbours) that turn `a` into
// `b`, letters compared without case.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The name of `known` fewest edits away from `name`, when it is close
// enough to be a slip (at most a third of its length, and 2 at least);
// empty otherwise.
std::string NearestName(std::string_view name, const std::vector<std::string>& known);

}  // namespace media
