// The one copy primitive: copies a file from the media, expanding it when
// it is LZ-compressed.
#pragma once

#include <string>

#include "boot_state.h"

namespace boot {

inline constexpr int kCopied = 1;
inline constexpr int kNotCopied = 0;
inline constexpr int kCopyFailed = -1;  // already reported to the user

// 1 copied; 0 not copied and nothing shown (destination present and no
// overwrite, or destination that cannot be created or replaced); -1 the
// source cannot be opened or its expansion failed, after the error box.
// The copy goes to a file beside the destination first, so a failed copy
// never damages a good file already in place.
int ExpandCopy(BootState& state, const std::string& source, const std::string& destination,
               bool overwrite);

// The box for a source that cannot be opened, and its "400" log entry.
void ReportCopyError(BootState& state, const std::string& source, const std::string& destination);

}  // namespace boot
