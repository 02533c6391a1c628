// Whole runs: start-up, settings, directories and the setup log.
#include "boot_state.h"
#include "setup_log.h"
#include "directories.h"
#include "scenario.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Foundation : public Scenario {
 protected:
  // Media whose run ends quietly: no main setup program name.
  void QuietList(const std::string& extra = "") {
    List("[BootSetup]\r\nSetupFileName=\r\n" + extra);
  }
};

TEST_F(Foundation, WithoutAnySetupListEverySettingTakesItsDefault) {
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_THAT(Journal("window "), ElementsAre(
      "window class=SetupWClass title=\"Setup\" style=0x80C00080 exstyle=0x1 x=170 y=165 w=300 h=150"));
  EXPECT_EQ(Host().LastWrittenSection()->file, "C:\\WINDOWS\\ZOVURERU.INI");
  EXPECT_EQ(Host().LastWrittenSection()->name, "2026/12/06 14:08:30");
  EXPECT_EQ(LogValue("A"), "Setup");
  EXPECT_EQ(LogValue("V"), std::string("4.0 95 (") + SETUP_VERSION_LABEL + ")");
  EXPECT_THAT(Journal("text "), ElementsAre(
      "text \"Starting Setup, please wait...\" box=(0,45,300,131) format=0x801"));
  EXPECT_THAT(Journal("start "), ElementsAre("start \"C:\\WINDOWS\\SETUP1.EXE D:\\\" dir=\"C:\\WINDOWS\\\""));
}

TEST_F(Foundation, SetupLogOtherThanOneWritesNothing) {
  for (const char* value : {"0", "2"}) {
    SCOPED_TRACE(value);
    QuietList(std::string("SetupLog=") + value + "\r\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(Exists("C:\\WINDOWS\\ZOVURERU.INI"));
  }
}

TEST_F(Foundation, EachRunAddsItsOwnSectionAndKeepsTheEarlierOne) {
  QuietList("DialogTitle=First\r\n");
  Run();
  ClearMachine();
  Machine("Clock=2026-12-06 15:00:01");
  QuietList("DialogTitle=Second\r\n");
  Run();
  const std::string log = Read("C:\\WINDOWS\\ZOVURERU.INI");
  EXPECT_NE(log.find("[2026/12/06 14:08:30]\r\nA=First\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("[2026/12/06 15:00:01]\r\nA=Second\r\n"), std::string::npos) << log;
}

TEST_F(Foundation, LogFileNamedByTheListWhereTheRunCannotMoveOrMisuseIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\RUN.LOG", "C:\\RUN.LOG"},
      {"C:/LOGS/../RUN.LOG", "C:\\RUN.LOG"},
      // The run changes directory: a name without a drive stays in Windows.
      {".\\LOG.INI", "C:\\WINDOWS\\LOG.INI"},
      // Never on the media, nor a file the run reads or places.
      {"D:\\RUN.LOG", "C:\\WINDOWS\\ZOVURERU.INI"},
      {"D:\\SETUP.LST", "C:\\WINDOWS\\ZOVURERU.INI"},
      {"C:\\WINDOWS\\.\\SETUP1.EXE", "C:\\WINDOWS\\ZOVURERU.INI"},
      {"C:\\WINDOWS\\SETUP.LST", "C:\\WINDOWS\\ZOVURERU.INI"},
  };
  for (const auto& [setting, file] : cases) {
    SCOPED_TRACE(setting);
    Reset();
    // Nothing to copy, so nothing starts; SetupFileName keeps its default.
    List(std::string("[BootSetup]\r\nVBCompatible=0\r\nSetupDistName=\r\nSetupLogFile=") + setting + "\r\n");
    Run();
    EXPECT_EQ(Host().LastWrittenSection()->file, file);
  }
}

TEST_F(Foundation, LongTitleIsCutAndLinesKeepTheirPlace) {
  QuietList("DialogTitle=" + std::string(70, 'T') + "\r\nDialogMessage2=Second;10;20\r\nDialogMessage3=X\r\n");
  Run();
  EXPECT_EQ(LogValue("A"), std::string(59, 'T'));
  EXPECT_THAT(Journal("text "), ElementsAre(
      "text \"Starting Setup, please wait...\" box=(0,45,300,131) format=0x801",
      "text \"Second\" box=(10,20,300,131) format=0x800"));
}

TEST_F(Foundation, ProgramNameDecidesTheListAndFileSubDirTheSource) {
  Machine("Program=D:\\INSTALL.EXE");
  Put("D:\\INSTALL.LST", "[BootSetup]\r\nSetupFileName=\r\nFileSubDir=DISK1\r\nDialogTitle=Install\r\n");
  Put("D:\\DISK1\\x", "");
  Run();
  EXPECT_EQ(LogValue("A"), "Install");
  EXPECT_EQ(LogValue("3"), "D:\\DISK1\\");
}

TEST_F(Foundation, ButtonFaceBackgroundOnlyWhenAskedOrOnTheNewerFamily) {
  Machine("Version=3.10");
  Machine("Family=NT");
  QuietList();
  Run();
  EXPECT_THAT(Journal("class "), ElementsAre("class SetupWClass style=0x80B icon=SetupIco background=6"));
}

TEST_F(Foundation, WindowThatCannotBeCreatedEndsTheRunWithoutLoopOrLog) {
  MachineSection("[Windows]\r\nCreateFails=1\r\n");
  QuietList("UseTempDir=1\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Journal("loop").empty());
  EXPECT_FALSE(Exists("C:\\WINDOWS\\ZOVURERU.INI"));
  EXPECT_TRUE(std::filesystem::is_directory(Path("C:\\~S120608")));
}

class TempDirectory : public Foundation {};

TEST_F(TempDirectory, GeneratedNameFromTheClockOnDriveC) {
  QuietList("UseTempDir=1\r\n");
  Run();
  // Only administrators, the system and this user may write into it.
  EXPECT_THAT(Journal("mkdir "), ElementsAre("mkdir C:\\~S120608 protected: Administrators full; SYSTEM full; "
                                             "creating user full; Users read+execute"));
  EXPECT_THAT(Journal("chdir "), ElementsAre("chdir C:\\~S120608", "chdir C:\\"));
  EXPECT_THAT(Journal("rmdir "), ElementsAre("rmdir C:\\~S120608"));
  EXPECT_EQ(LogValue("DT"), "1");
}

TEST_F(TempDirectory, UseTempDirTwoBehavesAsZero) {
  QuietList("UseTempDir=2\r\n");
  Run();
  EXPECT_TRUE(Journal("mkdir").empty());
  EXPECT_THAT(Journal("chdir "), ElementsAre("chdir C:\\WINDOWS\\"));
}

class Directories : public Scenario {
 protected:
  boot::Directories Prepare() {
    Run();
    boot::BootState state;
    state.os = Host().Os();
    state.dirs.source = "D:\\";
    boot::PrepareDirectories(state);
    return state.dirs;
  }
};

TEST_F(Directories, SystemDirectoryUnderWindowsInAnyCase) {
  Machine("WindowsDirectory=C:\\Windows");
  Machine("SystemDirectory=C:\\Windows\\system32");
  const boot::Directories dirs = Prepare();
  EXPECT_EQ(dirs.win, "C:\\WINDOWS\\");
  EXPECT_EQ(dirs.sys, "C:\\Windows\\system32\\");
  EXPECT_EQ(dirs.dest, "C:\\Windows\\system32\\");
  EXPECT_EQ(dirs.setup, "C:\\WINDOWS\\");
}

TEST_F(Directories, SystemDirectoryElsewhereFallsBackToWindows) {
  Machine("SystemDirectory=N:\\WIN\\SYSTEM");
  const boot::Directories dirs = Prepare();
  EXPECT_EQ(dirs.sys, "C:\\WINDOWS\\");
  EXPECT_EQ(dirs.osSys, "N:\\WIN\\SYSTEM\\");
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

class Log : public Scenario {};

TEST_F(Log, EntriesFromBeforeTheSectionAreWrittenWhenItStarts) {
  List("[BootSetup]\r\nSetupLog=0\r\nSetupFileName=\r\n");
  Run();  // a machine to write on
  boot::BootState state;
  state.os = Host().Os();
  state.log.enabled = true;
  state.dirs.win = "C:\\WINDOWS\\";
  boot::WriteLogEntry(state, "Img,C:\\WINDOWS\\SYSTEM\\SPLASH.BMP", "400");
  EXPECT_FALSE(Exists("C:\\WINDOWS\\ZOVURERU.INI"));
  state.splash.title = "Held";
  state.winVersionText = "4.0 95";
  boot::StartLog(state);
  boot::WriteLogEntry(state, "Cmd", "x");
  EXPECT_EQ(LogKeys(), (std::vector<std::string>{"A", "V", "Img,C:\\WINDOWS\\SYSTEM\\SPLASH.BMP", "Cmd"}));
}

TEST_F(Log, NothingIsHeldWhenTheLogIsOff) {
  Run();
  boot::BootState state;
  state.os = Host().Os();
  state.log.enabled = false;
  boot::WriteLogEntry(state, "X", "1");
  EXPECT_TRUE(state.log.held.empty());
}

TEST_F(Log, SectionNameKeepsEveryDigitOfTheYear) {
  EXPECT_EQ(boot::LogSectionName({1998, 10, 4, 18, 53, 52}), "1998/10/04 18:53:52");
}

TEST_F(Foundation, IntegerSettingsTakeLeadingDigitsOnly) {
  QuietList("DialogWidth=  320px\r\nDialogHeight=tall\r\n");
  Run();
  EXPECT_THAT(Journal("window "), ElementsAre(
      "window class=SetupWClass title=\"Setup\" style=0x80C00080 exstyle=0x1 x=160 y=240 w=320 h=0"));
}

}  // namespace
}  // namespace scenario
