// Rules for names that a setup list or setting turns into file names.
#pragma once

#include <string_view>

namespace boot {

// A name of one file in one folder: not empty, no "\", "/", ":" or other
// character that Windows refuses in a name, not "." or "..", and not a
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an
// extension). Anything else could reach outside the folder it is joined
// to, or talk to a device.
bool IsPlainFileName(std::string_view name);

// True when the last component of `path` has an extension.
bool HasExtension(std::string_view path);

}  // namespace boot
