// Whether a program or library file carries an Authenticode signature:
// read from the PE headers' security directory alone, without checking
// the signature itself (osslsigncode verify does that).
#pragma once

#include <string_view>

namespace pe {

// "MZ" with a PE header behind it: a Windows program or library.
bool IsImage(std::string_view file);

// The security directory entry is set and points inside the file to a
// WIN_CERTIFICATE of type PKCS#7 signed data that fits in the entry.
// Never reads outside `file`.
bool HasAuthenticodeSignature(std::string_view file);

}  // namespace pe
