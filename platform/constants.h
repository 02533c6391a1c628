// Numeric values of the platform's API that cross the seam unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Messages.
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmNcPaint = 0x0085;
inline constexpr std::uint32_t kWmNcActivate = 0x0086;
inline constexpr std::uint32_t kWmTimer = 0x0113;

// Message boxes: types and answers.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbOkWarning = 0x30;
inline constexpr unsigned kMbOkCancelWarning = 0x31;
inline constexpr unsigned kMbAbortRetryIgnoreWarning = 0x32;
inline constexpr unsigned kMbYesNoWarning = 0x34;
inline constexpr unsigned kMbRetryCancelWarning = 0x35;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;

// ShowWindow commands.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;

// System metrics.
inline constexpr int kSmCxScreen = 0;
inline constexpr int kSmCyScreen = 1;
inline constexpr int kSmCyCaption = 4;

// Window styles.
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsDlgFrame = 0x00400000;
inline constexpr std::uint32_t kDsModalFrame = 0x00000080;
inline constexpr std::uint32_t kWsExDlgModalFrame = 0x00000001;

// Class styles and system colours.
inline constexpr std::uint32_t kClassStyle = 0x080B;  // V/HREDRAW, DBLCLKS, SAVEBITS
inline constexpr int kColorWindow = 5;
inline constexpr int kColorBtnFace = 15;

// Painting.
inline constexpr int kTransparent = 1;
inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr unsigned kDtCenter = 0x1;
inline constexpr unsigned kDtVCenter = 0x4;
inline constexpr unsigned kDtSingleLine = 0x20;
inline constexpr unsigned kDtNoPrefix = 0x800;

// The longest path that the platform's file calls take: MAX_PATH less
// its terminator. Shorter limits of older calls are not the seam's.
inline constexpr std::size_t kLongestPath = 259;
// The longest source path that the version library's install is sure to
// open: Windows' opens it with the LZ library's own open, which keeps a
// path in 128 characters (Wine's takes longer ones).
inline constexpr std::size_t kLongestInstallSource = 127;

// Error codes.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorWriteProtect = 19;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorModNotFound = 126;
inline constexpr std::uint32_t kErrorDirNotEmpty = 145;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorFileTooLarge = 223;
inline constexpr std::uint32_t kErrorFilenameExcedRange = 206;
inline constexpr std::uint32_t kErrorDirectory = 267;  // not a directory
inline constexpr std::uint32_t kErrorResourceDataNotFound = 1812;

// LZ errors.
inline constexpr std::int64_t kLzErrorBadInHandle = -1;
inline constexpr std::int64_t kLzErrorBadOutHandle = -2;
inline constexpr std::int64_t kLzErrorRead = -3;
inline constexpr std::int64_t kLzErrorWrite = -4;

// Installing by version: request flags and result bits.
inline constexpr std::uint32_t kViffForceInstall = 0x1;
inline constexpr std::uint32_t kViffDontDeleteOld = 0x2;
inline constexpr std::uint32_t kVifTempFile = 0x1;
inline constexpr std::uint32_t kVifMismatch = 0x2;
inline constexpr std::uint32_t kVifSrcOld = 0x4;
inline constexpr std::uint32_t kVifDiffLang = 0x8;
inline constexpr std::uint32_t kVifDiffCodePage = 0x10;
inline constexpr std::uint32_t kVifDiffType = 0x20;
inline constexpr std::uint32_t kVifWriteProt = 0x40;
inline constexpr std::uint32_t kVifFileInUse = 0x80;
inline constexpr std::uint32_t kVifOutOfSpace = 0x100;
inline constexpr std::uint32_t kVifAccessViolation = 0x200;
inline constexpr std::uint32_t kVifSharingViolation = 0x400;
inline constexpr std::uint32_t kVifCannotCreate = 0x800;
inline constexpr std::uint32_t kVifCannotDelete = 0x1000;
inline constexpr std::uint32_t kVifCannotRename = 0x2000;
inline constexpr std::uint32_t kVifCannotDeleteCur = 0x4000;
inline constexpr std::uint32_t kVifOutOfMemory = 0x8000;
inline constexpr std::uint32_t kVifCannotReadSrc = 0x10000;
inline constexpr std::uint32_t kVifCannotReadDst = 0x20000;
inline constexpr std::uint32_t kVifBuffTooSmall = 0x40000;
inline constexpr std::uint32_t kVifCannotLoadLz32 = 0x80000;
inline constexpr std::uint32_t kVifCannotLoadCabinet = 0x100000;

}  // namespace platform
