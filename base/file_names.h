// Rules for names that a setup list or setting turns into file names.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace boot {

// A name of one file in one folder: not empty, no "\", "/", ":" or other
// character that Windows refuses in a name, not "." or "..", and not a
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an
// extension). Anything else could reach outside the folder it is joined
// to, or talk to a device.
bool IsPlainFileName(std::string_view name);

// `name` with the extension ".001" to ".999" for `n` from 1 to 999: the
// names tried in turn for a file or folder that must be a new one.
std::string WithNumberExtension(std::string_view name, int n);

// Plain file names joined by "\": a path that stays inside the directory
// it is joined to (no drive, root, "." or ".." part).
bool IsRelativePath(std::string_view path);

// True when the last component of `path` has an extension.
bool HasExtension(std::string_view path);

// One spelling of a path for comparisons: "/" as "\", "." and ".." parts
// resolved (never above the root), upper case. A path without a drive or
// a leading "\\" is taken in `base`, a directory ending in "\".
std::string NormalPath(std::string_view path, std::string_view base);

// True when `path` lies in the directory `dir` (ending in "\") or below.
bool IsBelow(std::string_view path, std::string_view dir);

// A path as part of a command line: quoted when it holds a blank, since
// unquoted the platform would split it, or start a program from a
// shorter path.
std::string QuotedPath(const std::string& path);

// The program part of a Setup key ("MAIN.EXE /Q" gives "MAIN.EXE") and
// the switches after it.
std::pair<std::string, std::string> SplitProgramAndSwitches(std::string_view command);

}  // namespace boot
