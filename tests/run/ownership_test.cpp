// Whole runs over hostile or mistaken lists: a run touches only what it
// owns. Each table holds one class of fault.
#include "libraries.h"
#include "scenario.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr char kRefused[] = "This name in the setup list is not a plain file name, so its entry is refused: ";
constexpr char kWinIni[] = "C:\\WINDOWS\\WIN.INI";
constexpr char kWinIniText[] = "[windows]\r\nload=\r\n";

class Ownership : public Scenario {
 protected:
  void Answers(const std::string& answers) { MachineSection("[Boxes]\r\nAnswers=" + answers + "\r\n"); }
  // Paths of the directories the run created.
  std::vector<std::string> MadeDirectories() const {
    std::vector<std::string> made;
    for (const std::string& line : Journal("mkdir ")) {
      if (line.find(" failed") == std::string::npos) made.push_back(line.substr(6, line.find(' ', 6) - 6));
    }
    return made;
  }
};

TEST_F(Ownership, BarInsideASettingMovesOnlyTheSplashLines) {
  List("[BootSetup]\r\nVBCompatible=0\r\nUseTempDir=1\r\nDialogMessage1=Setup | please wait\r\nDialogMessage4=a|b|c\r\n"
       "ErrorMessageTempDir=" + std::string(kWinIni) + "\r\n");
  Put(kWinIni, kWinIniText);
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_THAT(Journal("text "), ElementsAre("text \"Setup \" box=(0,0,300,131) format=0x825",
                                            "text \" please wait\" box=(0,0,300,131) format=0x825"));
  EXPECT_EQ(Read(kWinIni), kWinIniText);
  EXPECT_THAT(Journal("delete "), ElementsAre("delete C:\\~S120608\\SETUP1.EXE"));
  EXPECT_EQ(LogValue("DT"), "1");
}

struct NameCase {
  const char* what;
  std::string list;        // D:\SETUP.LST, the program's own list
  std::string badName;     // named by the box
  bool runGoesOn;          // only a bootstrap file's record is skipped
};

TEST_F(Ownership, NamesThatAreNotPlainFileNamesAreRefused) {
  const std::string sectioned = "[Bootstrap]\r\nFile1=1,,X.DL_,X.DLL,$(WinPath),,,,,1.0\r\n[Setup]\r\nSetup=";
  const std::string own = "[BootSetup]\r\nVBCompatible=0\r\nFile1=";
  const NameCase cases[] = {
      {"own record", "[BootSetup]\r\nVBCompatible=0\r\nUseTempDir=1\r\nFile1=..\\WINDOWS\\WIN.INI;;0\r\n",
       "..\\WINDOWS\\WIN.INI", true},
      {"sectioned destination",
       "[Bootstrap]\r\nFile1=1,,X.DL_,..\\WINDOWS\\WIN.INI,$(WinPath),,,,,1.0\r\n[Setup]\r\nSetup=MAIN.EXE\r\n",
       "..\\WINDOWS\\WIN.INI", true},
      {"registry file", "[BootSetup]\r\nVBCompatible=0\r\nFile1=A.REG;;0;;;A.RE_;C:\\X.REG\r\n", "C:\\X.REG", true},
      {"plain list line", "..\\..\\SETUP1.EX_\r\nVER.DL_\r\n", "..\\..\\SETUP1.EX_", false},
      {"setup file name", "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=..\\CONFIG.SYS\r\n", "..\\CONFIG.SYS",
       false},
      {"no extension", "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=SETUP1\r\n", "SETUP1", false},
      {"the setup log", "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=ZOVURERU.INI\r\n", "ZOVURERU.INI", false},
      {"device", "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=NUL.EXE\r\n", "NUL.EXE", false},
      {"a folder", "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=SYSTEM.EXE\r\n", "SYSTEM.EXE", false},
      {"media name", "[BootSetup]\r\nVBCompatible=0\r\nSetupDistName=..\\X.EX_\r\n", "..\\X.EX_", false},
      {"setup key", sectioned + "..\\EVIL.EXE /Q\r\n", "..\\EVIL.EXE", false},
      {"setup key without extension", sectioned + "MAIN /Q\r\n", "MAIN", false},
      {"registering program without extension", own + "SRVX;;1;;0;SETUP1.EX_;2\r\n", "SRVX", true},
      {"the setup log as a record", own + "ZOVURERU.INI;;1;;0;SETUP1.EX_\r\n", "ZOVURERU.INI", true},
      {"the list's copy",
       "[Bootstrap]\r\nFile1=1,,X.DL_,SETUP.LST,$(WinPath),,,,,1.0\r\n[Setup]\r\nSetup=MAIN.EXE\r\n",
       "SETUP.LST", true},
      {"the join file", own + "SETUP000.001;;1;;0;SETUP1.EX_\r\n", "SETUP000.001", true},
      {"a staging copy", own + "WIN.INI~;;1;;0;SETUP1.EX_\r\n", "WIN.INI~", true},
      {"split mark on the last entry",
       "[Bootstrap]\r\nFile1=1,,X.DL_,X.DLL,$(WinPath),,,,,1.0\r\nFile2=1,1,X.DL_,Y.DLL,$(WinPath),,,,,1.0\r\n"
       "[Setup]\r\nSetup=MAIN.EXE\r\n",
       "Y.DLL", true},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    Answers("1");
    List(c.list);
    Put(kWinIni, kWinIniText);
    Put("C:\\CONFIG.SYS", "files=40");
    Put("C:\\WINDOWS\\SETUP1", kProgram);
    Put("C:\\WINDOWS\\ZOVURERU.INI", "[earlier]\r\nA=x\r\n");
    Put("C:\\WINDOWS\\MAIN.EXE", kProgram);
    Put("C:\\WINDOWS\\SYSTEM.EXE\\keep", "");
    PutCompressed("D:\\SETUP1.EX_", kProgram);
    PutCompressed("D:\\SETUP1", kProgram);
    PutCompressed("D:\\X.EX_", kProgram);
    PutCompressed("D:\\X.DL_", kProgram);
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(Exists("C:\\WINDOWS\\Y.DLL"));
    EXPECT_THAT(Journal("box "), ElementsAre(HasSubstr(kRefused + c.badName + "\n\nD:\\SETUP.LST\"")));
    EXPECT_EQ(LogValue(c.badName), "403");
    EXPECT_EQ(Journal("start ").size(), c.runGoesOn ? 1u : 0u);
    EXPECT_EQ(Read(kWinIni), kWinIniText);
    EXPECT_EQ(Read("C:\\CONFIG.SYS"), "files=40");
    EXPECT_EQ(Read("C:\\WINDOWS\\SETUP1"), kProgram);
    EXPECT_THAT(Read("C:\\WINDOWS\\ZOVURERU.INI"), HasSubstr("[earlier]\r\nA=x\r\n"));
  }
}

TEST_F(Ownership, TempDirIsAlwaysOneTheRunMayOwn) {
  // The rules themselves are a unit table; here the run makes and removes
  // what they choose.
  const std::pair<const char*, const char*> cases[] = {
      {"*", "C:\\~S120608"}, {"e:\\tmp\\x", "E:\\TMP\\X"}, {"..\\WINDOWS", "C:\\~S120608"},
      {"D:\\X", "C:\\~S120608"},
  };
  for (const auto& [setting, expected] : cases) {
    SCOPED_TRACE(setting);
    Reset();
    Put("E:\\TMP\\keep", "");
    List(std::string("[BootSetup]\r\nUseTempDir=1\r\nSetupFileName=\r\nTempDir=") + setting + "\r\n");
    Run();
    EXPECT_THAT(MadeDirectories(), ElementsAre(expected));
    EXPECT_THAT(Journal("rmdir "), ElementsAre(std::string("rmdir ") + expected));
  }
}

TEST_F(Ownership, ExistingTempDirIsNeverReused) {
  List("[BootSetup]\r\nVBCompatible=0\r\nUseTempDir=1\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Put("C:\\~S120608\\PLANTED.DLL", "planted");
  Put("C:\\~S120608.001\\PLANTED.DLL", "planted");
  Run();
  EXPECT_THAT(MadeDirectories(), ElementsAre("C:\\~S120608.002"));
  EXPECT_EQ(LogValue("Cmd"), "C:\\~S120608.002\\SETUP1.EXE D:\\");
  EXPECT_EQ(Read("C:\\~S120608\\PLANTED.DLL"), "planted");
  EXPECT_EQ(Read("C:\\~S120608.001\\PLANTED.DLL"), "planted");
  EXPECT_FALSE(Exists("C:\\~S120608.002"));
}

TEST_F(Ownership, NoTempDirThatCanBeCreatedEndsTheRunAfterABox) {
  List("[BootSetup]\r\nVBCompatible=0\r\nUseTempDir=1\r\nTempDir=E:\\NOWHERE\\TMP\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Answers("1");
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Journal("box "), ElementsAre(HasSubstr("Unable to create a temporary directory: E:\\NOWHERE\\TMP\"")));
  EXPECT_TRUE(Journal("window ").empty());
  EXPECT_TRUE(Journal("start ").empty());
}

TEST_F(Ownership, DestinationThatCannotBeWrittenAsksToRetryAndStartsNothing) {
  struct Case {
    const char* what;
    std::string machine;
    const char* detail;
  };
  const Case cases[] = {
      {"in use", "[Files]\r\nInUse=C:\\WINDOWS\\SETUP1.EXE\r\n",
       "This file is in use. Please close down the application which is using this file and choose RETRY."},
      {"read-only", "[Files]\r\nReadOnly=C:\\WINDOWS\\SETUP1.EXE\r\n", "The drive is write-protected."},
      {"disk full", "[Drives]\r\nFull=C:\r\n",
       "Out of disk space on the destination drive. Please free up some space and choose RETRY."},
      {"write-protected", "[Drives]\r\nWriteProtected=C:\r\n", "The drive is write-protected."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    MachineSection(c.machine + "[Boxes]\r\nAnswers=4,3\r\n");  // Retry, then Abort
    List("[BootSetup]\r\nVBCompatible=0\r\nNoIgnore=0\r\nSetupLogFile=E:\\RUN.LOG\r\n");
    Put("E:\\README", "");
    Put("C:\\WINDOWS\\SETUP1.EXE", "old");
    PutCompressed("D:\\SETUP1.EX_", kProgram);
    EXPECT_EQ(Run(), 0);
    const std::string box = "box \"Unable to install file: \n\nD:\\SETUP1.EX_ to\nC:\\WINDOWS\\SETUP1.EXE\n\n" +
                            std::string(c.detail) + "\" caption=\"Setup Error\" type=0x32 answer=";
    EXPECT_THAT(Journal("box "), ElementsAre(box + "4", box + "3"));
    EXPECT_EQ(Host().LastWrittenSection()->file, "E:\\RUN.LOG");
    EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), "400");
    EXPECT_TRUE(Journal("start ").empty());
    EXPECT_EQ(Read("C:\\WINDOWS\\SETUP1.EXE"), "old");
    EXPECT_FALSE(Exists("C:\\WINDOWS\\SETUP1.EXE~"));
  }
}

TEST_F(Ownership, ListsAreReadWhereTheyAreHoweverNamedOrEncoded) {
  const std::string deep = "D:\\" + std::string(150, 'L') + "\\";
  Machine("Program=" + deep + "SETUP.EXE");
  Put(deep + "SETUP.LST", "[BootSetup]\r\nVBCompatible=0\r\nDialogTitle=Deep\r\n");
  PutCompressed(deep + "SETUP1.EX_", kProgram);
  Run();
  EXPECT_EQ(LogValue("3"), deep);
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\SETUP1.EXE " + deep);

  Reset();
  // Read as the platform's profile calls read it: a sectioned list.
  const std::string text = "[Setup]\r\nSetup=MAIN.EXE\r\n[Bootstrap]\r\nFile1=1,,A.DL_,A.DLL,,,,,,1.0\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : text) utf16 += std::string{c, '\0'};
  Put("D:\\SETUP.LST", utf16);
  Put("C:\\WINDOWS\\MAIN.EXE", kProgram);
  Put("D:\\A.DL_", "a");
  Run();
  EXPECT_EQ(LogValue("VB"), "4");
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\MAIN.EXE D:\\");
}

TEST_F(Ownership, AuthorLibrariesComeFromTheSafeSearchOrderByFullPath) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"C:\\~S120608\\CTL3D32.DLL", "C:\\WINDOWS\\CTL3D32.DLL"}, "C:\\WINDOWS\\CTL3D32.DLL"},
      {{"D:\\CTL3D32.DLL", "C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL"}, "D:\\CTL3D32.DLL"},
      {{"C:\\~S120608\\CTL3D32.DLL"}, "C:\\~S120608\\CTL3D32.DLL"},
      {{"C:\\CURRENT\\CTL3D32.DLL"}, ""},  // the current directory is not searched
  };
  for (const auto& [files, loaded] : cases) {
    SCOPED_TRACE(loaded);
    Reset();
    Machine("CurrentDirectory=C:\\CURRENT");
    for (const std::string& file : files) Put(file, "MZ library");
    List("[BootSetup]\r\nSetupFileName=\r\n");
    Run();
    boot::BootState state;
    state.os = Host().Os();
    state.dirs.program = "D:\\";
    state.dirs.win = "C:\\WINDOWS\\";
    state.dirs.osSys = "C:\\WINDOWS\\SYSTEM\\";
    state.dirs.setup = "C:\\~S120608\\";
    const platform::OwnedLibrary library = boot::LoadAuthorLibrary(state, "CTL3D32.DLL");
    EXPECT_EQ(static_cast<bool>(library), !loaded.empty());
    std::vector<std::string> loads;
    for (const std::string& line : Journal("load ")) {
      if (line.ends_with("CTL3D32.DLL")) loads.push_back(line);
    }
    EXPECT_EQ(loads, loaded.empty() ? std::vector<std::string>{} : std::vector{"load " + loaded});
  }
}

TEST_F(Ownership, GeometryOfAnyIntegerDoesNotOverflow) {
  List("[BootSetup]\r\nSetupFileName=\r\nDialogWidth=-2147483648\r\nDialogHeight=2147483648\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Journal("window "), ElementsAre(HasSubstr("w=-2147483648 h=-2147483648")));
}

TEST_F(Ownership, OnlyTheProgramPartOfTheSetupKeyIsQuoted) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "C:\\WINDOWS\\MAIN.EXE /Q D:\\"},
      {"UseTempDir=1\r\nTempDir=C:\\MY SETUP\r\n", "\"C:\\MY SETUP\\MAIN.EXE\" /Q D:\\"},
  };
  for (const auto& [settings, command] : cases) {
    SCOPED_TRACE(command);
    Reset();
    Answers("1");  // a program missing from a new temporary directory cannot start
    List(std::string("[BootSetup]\r\n") + settings + "[Setup]\r\nSetup=MAIN.EXE /Q\r\n[Bootstrap]\r\n" +
         "File1=1,,A.DL_,A.DLL,$(WinSysPath),,,,,1.0.0.0\r\n");
    Put("C:\\WINDOWS\\MAIN.EXE", kProgram);
    Put("D:\\A.DL_", "a");
    Run();
    EXPECT_EQ(LogValue("Cmd"), command);
  }
}

TEST_F(Ownership, PlainListStartsItsFirstFileOrNothing) {
  struct Case {
    const char* what;
    std::string list;
    const char* box;  // empty: none
    const char* log;  // value under the placed program's path
  };
  const Case cases[] = {
      {"first missing", "NOTHERE.EX_\r\nSECOND.EX_\r\n", "Unable to locate source file: D:\\NOTHERE.EX_", "400"},
      {"only file missing", "NOTHERE.EX_\r\n", "Unable to locate source file: D:\\NOTHERE.EX_", "400"},
      {"byte-order mark", "\xEF\xBB\xBFSECOND.EX_\r\n", "", "101"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    Answers("1");
    Put("D:\\SETUP.LST", c.list);
    PutCompressed("D:\\SECOND.EX_", kProgram);
    Run();
    EXPECT_EQ(Journal("box ").size(), *c.box ? 1u : 0u);
    if (*c.box) {
      EXPECT_THAT(Journal("box ")[0], HasSubstr(c.box));
    }
    EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), c.log);
    EXPECT_EQ(Journal("start ").size(), *c.box ? 0u : 1u);
  }
}

TEST_F(Ownership, FilesThatExistedBeforeTheRunAreNeverOverwrittenOrDeleted) {
  List("[BootSetup]\r\nVBCompatible=0\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Put("C:\\WINDOWS\\SETUP1.EXE~", "someone's file");
  Put("C:\\WINDOWS\\SETUP000.001", "someone else's file");
  Run();
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_EQ(Read("C:\\WINDOWS\\SETUP1.EXE~"), "someone's file");
  EXPECT_EQ(Read("C:\\WINDOWS\\SETUP000.001"), "someone else's file");
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SETUP1.EXE~2"));
  EXPECT_THAT(Journal("delete "), ElementsAre("delete C:\\WINDOWS\\SETUP1.EXE"));
}

}  // namespace
}  // namespace scenario
