// The names of a manifest checked line by line before its values are read:
// a section header without its "]", a section or key the builder does not
// know, a setting the bootstrapper never reads. Each finding names the line
// and, where one is near, the name that was probably meant.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace media {

struct LineError {
  int line = 0;  // from 1
  std::string text;
};

std::vector<LineError> CheckManifestNames(const std::string& text);

// The BootSetup keys the bootstrapper reads, from its own catalogue and
// string table; a numbered key is listed by its name without the number.
struct SettingNames {
  std::vector<std::string> plain;
  std::vector<std::string> numbered;
};
SettingNames BootstrapperSettings();

// The characters the bootstrapper keeps of the value of its setting `key`
// (a numbered one with its number); 0 for a number or a key it never reads.
// ImageFile is kept to the room of the described program.
std::size_t SettingLength(const std::string& key);

}  // namespace media
