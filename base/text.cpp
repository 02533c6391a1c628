#include "text.h"

#include <cstdint>

namespace boot {

std::string GetField(std::string_view source, int n, char separator) {
  if (n <= 0) return {};
  int field = 1;
  std::size_t start = 0;
  while (true) {
    std::size_t end = source.find(separator, start);
    if (field == n) {
      return std::string(source.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    }
    if (end == std::string_view::npos) return {};
    start = end + 1;
    ++field;
  }
}

void AddTrailingBackslash(std::string& path) {
  if (path.empty() || path.back() != '\\') path += '\\';
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

[[gnu::noinline]] std::string Decimal(long long value) {
  char digits[24];
  char* start = digits + sizeof digits;
  const unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value) : value;
  // Four 16-bit pieces divided by 10 in 32-bit steps: a 32-bit target has
  // no 64-bit division, and the library's routine for it costs 750 bytes.
  std::uint32_t pieces[4] = {static_cast<std::uint32_t>(magnitude >> 48),
                             static_cast<std::uint32_t>(magnitude >> 32) & 0xFFFF,
                             static_cast<std::uint32_t>(magnitude >> 16) & 0xFFFF,
                             static_cast<std::uint32_t>(magnitude) & 0xFFFF};
  bool more = true;
  while (more) {
    std::uint32_t remainder = 0;
    more = false;
    for (std::uint32_t& piece : pieces) {
      const std::uint32_t part = (remainder << 16) | piece;
      piece = part / 10;
      remainder = part % 10;
      more = more || piece != 0;
    }
    *--start = static_cast<char>('0' + remainder);
  }
  if (value < 0) *--start = '-';
  return std::string(start, digits + sizeof digits);
}

std::string TwoDigits(int value) {
  const std::string digits = Decimal(value < 0 ? -static_cast<long long>(value) : value);
  std::string text(value < 0 ? "-" : "");
  if (digits.size() < 2) text += '0';
  text += digits;
  return text;
}

int ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;  // wraps like the platform's conversion, never overflows
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

}  // namespace boot
