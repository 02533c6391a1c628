#include "profile_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using profile::ReadInt;
using profile::ReadString;
using profile::WriteString;

constexpr std::size_t kRoom = 256;

std::string Read(const std::string& file, std::string_view section,
                 std::string_view key, std::string_view def = "<def>") {
  return ReadString(file, section, key, def, kRoom);
}

std::uint32_t Int(const std::string& file, std::string_view key,
                  int def = 77) {
  return ReadInt(file, "s", key, def);
}

// --- reading: where a value is found ---------------------------------------

TEST(ProfileLookup, MissingFileSectionOrKeyGiveTheDefault) {
  const std::string file = "[a]\r\nk=v\r\n";
  EXPECT_EQ(ReadString(std::nullopt, "a", "k", "dflt", kRoom), "dflt");
  EXPECT_EQ(Read(file, "b", "k"), "<def>");
  EXPECT_EQ(Read(file, "a", "x"), "<def>");
  EXPECT_EQ(Read(file, "a", "k"), "v");
  EXPECT_EQ(Read("", "a", "k"), "<def>");
}

TEST(ProfileLookup, NamesMatchWithoutRegardToCase) {
  const std::string file = "[MiXed]\r\nSomeKey=1\r\n[\xC4rger]\r\n\xE9t\xE9=2\r\n";
  EXPECT_EQ(Read(file, "mixed", "SOMEKEY"), "1");
  EXPECT_EQ(Read(file, "mixed", "somekey2"), "<def>");
  // Letters beyond ASCII match only as they are spelt.
  EXPECT_EQ(Read(file, "\xC4RGER", "\xE9T\xE9"), "2");
  EXPECT_EQ(Read(file, "\xE4rger", "\xE9t\xE9"), "<def>");
  EXPECT_EQ(Read(file, "\xC4rger", "\xC9t\xC9"), "<def>");
}

TEST(ProfileLookup, OnlySpacesAreStrippedFromThePassedNames) {
  const std::string file = "[sec]\r\nkey=v\r\n";
  EXPECT_EQ(Read(file, "  sec ", "   key  "), "v");
  EXPECT_EQ(Read(file, "\tsec", "key"), "<def>");
  EXPECT_EQ(Read(file, "sec", "key\t"), "<def>");
}

TEST(ProfileLookup, BlanksAroundHeadersAndKeysInTheFileAreIgnored) {
  const std::string file =
      " \t[ \tsec\v ]\r\n  \t key \t = value\r\n\vother=x\r\n";
  EXPECT_EQ(Read(file, "sec", "key"), "value");
  EXPECT_EQ(Read(file, "sec", "other"), "x");
}

TEST(ProfileLookup, HeaderNameEndsAtTheFirstClosingBracket) {
  const std::string file =
      "[a]b]\r\nk=1\r\n[c] junk=here\r\nk=2\r\n[open\r\nk=3\r\n";
  EXPECT_EQ(Read(file, "a", "k"), "1");
  EXPECT_EQ(Read(file, "a]b", "k"), "<def>");
  EXPECT_EQ(Read(file, "c", "k"), "2");
  EXPECT_EQ(Read(file, "c", "junk"), "<def>");
  EXPECT_EQ(Read(file, "open", "k"), "3");
}

TEST(ProfileLookup, LinesBeforeTheFirstSectionAreUnreachable) {
  const std::string file = "k=top\r\n[]\r\nk=empty\r\n";
  EXPECT_EQ(Read(file, "", "k"), "empty");
  EXPECT_EQ(Read("k=top\r\n[s]\r\n", "", "k"), "<def>");
  EXPECT_EQ(Read("k=top\r\n[s]\r\n", "s", "k"), "<def>");
}

TEST(ProfileLookup, AnEmptyKeyFindsNothing) {
  const std::string file = "[s]\r\n=v\r\n";
  EXPECT_EQ(Read(file, "s", ""), "<def>");
  EXPECT_EQ(Read(file, "s", "   "), "<def>");
}

TEST(ProfileLookup, KeyIsTheTextBeforeTheFirstEquals) {
  const std::string file = "[s]\r\na=b=c\r\nnoequals\r\nempty=\r\n";
  EXPECT_EQ(Read(file, "s", "a"), "b=c");
  EXPECT_EQ(Read(file, "s", "a=b"), "<def>");
  EXPECT_EQ(Read(file, "s", "noequals"), "<def>");
  EXPECT_EQ(Read(file, "s", "empty"), "");
}

TEST(ProfileLookup, CommentsAreLinesStartingWithASemicolon) {
  const std::string file =
      "[s]\r\n;k=commented\r\n  ;j=also\r\nk=v ;not a comment\r\n#h=hash\r\n"
      "j=real\r\n";
  EXPECT_EQ(Read(file, "s", "k"), "v ;not a comment");
  EXPECT_EQ(Read(file, "s", "j"), "real");
  EXPECT_EQ(Read(file, "s", "#h"), "hash");
  EXPECT_EQ(Read(file, "s", ";k"), "<def>");
}

TEST(ProfileLookup, FirstDuplicateKeyAndSectionWin) {
  const std::string file =
      "[s]\r\nk=first\r\nK=second\r\n[t]\r\nx=1\r\n[S]\r\nk=third\r\nonly=4\r\n";
  EXPECT_EQ(Read(file, "s", "k"), "first");
  EXPECT_EQ(Read(file, "s", "only"), "<def>");
  EXPECT_EQ(Read(file, "t", "k"), "<def>");
}

TEST(ProfileLookup, AnyLineBreakEndsALine) {
  EXPECT_EQ(Read("[s]\rk=cr\rj=2", "s", "k"), "cr");
  EXPECT_EQ(Read("[s]\rk=cr\rj=2", "s", "j"), "2");
  EXPECT_EQ(Read("[s]\nk=lf\n", "s", "k"), "lf");
  EXPECT_EQ(Read("[s]\n\r\r\nk=mixed", "s", "k"), "mixed");
}

TEST(ProfileLookup, AUtf8MarkBreaksTheFirstHeader) {
  EXPECT_EQ(Read("\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k"), "<def>");
}

// --- reading: the value's form ---------------------------------------------

TEST(ProfileValue, BlanksAroundTheValueAreTrimmed) {
  const std::string file = "[s]\r\nk= \t\vin  side\v\t \r\nn=\f\r\n";
  EXPECT_EQ(Read(file, "s", "k"), "in  side");
  EXPECT_EQ(Read(file, "s", "n"), "\f");
}

TEST(ProfileValue, MatchingOuterQuotesAreRemoved) {
  const std::string file =
      "[s]\r\n"
      "dq=\"  spaced  \"\r\n"
      "sq='single'\r\n"
      "mixed=\"left'\r\n"
      "inner=a \"b\" c\r\n"
      "one=\"\r\n"
      "two=\"\"\r\n"
      "nested=\"\"x\"\"\r\n"
      "padded=  'p'  \r\n";
  EXPECT_EQ(Read(file, "s", "dq"), "  spaced  ");
  EXPECT_EQ(Read(file, "s", "sq"), "single");
  EXPECT_EQ(Read(file, "s", "mixed"), "\"left'");
  EXPECT_EQ(Read(file, "s", "inner"), "a \"b\" c");
  EXPECT_EQ(Read(file, "s", "one"), "\"");
  EXPECT_EQ(Read(file, "s", "two"), "");
  EXPECT_EQ(Read(file, "s", "nested"), "\"x\"");
  EXPECT_EQ(Read(file, "s", "padded"), "p");
}

TEST(ProfileValue, DefaultLosesOnlyTrailingSpaces) {
  const std::string file = "[s]\r\n";
  EXPECT_EQ(Read(file, "s", "k", "  lead \t  "), "  lead \t");
  EXPECT_EQ(Read(file, "s", "k", "\"quoted\""), "\"quoted\"");
  EXPECT_EQ(Read(file, "s", "k", "    "), "");
}

TEST(ProfileValue, ValueIsCutToCapacityLessOne) {
  const std::optional<std::string> file = "[s]\r\nk=val1\r\nq=\"abcdef\"\r\n";
  EXPECT_EQ(ReadString(file, "s", "k", "", 4), "val");
  EXPECT_EQ(ReadString(file, "s", "k", "", 5), "val1");
  EXPECT_EQ(ReadString(file, "s", "k", "", 1), "");
  EXPECT_EQ(ReadString(file, "s", "k", "", 0), "");
  EXPECT_EQ(ReadString(file, "s", "q", "", 4), "abc");
  EXPECT_EQ(ReadString(file, "s", "none", "default", 4), "def");
  EXPECT_EQ(ReadString(file, "s", "none", "default", 0), "");
}

// --- reading integers -------------------------------------------------------

TEST(ProfileInt, SignsAndDigitsWrapModulo2To32) {
  const std::string file =
      "[s]\r\nm1=-1\r\np1=+1\r\nbig=4294967296\r\nbig1=4294967297\r\n"
      "nbig=-4294967297\r\nplain=  42  \r\n";
  EXPECT_EQ(Int(file, "m1"), 4294967295u);
  EXPECT_EQ(Int(file, "p1"), 1u);
  EXPECT_EQ(Int(file, "big"), 0u);
  EXPECT_EQ(Int(file, "big1"), 1u);
  EXPECT_EQ(Int(file, "nbig"), 4294967295u);
  EXPECT_EQ(Int(file, "plain"), 42u);
}

TEST(ProfileInt, ParsingStopsAtTheFirstNonDigit) {
  const std::string file =
      "[s]\r\ntail=42A94967297\r\nlead=B4294967297\r\nsign=-\r\n"
      "twice=--5\r\ngap=- 5\r\nhex=0x10\r\n";
  EXPECT_EQ(Int(file, "tail"), 42u);
  EXPECT_EQ(Int(file, "lead"), 0u);  // no digits: 0, not the default
  EXPECT_EQ(Int(file, "sign"), 0u);
  EXPECT_EQ(Int(file, "twice"), 0u);
  EXPECT_EQ(Int(file, "gap"), 0u);
  EXPECT_EQ(Int(file, "hex"), 0u);
}

TEST(ProfileInt, QuotesAreStrippedBeforeParsing) {
  const std::string file = "[s]\r\nq=\"12\"\r\nsq=' -3'\r\nempty=\"\"\r\n";
  EXPECT_EQ(Int(file, "q"), 12u);
  EXPECT_EQ(Int(file, "sq"), 4294967293u);
  EXPECT_EQ(Int(file, "empty"), 77u);
}

TEST(ProfileInt, MissingOrEmptyValueGivesTheDefault) {
  const std::string file = "[s]\r\nempty=\r\nblank=   \r\n";
  EXPECT_EQ(Int(file, "empty"), 77u);
  EXPECT_EQ(Int(file, "blank"), 77u);
  EXPECT_EQ(Int(file, "missing", -2), 4294967294u);
  EXPECT_EQ(ReadInt(std::nullopt, "s", "k", 5), 5u);
}

// --- writing ---------------------------------------------------------------

TEST(ProfileWrite, MissingFileIsCreatedWithSectionAndKey) {
  EXPECT_EQ(WriteString(std::nullopt, "sec", "key", "value"),
            "[sec]\r\nkey=value\r\n");
  EXPECT_EQ(WriteString(std::nullopt, "  sec ", "  key ", " value "),
            "[sec]\r\nkey= value \r\n");
  EXPECT_EQ(WriteString(std::string(), "sec", "key", "v"),
            "[sec]\r\nkey=v\r\n");
}

TEST(ProfileWrite, NewSectionIsAppendedAtTheEnd) {
  EXPECT_EQ(WriteString(std::string("[a]\r\nk=1\r\n"), "b", "k", "2"),
            "[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
  EXPECT_EQ(WriteString(std::string("[a]\r\nk=1"), "b", "k", "2"),
            "[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
  EXPECT_EQ(WriteString(std::string("[a]\r\n\r\n\r\n"), "b", "k", "2"),
            "[a]\r\n\r\n\r\n[b]\r\nk=2\r\n");
  EXPECT_EQ(WriteString(std::string("[a]\nk=1\n"), "b", "k", "2"),
            "[a]\nk=1\n[b]\r\nk=2\r\n");
  EXPECT_EQ(WriteString(std::string("just text"), "", "k", "2"),
            "just text\r\n[]\r\nk=2\r\n");
}

TEST(ProfileWrite, ExistingValueIsReplacedInPlace) {
  const std::string file =
      "; head\r\n[Sec]\r\n  MyKey = old value \r\nnext=1\r\n\r\n[t]\r\nx=2";
  EXPECT_EQ(WriteString(file, "sec", "MYKEY", "New"),
            "; head\r\n[Sec]\r\n  MyKey =New\r\nnext=1\r\n\r\n[t]\r\nx=2");
  EXPECT_EQ(WriteString(file, "t", "X", "  3 "),
            "; head\r\n[Sec]\r\n  MyKey = old value \r\nnext=1\r\n\r\n[t]\r\n"
            "x=  3 ");
  EXPECT_EQ(WriteString(std::string("[s]\rk=1\rj=2\r"), "s", "k", "9"),
            "[s]\rk=9\rj=2\r");
}

TEST(ProfileWrite, OnlyTheFirstDuplicateIsReplaced) {
  const std::string file = "[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n";
  EXPECT_EQ(WriteString(file, "S", "K", "x"),
            "[s]\r\nk=x\r\nk=2\r\n[s]\r\nk=3\r\n");
}

TEST(ProfileWrite, NewKeyFollowsTheSectionsLastEntry) {
  const std::string file =
      "[first]\r\na=1\r\n[middle]\r\nb=2\r\nc=3\r\n\r\n; about last\r\n"
      "[last]\r\nd=4\r\n";
  EXPECT_EQ(WriteString(file, "middle", "e", "5"),
            "[first]\r\na=1\r\n[middle]\r\nb=2\r\nc=3\r\ne=5\r\n\r\n"
            "; about last\r\n[last]\r\nd=4\r\n");
}

TEST(ProfileWrite, NewKeysKeepCallOrderAfterExistingKeys) {
  std::optional<std::string> file = std::string("[s]\r\nb=value\r\na=value\r\n");
  for (const char* key : {"z", "b", "y", "a"}) file = WriteString(file, "s", key, "");
  EXPECT_EQ(*file, "[s]\r\nb=\r\na=\r\nz=\r\ny=\r\n");
}

TEST(ProfileWrite, NewKeyInAnEmptySectionFollowsTheHeader) {
  EXPECT_EQ(WriteString(std::string("[s]\r\n\r\n[t]\r\n"), "s", "k", "v"),
            "[s]\r\nk=v\r\n\r\n[t]\r\n");
  EXPECT_EQ(WriteString(std::string("[s]"), "s", "k", "v"),
            "[s]\r\nk=v\r\n");
  EXPECT_EQ(WriteString(std::string("[s]\r\na=1"), "s", "k", "v"),
            "[s]\r\na=1\r\nk=v\r\n");
}

TEST(ProfileWrite, UnrelatedBytesAreKept) {
  const std::string file(
      "pre\0amble\r\n[s]\r\n\tk=1\r\n;c\r\nx\r\n[t]\r\ny=\"q\"\r\n", 41);
  const std::string written = WriteString(file, "s", "n", "2");
  EXPECT_EQ(written, file.substr(0, 29) + "n=2\r\n" + file.substr(29));
}

TEST(ProfileWrite, WrittenValuesReadBack) {
  std::optional<std::string> file = std::string("x=1\r\n[a]\r\nk=\"old\"\r\n");
  file = WriteString(file, "a", "k", "  'quoted'  ");
  file = WriteString(file, "b", "n", "-1");
  EXPECT_EQ(ReadString(file, "A", "K", "", kRoom), "quoted");
  EXPECT_EQ(ReadInt(file, "b", "n", 0), 4294967295u);
  EXPECT_EQ(ReadString(file, "", "x", "none", kRoom), "none");
}

TEST(ProfileWrite, KeyStartingWithSemicolonBecomesAComment) {
  const std::optional<std::string> file =
      WriteString(std::string("[s]\r\n"), "s", ";note", "text");
  EXPECT_EQ(*file, "[s]\r\n;note=text\r\n");
  EXPECT_EQ(ReadString(file, "s", ";note", "gone", kRoom), "gone");
}

// --- UTF-16 files ------------------------------------------------------------

// The bytes of a UTF-16 LE file with its byte-order mark.
std::string Wide(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// A writer may append what Appended offers instead of calling WriteString:
// the bytes must be the same, and it must decline whatever is no append.
TEST(ProfileWrite, AnAppendedEntryIsWhatTheWriteWouldAdd) {
  const struct {
    std::string file, section, key, value;
    bool appends;
  } cases[] = {
      {"[s]\r\na=1\r\n", "s", "b", "2", true},
      {"[s]\r\n", " S ", " b ", " 2 ", true},
      {"[t]\r\n[s]\r\na=1\rx\n", "s", "\tb", "=", true},  // a key line without "=", CR alone
      {"[s]\r\na=1\r\n", "s", "A", "2", false},           // replaces
      {"[s]\r\n a \t=1\r\n", "s", "a", "2", false},       // replaces
      {"[s]\r\na=1\r\n", "t", "b", "2", false},           // another section
      {"[s]\r\na=1\r\n[t]\r\n[S]\r\n", "s", "b", "2", false},  // the first [s] is searched
      {"[s]\r\na=1\r\n;end\r\n", "s", "b", "2", false},   // goes before the comment
      {"[s]\r\na=1\r\n\r\n", "s", "b", "2", false},       // goes before the blank line
      {"[s]\r\na=1", "s", "b", "2", false},               // no final line break
      {"[s]\r\na=1\r\n", "s", "b", "2\r\n[t]", false},    // more than one line
      {"[s]\r\na=1\r\n", "s", ";b", "2", false},          // a comment, not an entry
      {"a=1\r\n", "s", "b", "2", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " <- " + c.key);
    const std::optional<profile::Tail> tail = profile::TailOf(c.file);
    const auto appending = tail ? profile::Appended(*tail, c.section, c.key, c.value) : std::nullopt;
    ASSERT_EQ(appending.has_value(), c.appends);
    if (!appending) continue;
    const std::string written = WriteString(c.file, c.section, c.key, c.value);
    EXPECT_EQ(c.file + appending->line, written);
    // The tail with the new key is the written file's: the same key again
    // replaces its value, except where the key never matches its own line.
    profile::Tail next = *tail;
    next.keys.insert(appending->key);
    EXPECT_EQ(profile::TailOf(written)->keys, next.keys);
    const auto again = profile::Appended(next, c.section, c.key, "3");
    const std::string keyPart = appending->line.substr(0, appending->line.size() - c.value.size() - 2);
    EXPECT_EQ(again ? written + again->line : c.file + keyPart + "3\r\n",
              WriteString(written, c.section, c.key, "3"));
  }
  EXPECT_FALSE(profile::TailOf(std::nullopt));
  EXPECT_FALSE(profile::TailOf(Wide(u"[s]\r\na=1\r\n")));
}

TEST(ProfileWide, ValuesComeBackInTheAnsiCodePage) {
  const std::string file =
      Wide(u"[\u00C4rger]\r\nName = \"caf\u00E9 \u20AC\"\r\n\u03A9=omega\r\nN=42\r\n");
  EXPECT_EQ(Read(file, "\xC4rger", "name"), "caf\xE9 ?");
  EXPECT_EQ(Read(file, "\xC4rger", "?"), "<def>");  // only the same character matches
  EXPECT_EQ(ReadInt(file, "\xC4rger", "n", 7), 42u);
  EXPECT_EQ(ReadString(file, "\xC4rger", "name", "", 4), "caf");
}

TEST(ProfileWide, WritesKeepTheFileUtf16AndItsOtherUnits) {
  const std::u16string kept = u"[s]\r\nface=\U0001F600\r\nlone=\xD800x\r\n";
  const std::string file = Wide(kept);
  EXPECT_EQ(WriteString(file, "s", "new", "\xE9"), Wide(kept + u"new=\u00E9\r\n"));
  EXPECT_EQ(WriteString(file, "t", "k", "v"), Wide(kept + u"[t]\r\nk=v\r\n"));
  EXPECT_EQ(WriteString(file, "s", "lone", "1"), Wide(u"[s]\r\nface=\U0001F600\r\nlone=1\r\n"));
  EXPECT_EQ(WriteString(Wide(u"") + "!", "s", "k", "v") , Wide(u"[s]\r\nk=v\r\n") + "!");
}

TEST(ProfileWide, AnAnsiFileStaysAnsi) {
  EXPECT_EQ(WriteString(std::nullopt, "s", "k", "\xE9"), "[s]\r\nk=\xE9\r\n");
  EXPECT_EQ(Read("\xFE\xFF[s]\r\nk=v\r\n", "s", "k"), "<def>");  // big-endian: not a mark
}

// --- a parsed file ---------------------------------------------------------------

TEST(ProfileDocument, AnswersAsTheScanDoes) {
  const std::string files[] = {
      "[a]\r\nk=v\r\nk=second\r\n[A]\r\nx=dup\r\n[b]\r\n  K2 = \"q\" \r\n",
      "pre=1\r\n[]\r\n=empty\r\nnokey\r\n;c=1\r\n[ c ] tail\r\nn=-7",
      Wide(u"[w]\r\nk=\u00E9\u03A9\r\n"), ""};
  const std::pair<const char*, const char*> probes[] = {
      {"a", "k"}, {"A", "X"}, {"b", "k2"}, {"", ""}, {"", "pre"}, {"c", "n"},
      {"w", "K"}, {"  a ", " k"}, {"none", "k"}};
  for (const std::string& file : files) {
    const profile::Document document(file);
    for (const auto& [section, key] : probes) {
      SCOPED_TRACE(std::string(section) + "/" + key);
      EXPECT_EQ(document.ReadString(section, key, "d ", kRoom), Read(file, section, key, "d "));
      EXPECT_EQ(document.ReadString(section, key, "d", 2), ReadString(file, section, key, "d", 2));
      EXPECT_EQ(document.ReadInt(section, key, 9), ReadInt(file, section, key, 9));
    }
  }
  EXPECT_EQ(profile::Document(std::nullopt).ReadString("a", "k", "d", kRoom), "d");
}

TEST(ProfileDocument, EntriesOfTheFirstSectionInFileOrder) {
  const profile::Document document(
      std::string("[log]\r\nB=2\r\n;note\r\nA = 1 \r\nB=3\r\n[LOG]\r\nC=4\r\n"));
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(document.Entries("Log"), (Entries{{"B", "2"}, {"A", " 1 "}, {"B", "3"}}));
  EXPECT_TRUE(document.Entries("other").empty());
}

// --- size ------------------------------------------------------------------

TEST(ProfileScale, LargeFilesAreHandledInLinearTime) {
  std::string file = "[s]\r\n";
  for (int i = 0; i < 200000; ++i) file += "key" + std::to_string(i) + "=v\r\n";
  const std::string written = WriteString(file, "s", "new", "1");
  EXPECT_EQ(written.size(), file.size() + 7);
  EXPECT_EQ(ReadString(written, "s", "key199999", "", kRoom), "v");
  EXPECT_EQ(ReadString(written, "s", "new", "", kRoom), "1");
  const std::string longLine(3 << 20, 'x');
  EXPECT_EQ(ReadString("[s]\r\nk=" + longLine, "s", "k", "", 11), "xxxxxxxxxx");
}

}  // namespace
