// Small text helpers shared by every part of the bootstrapper.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace boot {

// Field n (from 1) of a text split by one separator; empty fields count,
// and a missing field gives an empty text.
std::string GetField(std::string_view source, int n, char separator);

void AddTrailingBackslash(std::string& path);

// Letters a to z only, as the directory rules expect.
std::string ToUpperAscii(std::string text);

// Decimal number in the manner of atoi: leading blanks, one sign, digits
// up to the first other character; no digits give 0.
int ParseLeadingInt(std::string_view text);

// Decimal text of a number. One out-of-line function: the standard
// library's conversion is expanded at every call.
std::string Decimal(long long value);

// Decimal with at least two digits, as "%02d" gives it.
std::string TwoDigits(int value);

// A setting text of at most one character counts as not set.
inline bool IsSet(std::string_view value) { return value.size() > 1; }

}  // namespace boot
