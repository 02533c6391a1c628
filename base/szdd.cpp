#include "szdd.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "szdd_format.h"

namespace szdd {
namespace {

using namespace format;

std::uint32_t ReadLe32(std::string_view s, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(s[at + i]);
  }
  return value;
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}
char ToAsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char ToAsciiUpper(char c) {
  return IsAsciiLower(c) ? static_cast<char>(c - 32) : c;
}

// ---------------------------------------------------------------- decoding

// The output doubles as the window: ring slot `slot` holds the byte written
// (write - slot) mod 4096 bytes ago (4096 when slot is the write index), or
// the initial space when the output is not that long yet.
void CopyMatch(std::string& out, std::size_t at, std::size_t slot, std::size_t length) {
  std::size_t distance = (kFirstWrite + at - slot) & kRingMask;
  if (distance == 0) distance = kWindow;
  char* dst = out.data() + at;
  if (distance <= at) {
    const char* src = dst - distance;
    for (std::size_t k = 0; k < length; ++k) dst[k] = src[k];  // overlap repeats bytes
    return;
  }
  for (std::size_t k = 0; k < length; ++k) {
    dst[k] = (at + k >= distance) ? out[at + k - distance] : ' ';
  }
}

std::string Decode(std::string_view stream, std::uint32_t promised) {
  const auto* in = reinterpret_cast<const unsigned char*>(stream.data());
  const std::size_t size = stream.size();
  // A header may lie: never trust it beyond what the stream can yield.
  const std::size_t yieldBound = size <= std::numeric_limits<std::size_t>::max() / 9
                                     ? size * 9
                                     : std::numeric_limits<std::size_t>::max() - kMaxGroupOutput;
  std::string out(std::min<std::size_t>(promised, yieldBound) + kMaxGroupOutput, '\0');
  std::size_t pos = 0;
  std::size_t at = 0;
  while (pos < size) {
    unsigned flags = in[pos++];
    if (out.size() - at < kMaxGroupOutput) out.resize(std::max(out.size() * 2, at + kMaxGroupOutput));
    for (int bit = 0; bit < 8 && pos < size; ++bit, flags >>= 1) {
      if (flags & 1) {
        out[at++] = static_cast<char>(in[pos++]);
        continue;
      }
      if (size - pos < 2) return out.substr(0, at);  // half a pair ends the stream
      const std::size_t slot = in[pos] | ((in[pos + 1] & 0xF0u) << 4);
      const std::size_t length = (in[pos + 1] & 0x0Fu) + kMinMatch;
      pos += 2;
      CopyMatch(out, at, slot, length);
      at += length;
    }
  }
  out.resize(at);
  return out;
}


}  // namespace

std::optional<Header> ParseHeader(std::string_view file) {
  if (file.size() < kHeaderSize || file.substr(0, kMagic.size()) != kMagic || file[8] != kModeA) {
    return std::nullopt;
  }
  return Header{file[9], ReadLe32(file, 10)};
}

Expansion Expand(std::string_view file) {
  const std::optional<Header> header = ParseHeader(file);
  if (!header) return {std::string(file), true};
  std::string data = Decode(file.substr(kHeaderSize), header->length);
  const bool complete = data.size() == header->length;
  return {std::move(data), complete};
}

std::string CompressedName(const std::string& name) {
  std::string result = name;
  if (!result.empty()) result.back() = '_';
  return result;
}

std::string TwinName(const std::string& path) {
  // No backslash: npos + 1 is the start.
  const std::size_t dot = path.find('.', path.rfind('\\') + 1);
  if (dot == std::string::npos) return path + "._";
  if (path.size() - dot - 1 < 3) return path + "_";
  return CompressedName(path);
}

std::string ExpandedName(const std::string& path, std::string_view content) {
  const std::optional<Header> header = ParseHeader(content);
  // The first dot of the base name; none without a separator: npos + 1 is the start.
  const std::size_t dot = path.find('.', path.find_last_of("/\\:") + 1);
  std::string result = path;
  if (!header || dot == std::string::npos) return result;
  char stored = header->storedChar;
  if (dot + 1 == result.size() || (result.back() == '_' && stored == '\0')) {
    result.pop_back();
  } else if (result.back() == '_') {
    // A letter takes the case of the name's last letter.
    bool lower = true;
    for (auto at = path.rbegin(); at != path.rend(); ++at) {
      if (IsAsciiLetter(*at)) {
        lower = IsAsciiLower(*at);
        break;
      }
    }
    if (IsAsciiLetter(stored)) stored = lower ? ToAsciiLower(stored) : ToAsciiUpper(stored);
    result.back() = stored;
  }
  return result;
}

}  // namespace szdd
