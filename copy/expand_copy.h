// The one copy primitive: copies a file from the media, expanding it when
// it is LZ-compressed.
#pragma once

#include <cstdint>
#include <string>

#include "boot_state.h"

namespace boot {

inline constexpr int kCopied = 1;
inline constexpr int kNotCopied = 0;
inline constexpr int kCopyFailed = -1;         // already reported to the user
inline constexpr int kDestinationFailed = -2;  // nothing shown yet

struct CopyResult {
  int result = kNotCopied;
  std::uint32_t error = 0;  // the platform's error of a destination failure
};

// 1 copied; 0 the destination exists and `overwrite` is false; -1 the
// source cannot be opened or its expansion failed, after the error box;
// -2 the destination cannot be created or replaced (in use, read-only,
// disk full), with the platform's error and without a box. The copy goes
// to a new file beside the destination first, so a failed copy never
// damages a good file already in place.
CopyResult ExpandCopyWithError(BootState& state, const std::string& source, const std::string& destination,
                               bool overwrite);
inline int ExpandCopy(BootState& state, const std::string& source, const std::string& destination,
                      bool overwrite) {
  return ExpandCopyWithError(state, source, destination, overwrite).result;
}

// The message that starts the box for a source that cannot be read: a
// path longer than the platform's file calls take is never called missing.
int SourceFailureId(const std::string& source);

// The first half of ExpandCopyWithError: the expansion of `source` in a new
// file beside `destination`, named in `staging` when the result is 1. The
// caller owns that file.
CopyResult ExpandToStaging(BootState& state, const std::string& source, const std::string& destination,
                           bool overwrite, std::string& staging);

// The box for a source that cannot be opened, and its "400" log entry.
void ReportCopyError(BootState& state, const std::string& source, const std::string& destination);

// The box for a source that opened but did not expand whole, and its
// "400" log entry.
void ReportExpansionError(BootState& state, const std::string& source, const std::string& destination);

// The install-error box: what could not be installed where, `detail`,
// and `extra` when it is set. Offers Retry, and Ignore unless NoIgnore is
// set; the answer.
int ShowInstallError(BootState& state, const std::string& source, const std::string& destination,
                     const std::string& detail, const std::string& extra);

// ExpandCopy that shows the install-error box for a destination that
// cannot be written, with its "400" entry, and copies again while the
// user retries. For kDestinationFailed, `answer` receives the last answer.
// With `staged`, the copy stops short of replacing the destination and
// the staged file's path goes there.
int ExpandCopyAsking(BootState& state, const std::string& source, const std::string& destination,
                     bool overwrite, int& answer, std::string* staged = nullptr);

}  // namespace boot
