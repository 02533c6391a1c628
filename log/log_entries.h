// The setup log's keys and values, spelled once for every writer: other
// programs read the log, so not a byte of them may change.
#pragma once

namespace boot::logged {

// Keys of the run's own steps.
inline constexpr char kTitle[] = "A";
inline constexpr char kWindowsVersion[] = "V";
inline constexpr char kExcludedWindows[] = "OS";
inline constexpr char kVersionLibrary[] = "Ver";
inline constexpr char kListForm[] = "VB";
inline constexpr char kWindowsDir[] = "1";
inline constexpr char kSystemDir[] = "2";
inline constexpr char kSourceDir[] = "3";
inline constexpr char kCommand[] = "Cmd";
inline constexpr char kLaunchError[] = "L";
inline constexpr char kTimer[] = "T";
inline constexpr char kWaitOver[] = "C";
inline constexpr char kSetupDeleted[] = "DS";
inline constexpr char kTempDirRemoved[] = "DT";

// Prefixes of a path in the key.
inline constexpr char kCtl3dCopy[] = "3d,";
inline constexpr char kVersionCopy[] = "Ver,";
inline constexpr char kImage[] = "Img,";

// Suffixes of a registration's command in the key.
inline constexpr char kLibraryRegistered[] = "(DLLReg)";
inline constexpr char kProgramRegistered[] = "(EXEReg)";
inline constexpr char kRegistryImported[] = "(RegEdit)";

inline constexpr char kYes[] = "1";
inline constexpr char kNo[] = "0";
// The list form entry: the sectioned list, or the plain list's prefix.
inline constexpr char kSectionedForm[] = "4";
inline constexpr char kPlainForm[] = "3,";

// Values under a file's path.
inline constexpr char kInstalled[] = "100";  // by version; under a registration: the program ended
inline constexpr char kCopied[] = "101";
inline constexpr char kKept[] = "102";       // copy-if-missing done
inline constexpr char kNotNewerVersion[] = "200";
inline constexpr char kNoSourceVersion[] = "201";
inline constexpr char kNotNewerDate[] = "202";
inline constexpr char kSameVersion[] = "203";
inline constexpr char kInUse[] = "210";
inline constexpr char kOutOfSpace[] = "211";
inline constexpr char kWriteProtected[] = "212";
inline constexpr char kInUseSkipped[] = "300";
inline constexpr char kCopyFailed[] = "400";
inline constexpr char kSourceMissing[] = "402";
inline constexpr char kRefused[] = "403";
inline constexpr char kPathTooLong[] = "404";
inline constexpr char kSourceNotNewer[] = "501";
inline constexpr char kNoToolkit[] = "NoToolkit";

}  // namespace boot::logged
