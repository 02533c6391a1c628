// The media checks, one media folder per rule: the diagnostic each brings,
// and none for good media.
#include <fstream>
#include <iterator>

#include "../unit/image_bytes.h"
#include "../unit/pe_image.h"
#include "media_lint.h"
#include "scenario.h"
#include "setup_list.h"
#include "szdd.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kGood =
    "[BootSetup]\r\nVBCompatible=4\r\nDialogTitle=Lint\r\nImageFile=LOGO.BMP;0;1;1\r\n"
    "[Setup]\r\nSetup=MAIN.EXE /Q\r\n[Bootstrap]\r\n"
    "File1=1,,MAIN.EX_,MAIN.EXE,$(WinPath),,,,,\r\nFile2=1,,A.DL_,A.DLL,$(WinSysPath),,,,,2.0.0.0\r\n";

std::vector<std::string> LintFolder(const fs::path& dir, const std::string& list,
                                    const std::vector<std::pair<std::string, std::string>>& files) {
  fs::create_directories(dir);
  std::ofstream(dir / "SETUP.LST", std::ios::binary) << list;
  for (const auto& [name, bytes] : files) std::ofstream(dir / name, std::ios::binary) << bytes;
  std::vector<std::string> lines;
  for (const media::Diagnostic& diagnostic : media::Lint(dir)) lines.push_back(diagnostic.Format());
  return lines;
}

TEST_F(Scenario, MediaLintNamesWhatTheBootstrapperWouldCutMisreadOrNotFind) {
  const std::string program = szdd::Compress(kProgram, 'E');
  const std::string library = szdd::Compress(test_pe::Image({0x00020000, 0}), 'L');
  const std::string logo = szdd::Compress(test_image::Bmp({}, std::string(16, 'p')), 'P');
  const std::vector<std::pair<std::string, std::string>> media = {
      {"MAIN.EX_", program}, {"A.DL_", library}, {"LOGO.BM_", logo}};
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  const std::pair<std::string, std::string> cases[] = {
      {replaced(kGood, "Lint", "Setup | Lint"), "SETUP.LST:3: error: DialogTitle: a \"|\" splits"},
      {replaced(kGood, "Lint", std::string(60, 'L')), "SETUP.LST:3: error: DialogTitle is cut to 59 characters"},
      {replaced(kGood, "File2", "File3"), "SETUP.LST:9: warning: File3 is never read: File2 is missing"},
      {replaced(kGood, "Lint\r\n", "Lint\r\nRequires1=X.DLL\r\nRequires3=Y.DLL\r\n"),
       "warning: Requires3 is never read"},
      {kGood + "[BootSetup]\r\nRequires1=X.DLL\r\n", "SETUP.LST:10: warning: [BootSetup] is opened again"},
      {"[BootSetup]\r\nDialogTitle=X\r\n[Setup]\r\nSetup=M.EXE\r\n", "SETUP.LST:1: error: every line is short"},
      {"MAIN.EX_\r\nA.DL_\r\nA_RATHER_LONG_NAME.DL_\r\nLOGO.BM_\r\n", "error: a line longer than 18 characters"},
      {replaced(kGood, "2.0.0.0", "1.0.0.0"), "SETUP.LST:9: warning: Version 1.0.0.0 differs from the file's 2.0.0.0"},
      {replaced(kGood, "1,,A.DL_", "1,SPLIT,A.DL_"), "SETUP.LST:9: error: the split mark has no second part"},
      {replaced(kGood, "A.DL_,", "B.DL_,"), "SETUP.LST:9: error: B.DL_ is not on disk 1"},
      {replaced(kGood, "MAIN.EXE /Q", "OTHER.EXE"), "SETUP.LST:6: error: the main setup program OTHER.EXE"},
      {replaced(kGood, "DialogTitle=Lint", "ExcludeWinOS=31"), "SETUP.LST:3: error: ExcludeWinOS=31 excludes every"},
      {replaced(kGood, "DialogTitle=Lint", "SetupFileName=..\\X.EXE"), "error: SetupFileName: \"..\\X.EXE\" is not"},
      {replaced(kGood, "LOGO.BMP;0", "LOGO.BMP;1"), "SETUP.LST:4: error: ImageFile is not a usable icon"},
      {replaced(kGood, "DialogTitle=Lint", "DialogWidth=1"), "SETUP.LST:4: warning: the picture (2 x 2) is larger"},
      {replaced(replaced(kGood, "DialogTitle=Lint", "UseTempDir=1"), "A.DLL,$(WinSysPath)", "A.DLL,$(WinPath)"),
       "SETUP.LST:9: warning: A.DLL goes into the temporary directory and is never deleted"},
      {"[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=MAIN.EXE\r\nSetupDistName=MAIN.EX_\r\nFile1=B.DLL;1;;;1\r\n"
       "File2=A.DLL;;;2.0.0.0\r\n",
       "SETUP.LST:5: error: B.DL_ is not on disk 1"},
      // A plain list's name that the bootstrapper cannot open is skipped without a word, whatever the breaks.
      {"MAIN.EX_\r\nB.DL_\r\nA.DL_\r\n", "SETUP.LST:2: error: B.DL_ is not on disk 1"},
      {"MAIN.EX_\rA.DL_\rB.DL_", "SETUP.LST:3: error: B.DL_ is not on disk 1"},
      {"MAIN.EX_\n\nA.DL_\x0c\x1a;B.DL_\x1a", "SETUP.LST:3: error: B.DL_ is not on disk 1"},
      {"MAIN.EX_\r\n..\\A.DL_\r\n", "SETUP.LST:2: error: \"..\\A.DL_\" is not a plain file name and is refused"},
      {replaced(kGood, "MAIN.EXE /Q", "..\\MAIN.EXE"), "SETUP.LST:6: error: \"..\\MAIN.EXE\" is not a plain file name"},
      {replaced(kGood, "A.DLL,$(WinSysPath),", "ADLL,$(WinSysPath),$(EXESelfRegister)"),
       "SETUP.LST:9: error: \"ADLL\" is started as a program but has no extension"},
      {replaced(kGood, "DialogTitle=Lint", "ErrorMessageTempDir=" + std::string(100, 'T')),
       "SETUP.LST:3: error: ErrorMessageTempDir is cut to 99 characters"},
  };
  EXPECT_THAT(LintFolder(root_ / "good", kGood, media), IsEmpty());
  int n = 0;
  for (const auto& [list, diagnostic] : cases) {
    SCOPED_TRACE(diagnostic);
    EXPECT_THAT(LintFolder(root_ / std::to_string(++n), list, media), ElementsAre(HasSubstr(diagnostic)));
  }
  auto notAProgram = media;
  notAProgram[0].second = szdd::Compress("not a program", 'E');
  EXPECT_THAT(LintFolder(root_ / "text", kGood, notAProgram),
              ElementsAre(HasSubstr("SETUP.LST:8: error: the main setup program is not a Windows program")));
}

TEST_F(Scenario, MediaLintNamesSettingsTheBootstrapperNeverReadsAndBrokenHeaders) {
  const std::vector<std::pair<std::string, std::string>> media = {{"MAIN.EX_", szdd::Compress(kProgram, 'E')},
                                                                  {"A.DL_", szdd::Compress(test_pe::Image({0x00020000, 0}), 'L')},
                                                                  {"LOGO.BM_", szdd::Compress(test_image::Bmp({}, std::string(16, 'p')), 'P')}};
  const auto settings = [](const std::string& lines) {
    return "[BootSetup]\r\nVBCompatible=4\r\n" + lines + kGood.substr(kGood.find("DialogTitle"));
  };
  const std::string ignored = " is not a setting the bootstrapper reads, so it is ignored";
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {settings("UseTmpDir=1\r\n"), {"SETUP.LST:3: warning: UseTmpDir" + ignored + ": did you mean `UseTempDir`?"}},
      {settings("dialogtitel=X\r\nDialogMesage2=Y\r\nRequire1=Z.DLL\r\nColour=3\r\n"),
       {"SETUP.LST:3: warning: dialogtitel" + ignored + ": did you mean `DialogTitle`?",
        "SETUP.LST:4: warning: DialogMesage2" + ignored + ": did you mean `DialogMessage2`?",
        "SETUP.LST:5: warning: Require1" + ignored + ": did you mean `Requires1`?",
        "SETUP.LST:6: warning: Colour" + ignored}},
      // Known keys in any case, numbered ones from 1 on.
      {settings("usetempdir=0\r\nDialogMessage1=W\r\nFile0=X\r\n"),
       {"SETUP.LST:5: warning: File0" + ignored + ": did you mean `File1`?"}},
      // The profile reader takes the rest of the line as the name, so Setup= is still found.
      {settings("").replace(settings("").find("[Setup]"), 7, "[Setup"),
       {"SETUP.LST:5: error: the section header [Setup has no closing \"]\""}},
  };
  int n = 0;
  for (const auto& [list, expected] : cases) {
    SCOPED_TRACE(list);
    EXPECT_THAT(LintFolder(root_ / ("keys" + std::to_string(++n)), list, media), ::testing::ElementsAreArray(expected));
  }
  EXPECT_THAT(media::Lint(root_ / "absent")[0].Format(), HasSubstr("absent: error: no such folder"));
}

TEST_F(Scenario, MediaLintReadsTheSettingsBesideTheProgramAndTheFilesInItsSourceDirectory) {
  // INSTALL.EXE reads INSTALL.LST; FileSubDir puts SETUP.LST and the files in FILES.
  const fs::path dir = root_ / "named";
  const std::string settings = "[BootSetup]\r\nVBCompatible=4\r\nFileSubDir=FILES\r\nDialogTitle=A | B\r\n";
  const std::string list = "[Setup]\r\nSetup=MAIN.EXE\r\n[Bootstrap]\r\nFile1=1,,MAIN.EX_,MAIN.EXE,$(WinPath),,,,,\r\n"
                           "File2=1,,B.DL_,B.DLL,$(WinSysPath),,,,,\r\n";
  LintFolder(dir / "FILES", list, {{"MAIN.EX_", szdd::Compress(kProgram, 'E')}});
  std::ofstream(dir / "INSTALL.LST", std::ios::binary) << settings;
  std::vector<std::string> lines;
  for (const media::Diagnostic& diagnostic : media::Lint(dir, "INSTALL.EXE")) lines.push_back(diagnostic.Format());
  EXPECT_THAT(lines, ElementsAre(HasSubstr("INSTALL.LST:4: error: DialogTitle: a \"|\" splits"),
                                 HasSubstr("FILES/SETUP.LST:5: error: B.DL_ is not on disk 1")));
}

// Every field, to compare records.
std::string Fields(const boot::FileRecord& r) {
  return r.destName + "|" + std::to_string(r.skipIfInUse) + "|" + std::to_string(r.destCode) + "|" + r.version + "|" +
         std::to_string(r.disk) + "|" + r.sourceName + "|" + r.registration + "|" + r.secondSource + "|" +
         std::to_string(r.secondDisk) + (r.secondPartMissing ? "|unfinished" : "");
}

// The list readers' fuzz corpus and the examples' lists, each read by the
// program on the simulated machine and by the linter from the same folder:
// the same form and records, or, where the program ends the run at the
// list, an error from the linter.
TEST_F(Scenario, TheLinterReadsEveryListOfTheCorpusAsTheProgramDoes) {
  const fs::path source = SETUP_SOURCE_DIR;
  std::vector<fs::path> lists{source / "examples/media/SETUP.LST", source / "examples/simulated/d/SETUP.LST"};
  for (const auto& file : fs::directory_iterator(source / "tests/fuzz/corpus/setup_list")) lists.push_back(file.path());
  const std::string program = szdd::Compress(kProgram, 'E');
  const std::string library = szdd::Compress(test_pe::Image({0x00020000, 0}), 'L');
  const std::pair<std::string, std::string> media[] = {{"MAIN.EX_", program}, {"SETUP1.EX_", program},
                                                       {"A.DL_", library}, {"BIG.DL1", library.substr(0, 20)},
                                                       {"BIG.DL2", library.substr(20)}};
  int ended = 0;
  std::size_t records = 0;
  for (const fs::path& list : lists) {
    SCOPED_TRACE(list.string());
    Reset();
    std::ifstream in(list, std::ios::binary);
    List(std::string(std::istreambuf_iterator<char>(in), {}));
    for (const auto& [name, bytes] : media) Put("D:\\" + name, bytes);
    NewMachine();
    boot::BootState state;
    PrepareState(state);
    state.sectionName = "BootSetup";
    state.listPath = "D:\\SETUP.LST";
    state.dirs.setup = state.dirs.win;
    const bool goesOn = boot::ReadSetupList(state) && boot::CollectEntries(state);
    if (!goesOn) {
      ++ended;
      EXPECT_THAT(media::Lint(root_ / "d"), Contains(Field(&media::Diagnostic::error, true)));
      continue;
    }
    const media::ListReading reading = media::ReadList(root_ / "d");
    std::vector<std::string> read, linted;
    for (const boot::FileRecord& record : state.list.files) read.push_back(Fields(record));
    for (const boot::FileRecord& record : reading.records) linted.push_back(Fields(record));
    EXPECT_EQ(reading.form, state.list.mode);
    EXPECT_EQ(linted, read);
    records += read.size();
  }
  // The corpus holds lists of every form that the program reads through and some that end the run.
  EXPECT_GT(ended, 0);
  EXPECT_GT(records, lists.size());
}

}  // namespace
}  // namespace scenario
