#include "szdd.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <vector>

namespace szdd {
namespace {

constexpr std::string_view kMagic{"SZDD\x88\xF0\x27\x33", 8};
constexpr char kModeA = 'A';

// The LZSS ring shared by both directions.
constexpr std::size_t kWindow = 4096;
constexpr std::size_t kRingMask = kWindow - 1;
constexpr std::size_t kFirstWrite = kWindow - 16;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kMaxGroupOutput = 8 * kMaxMatch;  // one flag byte's worth

std::uint32_t ReadLe32(std::string_view s, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(s[at + i]);
  }
  return value;
}

void AppendLe32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
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

// ---------------------------------------------------------------- match finding

struct Match {
  std::size_t length = 0;
  std::size_t distance = 0;  // 1..4096 bytes back
};

// Exact longest-match search over the sliding window. The text is the
// window's initial spaces, then the data, then kMaxMatch bytes of padding so
// every key is a full kMaxMatch bytes long (callers clamp lengths at the end).
// Per 3-byte hash, positions form a binary search tree keyed by their next
// kMaxMatch bytes; each new position becomes the root, so every node is newer
// than its subtree and a node that fell out of the window drops its whole
// subtree with it.
class MatchFinder {
 public:
  explicit MatchFinder(const std::string& text)
      : text_(reinterpret_cast<const unsigned char*>(text.data())),
        hashBits_(HashBitsFor(text.size())),
        heads_(std::size_t{1} << hashBits_, kNone),
        children_(2 * kSlots, kNone) {}

  // Adds position `cur` (positions come in order) and returns its longest
  // match among the previous kWindow positions.
  Match Insert(std::size_t cur) {
    const std::size_t hash = Hash(cur);
    std::size_t cand = heads_[hash];
    heads_[hash] = cur;
    std::size_t* lessHook = &Less(cur);
    std::size_t* greaterHook = &Greater(cur);
    std::size_t lessCommon = 0;
    std::size_t greaterCommon = 0;
    Match best;
    while (cand != kNone && cur - cand <= kWindow) {
      std::size_t length = std::min(lessCommon, greaterCommon);
      while (length < kMaxMatch && text_[cand + length] == text_[cur + length]) ++length;
      if (length > best.length) best = {length, cur - cand};
      if (length == kMaxMatch) {  // same key: the newer position replaces the older
        *lessHook = Less(cand);
        *greaterHook = Greater(cand);
        return best;
      }
      if (text_[cand + length] < text_[cur + length]) {
        *lessHook = cand;
        lessHook = &Greater(cand);
        lessCommon = length;
        cand = *lessHook;
      } else {
        *greaterHook = cand;
        greaterHook = &Less(cand);
        greaterCommon = length;
        cand = *greaterHook;
      }
    }
    *lessHook = kNone;
    *greaterHook = kNone;
    return best;
  }

 private:
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  static constexpr unsigned kMaxHashBits = 16;
  static constexpr std::size_t kSlots = 2 * kWindow;  // > kWindow, so live nodes never share a slot

  std::size_t Hash(std::size_t at) const {
    const std::uint32_t key =
        (std::uint32_t{text_[at]} << 16) | (std::uint32_t{text_[at + 1]} << 8) | text_[at + 2];
    return (key * 2654435761u) >> (32 - hashBits_);
  }
  // Small texts get a small table: setting it up would cost more than the search.
  static unsigned HashBitsFor(std::size_t textSize) {
    unsigned bits = 12;
    while (bits < kMaxHashBits && (std::size_t{1} << bits) < textSize) ++bits;
    return bits;
  }
  std::size_t& Less(std::size_t at) { return children_[2 * (at & (kSlots - 1))]; }
  std::size_t& Greater(std::size_t at) { return children_[2 * (at & (kSlots - 1)) + 1]; }

  const unsigned char* text_;
  unsigned hashBits_;
  std::vector<std::size_t> heads_;
  std::vector<std::size_t> children_;
};

// Longest match (and its distance) at every data position.
struct MatchTable {
  std::vector<std::uint8_t> length;
  std::vector<std::uint16_t> distance;
};

MatchTable FindMatches(std::string_view data) {
  std::string text(kWindow, ' ');
  text.append(data);
  text.append(kMaxMatch, '\0');
  MatchFinder finder(text);
  // All earlier space positions share this one's key and would be replaced by it.
  for (std::size_t pos = kWindow - kMaxMatch; pos < kWindow; ++pos) finder.Insert(pos);
  MatchTable table{std::vector<std::uint8_t>(data.size()), std::vector<std::uint16_t>(data.size())};
  for (std::size_t i = 0; i < data.size(); ++i) {
    const Match match = finder.Insert(kWindow + i);
    table.length[i] = static_cast<std::uint8_t>(std::min(match.length, data.size() - i));
    table.distance[i] = static_cast<std::uint16_t>(match.distance);
  }
  return table;
}

// ---------------------------------------------------------------- parsing

// Every token costs one flag bit plus its bytes, so the cheapest parse in bits
// is found exactly by a backward pass; any length up to the longest match is
// available from the same distance. Returns the chosen length per position
// (0 = literal), meaningful along the parse only.
std::vector<std::uint8_t> CheapestParse(const MatchTable& matches) {
  constexpr std::uint64_t kLiteralBits = 9;
  constexpr std::uint64_t kMatchBits = 17;
  const std::size_t n = matches.length.size();
  std::vector<std::uint64_t> cost(n + 1, 0);
  std::vector<std::uint8_t> choice(n, 0);
  for (std::size_t i = n; i-- > 0;) {
    cost[i] = cost[i + 1] + kLiteralBits;
    for (std::size_t length = kMinMatch; length <= matches.length[i]; ++length) {
      const std::uint64_t viaMatch = cost[i + length] + kMatchBits;
      if (viaMatch < cost[i]) {
        cost[i] = viaMatch;
        choice[i] = static_cast<std::uint8_t>(length);
      }
    }
  }
  return choice;
}

class TokenWriter {
 public:
  explicit TokenWriter(std::string& out) : out_(out) {}

  void Literal(char c) {
    StartToken(true);
    out_.push_back(c);
  }
  void Reference(std::size_t slot, std::size_t length) {
    StartToken(false);
    out_.push_back(static_cast<char>(slot & 0xFF));
    out_.push_back(static_cast<char>(((slot >> 4) & 0xF0) | (length - kMinMatch)));
  }

 private:
  void StartToken(bool literal) {
    if (count_ % 8 == 0) {
      flagAt_ = out_.size();
      out_.push_back('\0');
    }
    if (literal) out_[flagAt_] = static_cast<char>(out_[flagAt_] | (1 << (count_ % 8)));
    ++count_;
  }

  std::string& out_;
  std::size_t flagAt_ = 0;
  std::size_t count_ = 0;
};

void AppendStream(std::string& out, std::string_view data) {
  const MatchTable matches = FindMatches(data);
  const std::vector<std::uint8_t> choice = CheapestParse(matches);
  TokenWriter writer(out);
  for (std::size_t i = 0; i < data.size();) {
    const std::size_t length = choice[i];
    if (length == 0) {
      writer.Literal(data[i]);
      ++i;
      continue;
    }
    writer.Reference((kFirstWrite + i - matches.distance[i]) & kRingMask, length);
    i += length;
  }
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

std::string Compress(std::string_view data, char storedChar) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("SZDD cannot hold 4 GiB or more");
  }
  std::string out(kMagic);
  out.push_back(kModeA);
  out.push_back(storedChar);
  AppendLe32(out, static_cast<std::uint32_t>(data.size()));
  out.reserve(kHeaderSize + data.size() + data.size() / 8 + 1);
  AppendStream(out, data);
  return out;
}

std::string CompressedName(const std::string& name) {
  std::string result = name;
  if (!result.empty()) result.back() = '_';
  return result;
}

std::string TwinName(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find('.', base);
  if (dot == std::string::npos) return path + "._";
  if (path.size() - dot - 1 < 3) return path + "_";
  return CompressedName(path);
}

std::string ExpandedName(const std::string& path, std::string_view content) {
  const std::optional<Header> header = ParseHeader(content);
  if (!header) return path;
  const std::size_t separator = path.find_last_of("/\\:");
  const std::size_t base = separator == std::string::npos ? 0 : separator + 1;
  if (base == path.size()) return path;

  char stored = header->storedChar;
  if (IsAsciiLetter(stored)) {
    const auto lastLetter = std::find_if(path.rbegin(), path.rend(), IsAsciiLetter);
    const bool lower = lastLetter == path.rend() || IsAsciiLower(*lastLetter);
    stored = lower ? ToAsciiLower(stored) : ToAsciiUpper(stored);
  }

  std::string result = path;
  const std::size_t dot = result.find('.', base);
  if (dot == std::string::npos) return result;
  if (dot + 1 == result.size()) {
    result.pop_back();
  } else if (result.back() == '_') {
    if (stored == '\0') {
      result.pop_back();
    } else {
      result.back() = stored;
    }
  }
  return result;
}

}  // namespace szdd
