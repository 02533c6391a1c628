// The host build's view of the program's string table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace resources {

std::optional<std::string> LookUpString(int id);
std::size_t StringCount();

}  // namespace resources
