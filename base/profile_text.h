// Profile (INI) file engine of the simulated machine: pure functions over
// the bytes of one file. The caller reads and writes the file and resolves
// its name; these functions only parse and edit text, the way the Windows
// profile calls do (in-place edits, everything else kept byte for byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace profile {

// fileText: the file's bytes, or nullopt when the file does not exist.
// The result is cut to capacity - 1 characters (capacity 0 gives "").
std::string ReadString(const std::optional<std::string>& fileText,
                       std::string_view section, std::string_view key,
                       std::string_view defaultText, std::size_t capacity);

// The value's leading decimal number modulo 2^32; defaultValue when the
// value is missing or empty, 0 when it has no leading digits.
std::uint32_t ReadInt(const std::optional<std::string>& fileText,
                      std::string_view section, std::string_view key,
                      int defaultValue);

// The file's new text after writing key=value into section.
std::string WriteString(const std::optional<std::string>& fileText,
                        std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace profile
