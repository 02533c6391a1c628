// The plain-list scan and the conversion of sectioned-list entries.
#include <gtest/gtest.h>

#include "setup_list.h"
#include "launch.h"

namespace boot {
namespace {

TEST(ScanPlainList, JoinsLinesAndKeepsATrailingSeparator) {
  const PlainScan scan = ScanPlainList(std::string("SETUP1.EX_\r\nVER.DL_\r\nCTL3DV2.DL_\r\n"));
  EXPECT_EQ(scan.result, kScanDone);
  EXPECT_EQ(scan.list, "SETUP1.EX_;VER.DL_;CTL3DV2.DL_;");
}

TEST(ScanPlainList, LineLengthLimitCountsTheBreak) {
  const std::string eighteen(18, 'A');
  EXPECT_EQ(ScanPlainList(eighteen + "\r\nB").result, kScanDone);
  EXPECT_EQ(ScanPlainList(eighteen + "A\r\nB").result, kScanLineTooLong);
  EXPECT_EQ(ScanPlainList(eighteen + "A\nB").result, kScanDone);
  EXPECT_EQ(ScanPlainList(eighteen + "AA\nB").result, kScanLineTooLong);
}

TEST(ScanPlainList, LastLineIsNotLimitedAndBlankLinesVanish) {
  const std::string longLast(300, 'Z');
  const PlainScan scan = ScanPlainList("A.EX_\n\n\r\nB.DL_\n" + longLast);
  EXPECT_EQ(scan.result, kScanDone);
  EXPECT_EQ(scan.list, "A.EX_;B.DL_;" + longLast);
}

TEST(ScanPlainList, LfOnlyAndOtherBreakCharacters) {
  EXPECT_EQ(ScanPlainList(std::string("A.EX_\nB.DL_\fC.DL_\x1a")).list, "A.EX_;B.DL_;C.DL_;");
}

TEST(ScanPlainList, TinyOrUnreadableFilesAreRefused) {
  EXPECT_EQ(ScanPlainList(std::nullopt).result, kScanUnreadable);
  EXPECT_EQ(ScanPlainList(std::string("AB")).result, kScanUnreadable);
  EXPECT_EQ(ScanPlainList(std::string("")).result, kScanUnreadable);
  EXPECT_EQ(ScanPlainList(std::string("ABC")).result, kScanDone);
}

TEST(ScanPlainList, SectionedListCountsAsTooLong) {
  EXPECT_EQ(ScanPlainList(std::string("[Bootstrap]\r\nFile1=1,,SETUP1.EX_,SETUP1.EXE,$(WinPath)\r\n")).result,
            kScanLineTooLong);
}

TEST(ScanPlainList, AListOfAnyLengthIsReadWhole) {
  std::string content;
  std::string expected;
  for (int i = 0; i < 400; ++i) {
    content += "FILE" + std::to_string(i) + ".DL_\r\n";
    expected += "FILE" + std::to_string(i) + ".DL_;";
  }
  const PlainScan scan = ScanPlainList(content);
  EXPECT_EQ(scan.result, kScanDone);
  EXPECT_EQ(scan.list, expected);
}

TEST(NextLineStart, SkipsTheWholeRunOfBreaks) {
  EXPECT_EQ(NextLineStart("AB\r\n\r\nC", 0), 6u);
  EXPECT_EQ(NextLineStart("AB\r\n", 0), 4u);
  EXPECT_FALSE(NextLineStart("ABC", 0));
}

const ListMacros kMacros{"$(WinSysPath)", "$(WinPath)", "$(DLLSelfRegister)", "$(EXESelfRegister)"};

// A record in the own list's ";" form, to compare with the documented one.
std::string Text(const FileRecord& r) {
  return r.destName + ";" + (r.skipIfInUse ? std::to_string(r.skipIfInUse) : "") + ";" +
         std::to_string(r.destCode) + ";" + r.version + ";" + std::to_string(r.disk) + ";" + r.sourceName +
         ";" + r.registration + ";" + (r.IsSplit() ? r.secondSource + ";" + std::to_string(r.secondDisk) + ";" : "");
}

std::string Convert(const std::vector<std::string>& entries) {
  std::vector<FileRecord> files;
  bool pending = false;
  for (const std::string& entry : entries) AddSectionedEntry(files, entry, kMacros, pending);
  std::string text;
  for (const FileRecord& record : files) text += Text(record) + "|";
  return text;
}

TEST(SectionedEntry, BecomesTheRecordOfTheOwnListForm) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"1,,SETUP1.EX_,SETUP1.EXE,$(WinPath),$(EXESelfRegister),,,,5.0.0.1"},
       "SETUP1.EXE;;1;5.0.0.1;1;SETUP1.EX_;2;|"},
      // A split pair becomes one record with the second part's name and disk.
      {{"1,SPLIT,BIG.DL1,BIG.DLL,$(WinSysPath),,,,,1.0.0.0", "2,,BIG.DL2,BIG.DLL,$(WinSysPath),,,,,1.0.0.0"},
       "BIG.DLL;;0;1.0.0.0;1;BIG.DL1;0;BIG.DL2;2;|"},
      {{"1,,A.DL_,A.DLL,$(WinSysPath),$(DLLSelfRegister),,,,1.2.3.4"}, "A.DLL;;0;1.2.3.4;1;A.DL_;1;|"},
      {{"1,,A.DL_,A.DLL,$(AppPath),,,,,"}, "A.DLL;;0;;1;A.DL_;0;|"},
      {{"1,,A.DL_,A.DLL,$(WinSysPathX),,,,,"}, "A.DLL;;0;;1;A.DL_;0;|"},
      {{"1,,A.DL_,A.DLL,$(WinPath),X,,,,"}, "A.DLL;;1;;1;A.DL_;0;|"},
      {{"1,,A.RE_,A.REG,$(WinPath),MY.REG,,,,"}, "A.REG;;1;;1;A.RE_;MY.REG;|"},
      // Fields are cut to what a record holds.
      {{"1,," + std::string(30, 'S') + "," + std::string(50, 'D') + ",,,,,,"},
       std::string(39, 'D') + ";;0;;1;" + std::string(19, 'S') + ";0;|"},
  };
  for (const auto& [entries, expected] : cases) EXPECT_EQ(Convert(entries), expected) << entries[0];
}

TEST(FileRecordText, FieldsAreReadAsNumbersOrCutTexts) {
  EXPECT_EQ(Text(ParseFileRecord("A.DLL;1; 1x;4.0.2.0;-2;A.DL_;MY.REG;A.DL2;3")),
            "A.DLL;1;1;4.0.2.0;-2;A.DL_;MY.REG;A.DL2;3;");
  EXPECT_EQ(Text(ParseFileRecord("A.DLL")), "A.DLL;;0;;0;;;");
  EXPECT_EQ(ParseFileRecord(std::string(45, 'N')).destName.size(), kDestNameLength);
}

TEST(CommandLine, OnlyTheProgramPartIsQuotedAndPartsAreJoinedByOneBlank) {
  const std::array<std::array<const char*, 5>, 5> cases = {{
      {"C:\\WINDOWS\\SETUP1.EXE", "", "D:\\DISK1\\", "/Q", "C:\\WINDOWS\\SETUP1.EXE D:\\DISK1\\ /Q"},
      {"C:\\WINDOWS\\SETUP1.EXE", "", "D:\\", "", "C:\\WINDOWS\\SETUP1.EXE D:\\"},
      {"C:\\MY SETUP\\SETUP1.EXE", "", "D:\\", "/a b", "\"C:\\MY SETUP\\SETUP1.EXE\" D:\\ /a b"},
      {"C:\\WINDOWS\\MAIN.EXE", "/Q", "D:\\", "", "C:\\WINDOWS\\MAIN.EXE /Q D:\\"},
      {"C:\\MY DIR\\MAIN.EXE", "/Q", "D:\\", "/X", "\"C:\\MY DIR\\MAIN.EXE\" /Q D:\\ /X"},
  }};
  for (const auto& [program, switches, source, args, expected] : cases) {
    EXPECT_EQ(ComposeCommandLine(program, switches, source, args), expected);
  }
  const std::string args(5000, 'x');
  EXPECT_EQ(ComposeCommandLine("C:\\S.EXE", "", "D:\\", args).size(), 8 + 1 + 3 + 1 + args.size());
}

}  // namespace
}  // namespace boot
