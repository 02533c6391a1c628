#include "szdd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kMagic("SZDD\x88\xF0\x27\x33", 8);

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string HeaderBytes(char stored, std::uint32_t length) {
  std::string out = kMagic + "A";
  out.push_back(stored);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  return out;
}

// The simplest valid stream: groups of eight literals behind an all-ones flag byte.
std::string AllLiterals(const std::string& data) {
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 8) {
    out.push_back('\xFF');
    out += data.substr(i, 8);
  }
  return out;
}

std::string RandomBytes(std::size_t size, unsigned seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick(0, alphabet - 1);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(pick(rng));
  return out;
}

// Text-like data whose repeats lie both inside and beyond the 4096-byte window.
std::string Prose(std::size_t size) {
  static const char* const words[] = {"setup",   "file",   "disk",   "copy", "the", "version", "library",
                                      "windows", "system", "expand", "\r\n", "  ",  "DLL",     "a"};
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
  std::string out;
  while (out.size() < size) {
    out += words[pick(rng)];
    out += ' ';
  }
  out.resize(size);
  return out;
}

void ExpectRoundTrip(const std::string& data, char stored = 'X') {
  const std::string packed = szdd::Compress(data, stored);
  const szdd::Expansion expansion = szdd::Expand(packed);
  EXPECT_TRUE(expansion.complete);
  EXPECT_EQ(expansion.data.size(), data.size());
  EXPECT_TRUE(expansion.data == data) << "round trip differs for " << data.size() << " bytes";
  const auto header = szdd::ParseHeader(packed);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->storedChar, stored);
  EXPECT_EQ(header->length, data.size());
}

// ------------------------------------------------------------------ header

TEST(SzddHeader, ReadsStoredCharAndLittleEndianLength) {
  const auto header = szdd::ParseHeader(HeaderBytes('L', 0x12345678) + "rest");
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->storedChar, 'L');
  EXPECT_EQ(header->length, 0x12345678u);
  ASSERT_TRUE(szdd::ParseHeader(HeaderBytes('\0', 0)).has_value());  // header alone suffices
}

TEST(SzddHeader, OtherFilesAreNotCompressed) {
  const std::string good = HeaderBytes('E', 5);
  EXPECT_FALSE(szdd::ParseHeader(good.substr(0, szdd::kHeaderSize - 1)));
  std::string otherMode = good;
  otherMode[8] = 'B';
  EXPECT_FALSE(szdd::ParseHeader(otherMode));
  std::string badMagic = good;
  badMagic[7] = '\x34';
  EXPECT_FALSE(szdd::ParseHeader(badMagic));
  const std::string kwaj("KWAJ\x88\xF0\x27\xD1\x02\x00\x12\x00\x00\x00", 14);
  EXPECT_FALSE(szdd::ParseHeader(kwaj));
  EXPECT_FALSE(szdd::ParseHeader(""));
}

// ------------------------------------------------------------------ expanding

TEST(SzddExpand, PlatformVectorDecodesDespiteItsLengthField) {
  const std::string vector = Bytes({0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 0x74, 0x75, 0x14,
                                    0x00, 0x00, 0xDF, 0x54, 0x68, 0x69, 0x73, 0x20, 0xF2, 0xF0, 0x61, 0x20,
                                    0xFF, 0x74, 0x65, 0x73, 0x74, 0x20, 0x66, 0x69, 0x6C, 0x03, 0x65, 0x2E});
  const szdd::Expansion expansion = szdd::Expand(vector);
  EXPECT_EQ(expansion.data, "This is a test file.");
  EXPECT_FALSE(expansion.complete);  // the field says 0x1475 bytes

  std::string honest = vector;
  honest[10] = 20;
  honest[11] = 0;
  const szdd::Expansion honestExpansion = szdd::Expand(honest);
  EXPECT_EQ(honestExpansion.data, "This is a test file.");
  EXPECT_TRUE(honestExpansion.complete);
}

TEST(SzddExpand, PlainFilesComeBackUnchanged) {
  for (const std::string& plain : {std::string(), std::string("MZ\x90\0\3", 5), kMagic + "A\0\1",
                                   HeaderBytes('x', 3).replace(8, 1, "B") + "abc", RandomBytes(5000, 1)}) {
    const szdd::Expansion expansion = szdd::Expand(plain);
    EXPECT_EQ(expansion.data, plain);
    EXPECT_TRUE(expansion.complete);
  }
}

TEST(SzddExpand, MatchesReadTheInitialSpacesAndRepeatWhatTheyWrite) {
  // Slot 0 of the fresh window: 18 spaces.
  EXPECT_EQ(szdd::Expand(HeaderBytes('x', 18) + Bytes({0x00, 0x00, 0x0F})).data, std::string(18, ' '));
  // 'a' lands in slot 0xFF0; copying 10 from there overlaps the bytes being written.
  EXPECT_EQ(szdd::Expand(HeaderBytes('x', 11) + Bytes({0x01, 'a', 0xF0, 0xF7})).data, std::string(11, 'a'));
  // Slot 0xFEF lies just before the first write: its space, the 'a', then that space again.
  EXPECT_EQ(szdd::Expand(HeaderBytes('x', 4) + Bytes({0x01, 'a', 0xEF, 0xF0})).data, "a a ");
}

TEST(SzddExpand, SlotAtTheWriteIndexReadsTheByteWrittenAWindowAgo) {
  const std::string first = RandomBytes(4096, 2);
  // After 4096 bytes the write index is back at 0xFF0.
  const std::string stream = AllLiterals(first) + Bytes({0x00, 0xF0, 0xF2});
  const szdd::Expansion expansion = szdd::Expand(HeaderBytes('x', 4101) + stream);
  EXPECT_TRUE(expansion.complete);
  EXPECT_EQ(expansion.data, first + first.substr(0, 5));
}

TEST(SzddExpand, StreamEndsAtEndOfInputWherever) {
  // A flag byte promising tokens that never come, and half a match pair.
  EXPECT_EQ(szdd::Expand(HeaderBytes('x', 2) + Bytes({0x07, 'h', 'i'})).data, "hi");
  EXPECT_EQ(szdd::Expand(HeaderBytes('x', 2) + Bytes({0x03, 'h', 'i', 0x12})).data, "hi");
  const szdd::Expansion lone = szdd::Expand(HeaderBytes('x', 0) + Bytes({0xFF}));
  EXPECT_EQ(lone.data, "");
  EXPECT_TRUE(lone.complete);
}

TEST(SzddExpand, TruncatedFileIsIncompletePrefix) {
  const std::string data = Prose(3000) + RandomBytes(500, 3);
  const std::string packed = szdd::Compress(data, 'T');
  for (std::size_t size = szdd::kHeaderSize; size < packed.size(); ++size) {
    const szdd::Expansion expansion = szdd::Expand(std::string_view(packed).substr(0, size));
    ASSERT_FALSE(expansion.complete) << "cut at " << size;
    ASSERT_LT(expansion.data.size(), data.size());
    ASSERT_EQ(expansion.data, data.substr(0, expansion.data.size())) << "cut at " << size;
  }
}

TEST(SzddExpand, LyingLengthFieldIsIncompleteAndHarmless) {
  const std::string stream = AllLiterals("abcdefghij");
  for (std::uint32_t length : {0u, 9u, 11u, 0xFFFFFFFFu}) {
    const szdd::Expansion expansion = szdd::Expand(HeaderBytes('x', length) + stream);
    EXPECT_EQ(expansion.data, "abcdefghij");
    EXPECT_FALSE(expansion.complete) << length;
  }
}

TEST(SzddExpand, ArbitraryStreamsStayWithinTheirBound) {
  for (unsigned seed = 0; seed < 300; ++seed) {
    const std::string stream = RandomBytes(seed * 7 % 700, seed);
    const szdd::Expansion expansion = szdd::Expand(HeaderBytes('x', 1000) + stream);
    // At best a flag byte and eight pairs yield 144 bytes.
    ASSERT_LE(expansion.data.size() * 17, stream.size() * 144) << seed;
  }
}

// ------------------------------------------------------------------ compressing

TEST(SzddCompress, EmptyAndTinyInputsRoundTrip) {
  EXPECT_EQ(szdd::Compress("", 'L'), HeaderBytes('L', 0));
  ExpectRoundTrip("", '\0');
  for (int byte = 0; byte < 256; ++byte) ExpectRoundTrip(std::string(1, static_cast<char>(byte)), 'E');
  for (std::size_t size = 2; size <= 40; ++size) ExpectRoundTrip(RandomBytes(size, size, 3));
}

TEST(SzddCompress, RunsAndSpacesCostTwoBytesPerEighteen) {
  for (char c : {'a', ' ', '\0'}) {
    for (std::size_t size : {3u, 17u, 18u, 19u, 100u, 4095u, 4096u, 4097u, 70000u}) {
      const std::string run(size, c);
      ExpectRoundTrip(run);
      // One literal at most (none for spaces), then matches of 18; one flag byte per 8 tokens.
      const std::size_t tokens = 1 + (size + 17) / 18;
      EXPECT_LE(szdd::Compress(run, 'X').size(), szdd::kHeaderSize + 2 * tokens + (tokens + 7) / 8)
          << size << " x " << int(c);
    }
  }
}

TEST(SzddCompress, UsesTheInitialSpacesOfTheWindow) {
  // A leading run of spaces needs no literal: 6 matches and one flag byte.
  EXPECT_EQ(szdd::Compress(std::string(100, ' '), 'X').size(), szdd::kHeaderSize + 1 + 6 * 2);
  ExpectRoundTrip("   x   y    z" + std::string(40, ' ') + "end");
}

TEST(SzddCompress, EveryMatchLengthRoundTripsAndPays) {
  const std::string source = RandomBytes(64, 11);
  for (std::size_t length = 3; length <= 18; ++length) {
    // A byte that breaks the repeat follows it, so the match is exactly `length` long.
    const std::string data = source + RandomBytes(100, 100 + length) + source.substr(0, length) +
                             static_cast<char>(source[length] ^ 0x55) + RandomBytes(20, 200 + length);
    ExpectRoundTrip(data);
    const std::string withoutRepeat = source + RandomBytes(100, 100 + length) +
                                      RandomBytes(length + 1, 300 + length) + RandomBytes(20, 200 + length);
    EXPECT_LT(szdd::Compress(data, 'X').size(), szdd::Compress(withoutRepeat, 'X').size()) << length;
  }
}

TEST(SzddCompress, RandomAndLargeDataRoundTrip) {
  ExpectRoundTrip(RandomBytes(20000, 21));
  ExpectRoundTrip(RandomBytes(50000, 22, 4));
  ExpectRoundTrip(Prose(200000));
  std::string block = RandomBytes(5000, 23);
  ExpectRoundTrip(block + block + block);  // repeats beyond the window only
  const std::string edge = RandomBytes(4096, 24);
  ExpectRoundTrip(edge + edge.substr(0, 50) + RandomBytes(10, 25) + edge);  // at the window's far end
}

TEST(SzddCompress, IncompressibleDataGrowsByTheFlagBytesOnly) {
  const std::string data = RandomBytes(8000, 31);
  EXPECT_LE(szdd::Compress(data, 'X').size(), szdd::kHeaderSize + data.size() + (data.size() + 7) / 8);
}

TEST(SzddCompress, RepeatWithinWindowIsFoundAcrossItsWholeReach) {
  const std::string block = RandomBytes(4000, 41);
  const std::string twice = block + block;
  // Second copy: 4000/18 matches instead of 4000 literals.
  EXPECT_LT(szdd::Compress(twice, 'X').size(), szdd::Compress(block, 'X').size() + 500);
}

// ------------------------------------------------------------------ the smallest stream

// A sequence in which no two bytes follow each other twice, so nothing in it repeats.
std::string WithoutRepeats() {
  std::string out;
  for (int a = 0; a < 256; ++a) {
    out.push_back(static_cast<char>(a));
    for (int b = a + 1; b < 256; ++b) out += {static_cast<char>(a), static_cast<char>(b)};
  }
  return out;
}

// What Compress must write, found the slow, plain way: at every position the
// longest match over the whole window (keys padded with zeros past the end;
// the nearest of equals), then the cheapest parse by a backward pass with
// ties going to the literal, then to the shorter match.
std::string ReferenceStream(const std::string& data) {
  const std::size_t window = 4096;
  const std::size_t n = data.size();
  const std::string text = std::string(window, ' ') + data + std::string(18, '\0');
  std::map<std::string, std::vector<std::size_t>> seen;  // by first three bytes, oldest first
  std::vector<std::size_t> longest(n + 1, 0), distance(n + 1, 0);
  for (std::size_t cur = window - 18; cur < window + n; ++cur) {
    std::vector<std::size_t>& earlier = seen[text.substr(cur, 3)];
    for (auto it = earlier.rbegin(); it != earlier.rend() && cur - *it <= window; ++it) {
      std::size_t length = 0;
      while (length < 18 && text[*it + length] == text[cur + length]) ++length;
      if (cur >= window && length > longest[cur - window]) {
        longest[cur - window] = length;
        distance[cur - window] = cur - *it;
      }
      if (length == 18) break;  // nothing longer, and this is the nearest
    }
    earlier.push_back(cur);
  }
  std::vector<std::size_t> cost(n + 1, 0), choice(n, 0);
  for (std::size_t i = n; i-- > 0;) {
    cost[i] = cost[i + 1] + 9;
    for (std::size_t length = 3; length <= std::min(longest[i], n - i); ++length) {
      if (cost[i + length] + 17 < cost[i]) {
        cost[i] = cost[i + length] + 17;
        choice[i] = length;
      }
    }
  }
  std::string out;
  std::size_t flagAt = 0, tokens = 0;
  for (std::size_t i = 0; i < n; ++tokens) {
    if (tokens % 8 == 0) {
      flagAt = out.size();
      out.push_back('\0');
    }
    if (choice[i] == 0) {
      out[flagAt] = static_cast<char>(out[flagAt] | (1 << (tokens % 8)));
      out.push_back(data[i++]);
      continue;
    }
    const std::size_t slot = (window - 16 + i - distance[i]) % window;
    out += {static_cast<char>(slot & 0xFF), static_cast<char>(((slot >> 4) & 0xF0) | (choice[i] - 3))};
    i += choice[i];
  }
  return HeaderBytes('R', static_cast<std::uint32_t>(n)) + out;
}

TEST(SzddCompress, WritesTheSmallestStreamExactly) {
  const std::string tail = "xyz" + std::string(30, '\0') + RandomBytes(300, 81) + "xyzab" + RandomBytes(50, 82);
  const std::vector<std::string> inputs = {
      "",
      "ab",
      "   spaces first, then" + std::string(40, ' '),
      std::string(5000, 'a') + "b" + std::string(5000, 'a'),
      RandomBytes(6000, 83),
      RandomBytes(20000, 84, 4),
      Prose(80000),
      WithoutRepeats() + WithoutRepeats() + "repeat, repeat",  // a match after a very long literal run
      tail + "xyz",                                             // keys run into the zeros past the end
      Prose(3000) + std::string(3, '\0'),
  };
  for (const std::string& data : inputs) {
    ASSERT_EQ(szdd::Compress(data, 'R'), ReferenceStream(data)) << data.size() << " bytes";
  }
}

TEST(SzddCompress, CompressIntoWritesTheSameWithinItsBound) {
  for (const std::string& data : {std::string(), std::string("x"), RandomBytes(9001, 91), Prose(20000)}) {
    std::vector<char> room(szdd::CompressBound(data.size()));  // exact, so the sanitizers see any overrun
    const std::size_t size = szdd::CompressInto(data, 'I', room.data());
    EXPECT_EQ(std::string(room.data(), size), szdd::Compress(data, 'I'));
  }
  if constexpr (sizeof(std::size_t) > 4) {
    EXPECT_THROW(szdd::CompressBound(std::size_t{1} << 32), std::length_error);
  }
}

TEST(SzddCompress, DataWithoutRepeatsIsAllLiterals) {
  const std::string data = WithoutRepeats() + WithoutRepeats();
  EXPECT_EQ(szdd::Compress(data, 'X'), HeaderBytes('X', static_cast<std::uint32_t>(data.size())) + AllLiterals(data));
}

// ------------------------------------------------------------------ names

TEST(SzddNames, CompressedNameReplacesTheLastCharacter) {
  EXPECT_EQ(szdd::CompressedName("VER.DLL"), "VER.DL_");
  EXPECT_EQ(szdd::CompressedName("SETUP1.EXE"), "SETUP1.EX_");
  EXPECT_EQ(szdd::CompressedName("LOGO"), "LOG_");
  EXPECT_EQ(szdd::CompressedName("A"), "_");
}

TEST(SzddNames, TwinNameFollowsTheOpenRule) {
  EXPECT_EQ(szdd::TwinName("SETUP1.EXE"), "SETUP1.EX_");
  EXPECT_EQ(szdd::TwinName("testfile.xxx"), "testfile.xx_");
  EXPECT_EQ(szdd::TwinName("dotless"), "dotless._");
  EXPECT_EQ(szdd::TwinName("extless."), "extless._");
  EXPECT_EQ(szdd::TwinName("a.b"), "a.b_");
  EXPECT_EQ(szdd::TwinName("a.bc"), "a.bc_");
  EXPECT_EQ(szdd::TwinName("a.b.cde"), "a.b.cd_");
  EXPECT_EQ(szdd::TwinName("C:\\DIR.EXT\\dotless"), "C:\\DIR.EXT\\dotless._");
  EXPECT_EQ(szdd::TwinName("D:\\DISK1\\VER.DLL"), "D:\\DISK1\\VER.DL_");
  // Only the backslash separates directories here.
  EXPECT_EQ(szdd::TwinName("dir.x/file"), "dir.x/fil_");
}

TEST(SzddNames, ExpandedNameOfPlainFileIsTheName) {
  EXPECT_EQ(szdd::ExpandedName("README.TX_", "plain text"), "README.TX_");
  EXPECT_EQ(szdd::ExpandedName("C:\\A\\VER.DL_", ""), "C:\\A\\VER.DL_");
}

TEST(SzddNames, ExpandedNamePutsBackTheStoredCharacter) {
  const std::string upperL = szdd::Compress("x", 'L');
  EXPECT_EQ(szdd::ExpandedName("VER.DL_", upperL), "VER.DLL");
  EXPECT_EQ(szdd::ExpandedName("D:\\DISK1\\VER.DL_", upperL), "D:\\DISK1\\VER.DLL");
  EXPECT_EQ(szdd::ExpandedName("ver.dl_", upperL), "ver.dll");  // case follows the name
  EXPECT_EQ(szdd::ExpandedName("ver.dl_", szdd::Compress("x", 'l')), "ver.dll");
  EXPECT_EQ(szdd::ExpandedName("VER.DL_", szdd::Compress("x", 'l')), "VER.DLL");
  EXPECT_EQ(szdd::ExpandedName("Ver.Dl_", upperL), "Ver.Dll");
  EXPECT_EQ(szdd::ExpandedName("A.1_", upperL), "A.1L");  // last letter is the A
  EXPECT_EQ(szdd::ExpandedName("a.1_", upperL), "a.1l");
  EXPECT_EQ(szdd::ExpandedName("DATA.BI_", szdd::Compress("x", '1')), "DATA.BI1");
  EXPECT_EQ(szdd::ExpandedName("c:\\sub.dir\\x.y.z_", upperL), "c:\\sub.dir\\x.y.zl");
}

TEST(SzddNames, ExpandedNameWithoutDotOrStoredChar) {
  const std::string stored = szdd::Compress("x", 'E');
  const std::string none = szdd::Compress("x", '\0');
  EXPECT_EQ(szdd::ExpandedName("README_", stored), "README_");  // no dot: unchanged
  EXPECT_EQ(szdd::ExpandedName("C:\\X.Y\\README_", stored), "C:\\X.Y\\README_");
  EXPECT_EQ(szdd::ExpandedName("README.", stored), "README");         // final dot dropped
  EXPECT_EQ(szdd::ExpandedName("README.TXT", stored), "README.TXT");  // no "_" to replace
  EXPECT_EQ(szdd::ExpandedName("VER.DL_", none), "VER.DL");           // stored 0 cuts the name
  EXPECT_EQ(szdd::ExpandedName("foo.dll_", none), "foo.dll");
  EXPECT_EQ(szdd::ExpandedName("C:\\DIR\\", stored), "C:\\DIR\\");
}

TEST(SzddNames, CompressedNameAndExpandedNameAreInverse) {
  for (const std::string name : {"SETUP1.EXE", "VER.DLL", "CTL3DV2.DLL", "setup.lst", "LOGO.BMP", "A.B"}) {
    const std::string packed = szdd::Compress("content", name.back());
    EXPECT_EQ(szdd::ExpandedName(szdd::CompressedName(name), packed), name);
  }
}

// ------------------------------------------------------------------ other expanders

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "szdd_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool HaveProgram(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) {
  return std::system(("timeout 60 " + command).c_str());
}

// The command-line compressor of the host system, made once and checked in.
TEST(SzddOtherTools, ExpandsAFileMadeByTheHostCompressor) {
  const std::string original =
      "[BootSetup]\r\nSourceDir=A:\\\r\nDestDir=C:\\APP\\\r\nSetupFileName=SETUP1.EXE\r\n[Files]\r\n"
      "File1=1,,SETUP1.EX_,SETUP1.EXE,$(AppPath),,,1.0.0.0\r\n"
      "File2=1,,VER.DL_,VER.DLL,$(WinSysPath),,,1.0.0.0\r\n"
      "File3=1,,CTL3DV2.DL_,CTL3DV2.DLL,$(WinSysPath),,,1.0.0.0\r\n"
      "                    spaces                    \r\n";
  const std::string made = Bytes(
      {0x53, 0x5a, 0x44, 0x44, 0x88, 0xf0, 0x27, 0x33, 0x41, 0x00, 0x21, 0x01, 0x00, 0x00, 0xff, 0x5b, 0x42,
       0x6f, 0x6f, 0x74, 0x53, 0x65, 0x74, 0xff, 0x75, 0x70, 0x5d, 0x0d, 0x0a, 0x53, 0x6f, 0x75, 0xff, 0x72,
       0x63, 0x65, 0x44, 0x69, 0x72, 0x3d, 0x41, 0xff, 0x3a, 0x5c, 0x0d, 0x0a, 0x44, 0x65, 0x73, 0x74, 0x7e,
       0x03, 0x01, 0x43, 0x3a, 0x5c, 0x41, 0x50, 0x50, 0x09, 0x00, 0xfe, 0xf5, 0xf2, 0x46, 0x69, 0x6c, 0x65,
       0x4e, 0x61, 0x6d, 0xff, 0x65, 0x3d, 0x53, 0x45, 0x54, 0x55, 0x50, 0x31, 0x7f, 0x2e, 0x45, 0x58, 0x45,
       0x0d, 0x0a, 0x5b, 0x22, 0x01, 0xf9, 0x73, 0xfa, 0xf0, 0x22, 0x01, 0x31, 0x3d, 0x31, 0x2c, 0x2c, 0xfa,
       0x2b, 0x06, 0x5f, 0x48, 0x07, 0x45, 0x2c, 0x24, 0x28, 0x41, 0xff, 0x70, 0x70, 0x50, 0x61, 0x74, 0x68,
       0x29, 0x2c, 0x9f, 0x2c, 0x2c, 0x31, 0x2e, 0x30, 0x6d, 0x01, 0x3e, 0x03, 0x32, 0xfe, 0x45, 0x01, 0x56,
       0x45, 0x52, 0x2e, 0x44, 0x4c, 0x5f, 0xfa, 0x7d, 0x04, 0x4c, 0x5e, 0x00, 0x57, 0x69, 0x6e, 0x53, 0x79,
       0xe9, 0x73, 0x64, 0x0d, 0x3f, 0x02, 0x33, 0x45, 0x01, 0x43, 0x54, 0x4c, 0x0f, 0x33, 0x44, 0x56, 0x32,
       0x81, 0x02, 0xb0, 0x07, 0x8c, 0x0d, 0x6a, 0x08, 0xf9, 0x20, 0xe1, 0x0d, 0xe5, 0x00, 0x73, 0x70, 0x61,
       0x63, 0x65, 0x19, 0x73, 0xe5, 0x0d, 0xff, 0x01, 0x0d, 0x0a});
  const szdd::Expansion expansion = szdd::Expand(made);
  EXPECT_TRUE(expansion.complete);
  EXPECT_EQ(expansion.data, original);
  EXPECT_LE(szdd::Compress(original, '\0').size(), made.size());
}

TEST(SzddOtherTools, HostCompressorOutputExpands) {
  if (!HaveProgram("mscompress")) GTEST_SKIP() << "mscompress not installed";
  TempDir dir;
  // It mangles inputs under 16 bytes, so start there.
  for (std::size_t size : {16u, 17u, 100u, 4096u, 5000u, 70000u}) {
    const std::string data = (size % 2 ? RandomBytes(size, 51) : Prose(size));
    const fs::path file = dir.path() / ("in" + std::to_string(size));
    WriteFile(file, data);
    ASSERT_EQ(Shell("mscompress '" + file.string() + "' >/dev/null 2>&1"), 0);
    const szdd::Expansion expansion = szdd::Expand(ReadFile(file.string() + "_"));
    EXPECT_TRUE(expansion.complete) << size;
    EXPECT_TRUE(expansion.data == data) << size;
  }
}

TEST(SzddOtherTools, HostExpanderReadsOurOutput) {
  if (!HaveProgram("msexpand")) GTEST_SKIP() << "msexpand not installed";
  TempDir dir;
  const std::vector<std::string> inputs = {"",
                                           "Z",
                                           std::string(5000, ' '),
                                           std::string(300, '\0') + "x",
                                           RandomBytes(15, 61),
                                           RandomBytes(9000, 62),
                                           RandomBytes(30000, 63, 5),
                                           Prose(120000)};
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const fs::path packed = dir.path() / ("f" + std::to_string(i) + "_");
    const fs::path expanded = dir.path() / ("f" + std::to_string(i) + ".out");
    WriteFile(packed, szdd::Compress(inputs[i], 'E'));
    ASSERT_EQ(Shell("msexpand < '" + packed.string() + "' > '" + expanded.string() + "' 2>/dev/null"), 0);
    EXPECT_TRUE(ReadFile(expanded) == inputs[i]) << "input " << i << " of " << inputs[i].size() << " bytes";
  }
}

}  // namespace
