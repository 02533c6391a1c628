// Ids of the program's string table (resources/strings.def).
#pragma once

namespace boot::ids {

inline constexpr int kBootSetup = 100;
inline constexpr int kDialogTitle = 101;
inline constexpr int kDialogColor = 102;
inline constexpr int kDialogWidth = 103;
inline constexpr int kDialogHeight = 104;
inline constexpr int kDialogMessage = 105;
inline constexpr int kDialogStyle = 106;
inline constexpr int kSetupDistName = 107;
inline constexpr int kSetupFileName = 108;
inline constexpr int kErrorMessageLaunch = 110;
inline constexpr int kFile = 112;
inline constexpr int kErrorMessageInstall = 113;
inline constexpr int kListExtension = 114;
inline constexpr int kVersionCheck = 115;
inline constexpr int kErrorMessageInstallOther = 116;
inline constexpr int kUseTempDir = 117;
inline constexpr int kErrorMessageTempDir = 118;
inline constexpr int kNoIgnore = 119;
inline constexpr int kTempDir = 120;
inline constexpr int kSetupLog = 121;
inline constexpr int kSetupLogFile = 122;
inline constexpr int kDeleteSetup = 123;
inline constexpr int kImageFile = 124;
inline constexpr int kDialog3d = 125;
inline constexpr int kVBCompatible = 126;
inline constexpr int kBootstrapSection = 127;
inline constexpr int kBootstrapFile = 128;
inline constexpr int kWinSysPathMacro = 129;
inline constexpr int kWinPathMacro = 130;
inline constexpr int kSetupSection = 131;
inline constexpr int kSetupKey = 132;
inline constexpr int kRequires = 133;
inline constexpr int kErrorMessageRequires = 134;
inline constexpr int kFileSubDir = 135;
inline constexpr int kDllSelfRegisterMacro = 136;
inline constexpr int kExeSelfRegisterMacro = 137;
inline constexpr int kExcludeWinOS = 138;
inline constexpr int kExcludeWinOSMessage = 139;

inline constexpr int kSetupError = 201;
inline constexpr int kInstallationAborted = 202;
inline constexpr int kUnableToLocateSource = 203;
inline constexpr int kErrorLaunching = 204;
inline constexpr int kUnableToInstall = 209;
inline constexpr int kFileInUse = 210;
inline constexpr int kOutOfDiskSpace = 211;
inline constexpr int kInstallTo = 212;
inline constexpr int kWriteProtected = 216;
inline constexpr int kGeneralCopyError = 217;
inline constexpr int kErrorPrefix = 218;
inline constexpr int kUnableToDeleteTempDir = 219;
inline constexpr int kDeleteTempDirManually = 220;
inline constexpr int kRequiredFileMissing = 221;
inline constexpr int kInsertDisk = 222;
inline constexpr int kNotForThisWindows = 223;
inline constexpr int kContinueAnyway = 224;
inline constexpr int kUnableToCreateTempDir = 225;
inline constexpr int kNotAPlainFileName = 226;
inline constexpr int kOutOfMemory = 227;
inline constexpr int kPathTooLong = 228;

inline constexpr int kDefaultMessage1 = 301;
inline constexpr int kDefaultTitle = 302;
inline constexpr int kDefaultSetupDistName = 303;
inline constexpr int kDefaultSetupFileName = 304;
inline constexpr int kDefaultLogFile = 305;
inline constexpr int kSetupListName = 306;

}  // namespace boot::ids
