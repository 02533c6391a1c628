// The one copy primitive: copies a file from the media, expanding it when
// it is LZ-compressed. The primitive only reports what happened; the
// wrappers below it show the boxes and write the log's entries.
#pragma once

#include <cstdint>
#include <string>

#include "boot_state.h"

namespace boot {

struct CopyResult {
  CopyOutcome outcome = CopyOutcome::kNotCopied;
  std::uint32_t error = 0;  // the platform's error of a destination failure
};

// The source cannot be opened, or opened but did not expand whole: the
// media's fault, which a retry of the destination does not mend.
inline bool IsSourceFailure(CopyOutcome outcome) {
  return outcome == CopyOutcome::kSourceUnreadable || outcome == CopyOutcome::kExpansionFailed;
}

// Copies `source` to `destination`, never over it unless `overwrite`, and
// shows nothing. The copy goes to a new file beside the destination first,
// so a failed copy never damages a good file already in place.
CopyResult ExpandCopyWithError(BootState& state, const std::string& source, const std::string& destination,
                               bool overwrite);

// The first half of ExpandCopyWithError: the expansion of `source` in a new
// file beside `destination`, named in `staging` when it is copied. The
// caller owns that file.
CopyResult ExpandToStaging(BootState& state, const std::string& source, const std::string& destination,
                           bool overwrite, std::string& staging);

// The message that starts the box for a source that cannot be read: a
// path longer than the platform's file calls take is never called missing.
int SourceFailureId(const std::string& source);

// The box for a source that cannot be opened, and its "400" log entry.
void ReportCopyError(BootState& state, const std::string& source, const std::string& destination);

// The box for a source that opened but did not expand whole, and its
// "400" log entry.
void ReportExpansionError(BootState& state, const std::string& source, const std::string& destination);

// ExpandCopyWithError that shows the box of a source failure, with its
// "400" entry; a destination failure is only reported back.
CopyOutcome ExpandCopy(BootState& state, const std::string& source, const std::string& destination,
                       bool overwrite);

// The install-error box: what could not be installed where, `detail`,
// and `extra` when it is set. Offers Retry, and Ignore unless NoIgnore is
// set; the answer.
int ShowInstallError(BootState& state, const std::string& source, const std::string& destination,
                     const std::string& detail, const std::string& extra);

// ExpandCopy that also shows the install-error box for a destination that
// cannot be written, with its "400" entry, and copies again while the
// user retries. For a destination failure, `answer` receives the last
// answer. With `staged`, the copy stops short of replacing the destination
// and the staged file's path goes there.
CopyOutcome ExpandCopyAsking(BootState& state, const std::string& source, const std::string& destination,
                             bool overwrite, int& answer, std::string* staged = nullptr);

}  // namespace boot
