// The SZDD writer: the smallest stream the format allows, found by an
// exact parse over the longest matches. Only the media tools compress, so
// the program itself is built without this file.
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "szdd.h"
#include "little_endian.h"
#include "szdd_format.h"

namespace szdd {
namespace {

using namespace format;

// ---------------------------------------------------------------- the text

// The text the compressor matches against: the window's initial spaces, the
// data, then zeros, so that every key is a full kMaxMatch bytes long (callers
// clamp lengths at the end) and word-wide reads stay in bounds. Positions
// count from the first initial space; only a window before the current chunk
// is held, so memory stays bounded whatever the data's size.
class Text {
 public:
  static constexpr std::size_t kReadAhead = 32;  // a key plus one word-wide read

  explicit Text(std::string_view data) : data_(data), bytes_(kWindow + kChunk + kReadAhead) { Load(); }

  // Makes the window before `pos` and kReadAhead bytes from it readable.
  void Reach(std::size_t pos) {
    if (pos + kReadAhead <= base_ + bytes_.size()) return;
    base_ = pos - std::min(pos, kWindow);
    Load();
  }
  const unsigned char* At(std::size_t pos) const { return bytes_.data() + (pos - base_); }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 16;

  void Load() {
    const std::size_t end = base_ + bytes_.size();
    const std::size_t spacesEnd = std::clamp(kWindow, base_, end);
    const std::size_t dataEnd = std::clamp(kWindow + data_.size(), spacesEnd, end);
    unsigned char* out = bytes_.data();
    std::memset(out, ' ', spacesEnd - base_);
    out += spacesEnd - base_;
    if (dataEnd > spacesEnd) std::memcpy(out, data_.data() + (spacesEnd - kWindow), dataEnd - spacesEnd);
    out += dataEnd - spacesEnd;
    std::memset(out, 0, end - dataEnd);
  }

  std::string_view data_;
  std::vector<unsigned char> bytes_;
  std::size_t base_ = 0;
};

// Eight bytes as a number that orders like the bytes themselves.
std::uint64_t LoadOrdered(const unsigned char* at) {
  std::uint64_t value;
  std::memcpy(&value, at, sizeof value);
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
  return value;
}

struct Order {
  std::size_t common;  // bytes the two keys share, up to kMaxMatch
  bool before;         // the first key sorts before the second
};

// Compares the keys at `a` and `b`, whose first `known` bytes are equal.
inline Order Compare(const unsigned char* a, const unsigned char* b, std::size_t known) {
  for (std::size_t length = known; length < kMaxMatch; length += 8) {
    const std::uint64_t x = LoadOrdered(a + length);
    const std::uint64_t y = LoadOrdered(b + length);
    if (x == y) continue;
    const std::size_t common = length + std::countl_zero(x ^ y) / 8;
    if (common >= kMaxMatch) break;
    return {common, x < y};
  }
  return {kMaxMatch, false};
}

bool SameThree(const unsigned char* a, const unsigned char* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

std::uint32_t Hash(std::uint32_t key, unsigned bits) {
  return (key * 2654435761u) >> (32 - bits);
}
std::uint32_t HashOfThree(const unsigned char* at, unsigned bits) {
  return Hash((std::uint32_t{at[0]} << 16) | (std::uint32_t{at[1]} << 8) | at[2], bits);
}
std::uint32_t HashOfFour(const unsigned char* at, unsigned bits) {
  return Hash(static_cast<std::uint32_t>(LoadOrdered(at) >> 32), bits);
}

// All earlier space positions share the key of the first of these and would
// be displaced by it, so matching starts here.
constexpr std::size_t kFirstKey = kWindow - kMaxMatch;

// ---------------------------------------------------------------- positions

// Tables hold positions in 32 bits: an entry is live while it lies at most
// kWindow behind the current position, counted modulo 2^32.
using Pos = std::uint32_t;

Pos Short(std::size_t pos) {
  return static_cast<Pos>(pos);
}
Pos Dead(Pos now) {
  return now - kWindow - 1;
}
bool Live(Pos now, Pos entry) {
  return now - entry <= kWindow;
}

// A head left alone for 2^32 positions would seem live again, so the head
// tables are swept long before that can happen.
constexpr std::size_t kSweepInterval = std::size_t{1} << 30;

void SweepIfDue(std::vector<Pos>& heads, std::size_t pos) {
  if (pos % kSweepInterval != 0) return;
  for (Pos& head : heads) {
    if (!Live(Short(pos), head)) head = Dead(Short(pos));
  }
}

// Small inputs get small tables: setting them up would cost more than the search.
unsigned HashBitsFor(std::size_t dataSize) {
  constexpr unsigned kMaxHashBits = 16;
  unsigned bits = 12;
  while (bits < kMaxHashBits && (std::size_t{1} << bits) < dataSize + kWindow) ++bits;
  return bits;
}

// Per hash of its first three bytes, each position links to the one before
// it, newest first.
class Chains {
 public:
  explicit Chains(std::size_t dataSize)
      : bits_(HashBitsFor(dataSize)), heads_(std::size_t{1} << bits_, Dead(Short(kFirstKey))), previous_(kSlots) {}

  // Adds `pos`, whose key is `key` (positions come in order), and returns the
  // newest earlier position in its chain.
  Pos Add(std::size_t pos, const unsigned char* key) {
    SweepIfDue(heads_, pos);
    Pos& head = heads_[HashOfThree(key, bits_)];
    const Pos newest = head;
    previous_[pos % kSlots] = newest;
    head = Short(pos);
    return newest;
  }
  Pos Previous(Pos pos) const { return previous_[pos % kSlots]; }

 private:
  static constexpr std::size_t kSlots = 2 * kWindow;  // > kWindow, so live links never share a slot

  unsigned bits_;
  std::vector<Pos> heads_;
  std::vector<Pos> previous_;
};

// ---------------------------------------------------------------- matches

struct Match {
  std::size_t length = 0;    // below kMinMatch: none
  std::size_t distance = 0;  // 1..kWindow back
};

// Exact longest-match search over the sliding window, the nearest of equals.
// Per hash of the first four bytes, positions form a binary search tree keyed
// by their next kMaxMatch bytes; each new position becomes the root, so every
// node is newer than its subtree and a node that fell out of the window drops
// its whole subtree with it. The positions sharing the longest prefix with a
// new one lie between it and its neighbours in key order, so the newest of
// them is on its search path and met there first. Matches of three bytes
// exactly come from the chains, which keeps the trees small.
class MatchFinder {
 public:
  MatchFinder(const Text& text, std::size_t dataSize)
      : text_(text), chains_(dataSize), bits_(HashBitsFor(dataSize)),
        heads_(std::size_t{1} << bits_, Dead(Short(kFirstKey))), nodes_(kSlots) {}

  // Adds position `cur` (positions come in order) and returns its longest
  // match among the previous kWindow positions.
  Match Insert(std::size_t cur) {
    const unsigned char* key = text_.At(cur);
    const Match inTree = InsertInTree(cur, key);
    const Pos newest = chains_.Add(cur, key);
    if (inTree.length > kMinMatch) return inTree;  // a three-byte one there only shares the hash by chance
    return NearestThree(cur, key, newest);
  }

 private:
  // A key's first eight bytes sit beside its links, so most steps never read the text.
  struct Node {
    std::uint64_t first = 0;
    Pos less = 0;
    Pos greater = 0;
  };
  static constexpr std::size_t kSlots = 2 * kWindow;  // > kWindow, so live nodes never share a slot

  Match InsertInTree(std::size_t cur, const unsigned char* key) {
    SweepIfDue(heads_, cur);
    const Pos now = Short(cur);
    Pos& head = heads_[HashOfFour(key, bits_)];
    Pos cand = head;
    head = now;
    Node& root = NodeAt(now);
    root.first = LoadOrdered(key);
    Pos* lessHook = &root.less;
    Pos* greaterHook = &root.greater;
    Match longest;
    while (Live(now, cand)) {
      Node& node = NodeAt(cand);
      const Order order = node.first != root.first
                              ? Order{static_cast<std::size_t>(std::countl_zero(node.first ^ root.first) / 8),
                                      node.first < root.first}
                              : Compare(text_.At(cur - (now - cand)), key, 8);
      if (order.common > longest.length) longest = {order.common, static_cast<std::size_t>(now - cand)};
      if (order.common == kMaxMatch) {  // same key: the newer position replaces the older
        // Dead links are renewed, or a long enough run could carry one until it wraps.
        *lessHook = Live(now, node.less) ? node.less : Dead(now);
        *greaterHook = Live(now, node.greater) ? node.greater : Dead(now);
        return longest;
      }
      if (order.before) {
        *lessHook = cand;
        lessHook = &node.greater;
        cand = node.greater;
      } else {
        *greaterHook = cand;
        greaterHook = &node.less;
        cand = node.less;
      }
    }
    *lessHook = Dead(now);
    *greaterHook = Dead(now);
    return longest;
  }

  // The nearest position in the window before `cur` that starts with the same three bytes.
  Match NearestThree(std::size_t cur, const unsigned char* key, Pos newest) const {
    const Pos now = Short(cur);
    for (Pos cand = newest; Live(now, cand); cand = chains_.Previous(cand)) {
      if (SameThree(text_.At(cur - (now - cand)), key)) return {kMinMatch, now - cand};
    }
    return {};
  }

  Node& NodeAt(Pos pos) { return nodes_[pos % kSlots]; }

  const Text& text_;
  Chains chains_;
  unsigned bits_;
  std::vector<Pos> heads_;
  std::vector<Node> nodes_;
};

// The longest match at every data position, measured against the padded text
// (so it may run past the end): its length into `longest`, the low byte of
// its distance into `lowDistance`.
void FindMatches(std::string_view data, std::uint8_t* longest, std::uint8_t* lowDistance) {
  Text text(data);
  MatchFinder finder(text, data.size());
  for (std::size_t pos = kFirstKey; pos < kWindow + data.size(); ++pos) {
    text.Reach(pos);
    const Match match = finder.Insert(pos);
    if (pos < kWindow) continue;
    longest[pos - kWindow] = static_cast<std::uint8_t>(match.length);
    lowDistance[pos - kWindow] = static_cast<std::uint8_t>(match.distance);
  }
}

// ---------------------------------------------------------------- parsing

// Per position, what the parse does there and how long the match found
// there was: one byte, so the parse costs no more memory than the lengths.
struct Step {
  static constexpr std::uint8_t kLiteral = 0xFF;  // a match of 18 found 33 long: never a match code

  static std::uint8_t Match(std::size_t length, std::size_t longest) {
    return static_cast<std::uint8_t>(((length - kMinMatch) << 4) | (longest - length));
  }
  static std::size_t Length(std::uint8_t code) { return (code >> 4) + kMinMatch; }
  static std::size_t Longest(std::uint8_t code) { return Length(code) + (code & 0x0F); }
};

// Costs of the rest of the data from the positions just ahead: each
// position's cost needs only the next kMaxMatch, so they live in a ring.
class CostRing {
 public:
  std::uint64_t& At(std::size_t pos) { return cost_[pos % kRing]; }

  // The match length from `pos` whose rest costs least, the shortest of
  // equals. Longer matches tend to leave less to pay for, so the scan runs
  // down from the longest and seldom changes its mind.
  std::size_t CheapestLength(std::size_t pos, std::size_t usable) {
    std::size_t best = usable;
    for (std::size_t length = usable - 1; length >= kMinMatch; --length) {
      if (At(pos + length) <= At(pos + best)) best = length;
    }
    return best;
  }

 private:
  static constexpr std::size_t kRing = 32;  // > kMaxMatch
  std::uint64_t cost_[kRing] = {};          // 0 past the end
};

// Every token costs one flag bit plus its bytes, so the cheapest parse in bits
// is found exactly by a backward pass; any length up to the longest match is
// available from the same distance. Ties go to the literal, then to the
// shorter match. Turns each of the `n` longest lengths into its Step.
void CheapestParse(std::uint8_t* steps, std::size_t n) {
  constexpr std::uint64_t kLiteralBits = 9;
  constexpr std::uint64_t kMatchBits = 17;
  CostRing cost;
  for (std::size_t i = n; i-- > 0;) {
    const std::size_t longest = steps[i];
    const std::size_t usable = std::min(longest, n - i);
    cost.At(i) = cost.At(i + 1) + kLiteralBits;
    steps[i] = Step::kLiteral;
    if (usable < kMinMatch) continue;
    const std::size_t length = cost.CheapestLength(i, usable);
    const std::uint64_t viaMatch = cost.At(i + length) + kMatchBits;
    if (viaMatch >= cost.At(i)) continue;
    cost.At(i) = viaMatch;
    steps[i] = Step::Match(length, longest);
  }
}

// ---------------------------------------------------------------- distances

// The distance of the longest match at `cur`, `longest` bytes, from its low
// byte: of the distances that end in it, the nearest that reaches that length,
// since no nearer position reaches it at all.
std::size_t DistanceOf(Text& text, std::size_t cur, std::size_t longest, std::uint8_t low) {
  constexpr std::size_t kStep = 256;
  text.Reach(cur);
  const unsigned char* key = text.At(cur);
  std::size_t distance = low == 0 ? kStep : low;
  while (distance < kWindow && Compare(text.At(cur - distance), key, 0).common < longest) distance += kStep;
  return distance;
}

// ---------------------------------------------------------------- writing

// Tokens go out in groups of eight behind their flag byte.
class TokenWriter {
 public:
  explicit TokenWriter(char* out) : out_(out) {}

  void Literal(char c) {
    Begin();
    flags_ |= bit_;
    *out_++ = c;
    End();
  }
  void Reference(std::size_t slot, std::size_t length) {
    Begin();
    *out_++ = static_cast<char>(slot & 0xFF);
    *out_++ = static_cast<char>(((slot >> 4) & 0xF0) | (length - kMinMatch));
    End();
  }
  // Returns the end of what was written.
  char* Finish() {
    if (bit_ != 1) *flagAt_ = static_cast<char>(flags_);
    return out_;
  }

 private:
  void Begin() {
    if (bit_ == 1) flagAt_ = out_++;
  }
  void End() {
    bit_ <<= 1;
    if (bit_ != 0x100) return;
    *flagAt_ = static_cast<char>(flags_);
    flags_ = 0;
    bit_ = 1;
  }

  char* out_;
  char* flagAt_ = nullptr;
  unsigned flags_ = 0;
  unsigned bit_ = 1;
};

// Writes the tokens of the parse to `out` and returns their end.
char* WriteTokens(std::string_view data, const std::uint8_t* steps, const std::uint8_t* lowDistance, char* out) {
  Text text(data);
  TokenWriter writer(out);
  for (std::size_t i = 0; i < data.size();) {
    const std::uint8_t step = steps[i];
    if (step == Step::kLiteral) {
      writer.Literal(data[i]);
      ++i;
      continue;
    }
    const std::size_t distance = DistanceOf(text, kWindow + i, Step::Longest(step), lowDistance[i]);
    writer.Reference((kFirstWrite + i - distance) & kRingMask, Step::Length(step));
    i += Step::Length(step);
  }
  return writer.Finish();
}

void CheckCompressible(std::size_t size) {
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("SZDD cannot hold 4 GiB or more");
  }
}

}  // namespace

std::size_t CompressBound(std::size_t size) {
  CheckCompressible(size);
  return kHeaderSize + (size + 7) / 8 + 2 * size;
}

std::size_t CompressInto(std::string_view data, char storedChar, char* out) {
  CheckCompressible(data.size());
  std::string header(kMagic);
  header.push_back(kModeA);
  header.push_back(storedChar);
  boot::AppendLittleEndian32(header, static_cast<std::uint32_t>(data.size()));
  std::memcpy(out, header.data(), kHeaderSize);
  // Three passes need two bytes per position beside the data: longest
  // matches forward, the parse backward over their lengths, then the tokens
  // forward. The tokens are written over the parse as it is read and never
  // overtake it: no token takes more bytes than the data it stands for, and
  // flag bytes add one per eight tokens.
  const std::size_t n = data.size();
  auto* steps = reinterpret_cast<std::uint8_t*>(out + CompressBound(n) - 2 * n);
  std::uint8_t* lowDistance = steps + n;
  FindMatches(data, steps, lowDistance);
  CheapestParse(steps, n);
  return static_cast<std::size_t>(WriteTokens(data, steps, lowDistance, out + kHeaderSize) - out);
}

std::string Compress(std::string_view data, char storedChar) {
  std::string out(CompressBound(data.size()), '\0');
  out.resize(CompressInto(data, storedChar, out.data()));
  return out;
}

}  // namespace szdd
