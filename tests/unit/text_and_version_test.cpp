// Text helpers, program and list paths, and the Windows version classes.
#include <gtest/gtest.h>

#include <limits>

#include "directories.h"
#include "entry.h"
#include "file_names.h"
#include "text.h"
#include "win_version.h"

namespace boot {
namespace {

TEST(GetField, CountsEmptyFieldsAndTheOneAfterATrailingSeparator) {
  EXPECT_EQ(GetField("A;B;C", 2, ';'), "B");
  EXPECT_EQ(GetField("A;B;C", 3, ';'), "C");
  EXPECT_EQ(GetField("A;B;C", 4, ';'), "");
  EXPECT_EQ(GetField("a||c", 2, '|'), "");
  EXPECT_EQ(GetField("a||c", 3, '|'), "c");
  EXPECT_EQ(GetField("a|b|", 3, '|'), "");
  EXPECT_EQ(GetField("a|b|", 4, '|'), "");
  EXPECT_EQ(GetField("", 1, '|'), "");
  EXPECT_EQ(GetField(" x |y", 1, '|'), " x ");
}

TEST(GetField, FieldZeroAndNegativeAreEmpty) {
  EXPECT_EQ(GetField("A;B", 0, ';'), "");
  EXPECT_EQ(GetField("A;B", -3, ';'), "");
}

TEST(Decimal, WritesEveryLongLongAsPrintfWould) {
  for (const long long value : {0LL, 7LL, 10LL, -1LL, 65535LL, 65536LL, -2147483648LL, 4294967296LL,
                                1234567890123456789LL, std::numeric_limits<long long>::max(),
                                std::numeric_limits<long long>::min()}) {
    EXPECT_EQ(Decimal(value), std::to_string(value));
  }
}

TEST(AddTrailingBackslash, AddsOnlyWhenMissing) {
  std::string path = "C:\\WINDOWS";
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\WINDOWS\\");
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\WINDOWS\\");
}

TEST(ParseLeadingInt, ReadsLikeTheCLibrary) {
  EXPECT_EQ(ParseLeadingInt("  -2"), -2);
  EXPECT_EQ(ParseLeadingInt("+45px"), 45);
  EXPECT_EQ(ParseLeadingInt("abc"), 0);
  EXPECT_EQ(ParseLeadingInt(""), 0);
  // Digits past 32 bits wrap as the platform's conversion wraps them.
  EXPECT_EQ(ParseLeadingInt("2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingInt("4294967297"), 1);
  EXPECT_EQ(ParseLeadingInt("99999999999999999999"), 1661992959);
}

TEST(FileNameRules, OnlyPlainNamesOfOneFolder) {
  const std::pair<const char*, bool> cases[] = {
      {"SETUP1.EXE", true},  {"README", true},     {"A B.TXT", true},       {"..X", true},
      {"CONSOLE.EXE", true}, {"COM10", true},      {"", false},             {".", false},
      {"..", false},         {"..\\WIN.INI", false}, {"A/B", false},          {"C:X", false},
      {"C:", false},         {"CON", false},       {"con.txt", false},      {"LPT1", false},
      {"COM9.DLL", false},   {"NUL ", false},      {"AUX.", false},         {"A|B", false},
      {"A*", false},         {"A?", false},        {"\"A\"", false},        {"A\tB", false},
  };
  for (const auto& [name, plain] : cases) EXPECT_EQ(IsPlainFileName(name), plain) << name;
}

TEST(FileNameRules, TempDirOnlyWhereTheRunMayOwnIt) {
  Directories dirs;
  dirs.win = "C:\\WINDOWS\\";
  dirs.sys = dirs.osSys = "C:\\WINDOWS\\SYSTEM\\";
  dirs.program = "D:\\";
  dirs.source = "D:\\DISK1\\";
  const std::pair<const char*, const char*> cases[] = {
      {"MYSETUP", "C:\\MYSETUP"},     {"e:\\tmp\\x", "E:\\TMP\\X"},  {"C:\\TMP\\", "C:\\TMP"},
      {"C:\\WINDOWS\\SYSTEM\\X", "C:\\WINDOWS\\SYSTEM\\X"},
      {"C:", nullptr},  {"C:\\", nullptr},  {"D:\\TMP", nullptr},  {"D:\\DISK1\\X", nullptr},  {"WINDOWS", nullptr},  {"C:\\WINDOWS\\SYSTEM", nullptr},
      {"..\\X", nullptr},  {"C:\\A\\.\\B", nullptr},  {"C:\\A\\\\B", nullptr},  {"1:\\TMP", nullptr},  {"C:\\NUL", nullptr},
      {"\\\\SERVER\\SHARE", nullptr},
  };
  for (const auto& [setting, expected] : cases) {
    const std::optional<std::string> path = TempDirFromSetting(setting, dirs);
    EXPECT_EQ(path.value_or("(refused)"), expected ? expected : "(refused)") << setting;
  }
}

TEST(SetupKey, ProgramPartAndSwitches) {
  EXPECT_EQ(SplitProgramAndSwitches("MAIN.EXE /Q"), std::make_pair(std::string("MAIN.EXE"), std::string("/Q")));
  EXPECT_EQ(SplitProgramAndSwitches("MAIN.EXE"), std::make_pair(std::string("MAIN.EXE"), std::string()));
  EXPECT_EQ(SplitProgramAndSwitches("..\\EVIL.EXE  /A /B").second, "/A /B");
}

TEST(ListPath, BaseNameEndsAtTheFirstDot) {
  EXPECT_EQ(ListPathFor("D:\\SETUP.EXE", ".LST"), "D:\\SETUP.LST");
  EXPECT_EQ(ListPathFor("D:\\INSTALL.EXE", ".LST"), "D:\\INSTALL.LST");
  EXPECT_EQ(ListPathFor("D:\\DISK1\\MY.SETUP.EXE", ".LST"), "D:\\DISK1\\MY.LST");
  EXPECT_EQ(ListPathFor("D:\\SETUP", ".LST"), "D:\\SETUP.LST");
}

TEST(SourceDir, FileSubDirOfMoreThanOneCharacterIsAppended) {
  EXPECT_EQ(SourceDirFor("D:\\SETUP.EXE", "DISK1"), "D:\\DISK1\\");
  EXPECT_EQ(SourceDirFor("D:\\SETUP.EXE", "DISK1\\"), "D:\\DISK1\\");
  EXPECT_EQ(SourceDirFor("D:\\SETUP.EXE", "A"), "D:\\");
  EXPECT_EQ(SourceDirFor("D:\\SETUP.EXE", "*"), "D:\\");
  EXPECT_EQ(SourceDirFor("D:\\SETUP.EXE", ""), "D:\\");
}

constexpr std::uint32_t kNinetyFive = 0x80000000u;

WinVersion Classify(std::uint32_t version, std::optional<std::uint16_t> caps = std::nullopt) {
  return ClassifyWinVersion(version, [caps] { return caps; });
}

TEST(WinVersion, EveryFamilyGetsItsCodeAndText) {
  EXPECT_EQ(Classify(kNinetyFive | 0x0003).code, kWin30);
  EXPECT_EQ(Classify(kNinetyFive | 0x0003).text, "3.0 ");
  EXPECT_EQ(Classify(kNinetyFive | 0x0A03).code, kWin31);
  EXPECT_EQ(Classify(kNinetyFive | 0x0A03).text, "3.10 ");
  EXPECT_EQ(Classify(kNinetyFive | 0x0A03, 0x8004).code, kWinWorkgroups);
  EXPECT_EQ(Classify(kNinetyFive | 0x0A03, 0x8004).text, "3.10 WFW");
  EXPECT_EQ(Classify(kNinetyFive | 0x0004).text, "4.0 95");
  EXPECT_EQ(Classify(kNinetyFive | 0x0A04).text, "4.10 95");
  EXPECT_EQ(Classify(0x0A03).code, kWinNt);
  EXPECT_EQ(Classify(0x0A03).text, "3.10 NT");
  EXPECT_EQ(Classify(0x3203).text, "3.50 95");  // NT 3.5 sorts after 3.1
  EXPECT_EQ(Classify(0x0004).code, kWin95);
  EXPECT_EQ(Classify(0x4A65000A).code, kWinNt);
  EXPECT_EQ(Classify(0x4A65000A).text, "10.0 NT");
  EXPECT_EQ(Classify(0x23F00206).code, kWin95);
  EXPECT_EQ(Classify(0x23F00206).text, "6.2 95");
}

TEST(WinVersion, WorkgroupsNeedsSeveralNetworksAndItsOwnBit) {
  EXPECT_EQ(Classify(kNinetyFive | 0x0A03, 0x0004).code, kWin31);
  EXPECT_EQ(Classify(kNinetyFive | 0x0A03, 0x8000).code, kWin31);
}

TEST(WinVersion, NetworkIsAskedOnlyOutsideTheNtFamily) {
  int asked = 0;
  auto caps = [&asked] { ++asked; return std::optional<std::uint16_t>(0x8004); };
  ClassifyWinVersion(0x0A03, caps);
  ClassifyWinVersion(kNinetyFive | 0x0004, caps);
  EXPECT_EQ(asked, 0);
  ClassifyWinVersion(kNinetyFive | 0x0A03, caps);
  EXPECT_EQ(asked, 1);
}

TEST(WinVersion, VersionsBelowThreeOneOutsideNtGetWindows31) {
  EXPECT_EQ(Classify(kNinetyFive | 0x0002).code, kWin31);
  EXPECT_EQ(Classify(kNinetyFive | 0x000A).code, kWin31);
  EXPECT_EQ(Classify(kNinetyFive | 0x000A, 0x8004).code, kWinWorkgroups);
}

}  // namespace
}  // namespace boot
