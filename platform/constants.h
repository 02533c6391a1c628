// Numeric values of the platform's API that cross the seam unchanged.
#pragma once

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
inline constexpr unsigned kMbAbortRetryIgnoreWarning = 0x32;
inline constexpr unsigned kMbRetryCancelWarning = 0x35;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;

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
inline constexpr std::uint32_t kErrorDirectory = 267;  // not a directory

// LZ errors.
inline constexpr std::int64_t kLzErrorBadInHandle = -1;
inline constexpr std::int64_t kLzErrorBadOutHandle = -2;
inline constexpr std::int64_t kLzErrorRead = -3;
inline constexpr std::int64_t kLzErrorWrite = -4;

}  // namespace platform
