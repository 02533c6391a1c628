// Whole runs of the installation loop: sources and disks, split files, the
// three methods, and every failure box.
#include <optional>

#include "../unit/pe_image.h"
#include "file_record.h"
#include "install_files.h"
#include "scenario.h"
#include "szdd.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kDest[] = "C:\\WINDOWS\\SYSTEM\\A.DLL";

std::string Image(std::uint32_t ms, std::uint32_t ls = 0) { return test_pe::Image({ms, ls}); }
std::string Compressed(const std::string& data) { return szdd::Compress(data, 'L'); }

// Bytes that do not compress, so that a file spans several join pieces.
std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 12345;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string Box(const std::string& text, const std::string& caption, const char* type, int answer) {
  return "box \"" + text + "\" caption=\"" + caption + "\" type=" + type + " answer=" + std::to_string(answer);
}

std::string InstallBox(const std::string& detail, int answer) {
  return Box("Unable to install file: \n\nD:\\A.DL_ to\nC:\\WINDOWS\\SYSTEM\\A.DLL\n\n" + detail +
                 "\n\nClose other programs.",
             "Setup Error", "0x32", answer);
}

class Install : public Scenario {
 protected:
  // An own list that places no main setup program, with its records.
  void Records(const std::string& settings, const std::vector<std::string>& records) {
    std::string text = "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\n" + settings;
    for (std::size_t i = 0; i < records.size(); ++i) {
      text += "File" + std::to_string(i + 1) + "=" + records[i] + "\r\n";
    }
    List(text);
  }
  void Answers(const std::string& answers) { MachineSection("[Boxes]\r\nAnswers=" + answers + "\r\n"); }
};

TEST_F(Install, VersionMethodDecidesByVersionNumbersThenDates) {
  struct Case {
    const char* name;
    const char* record;
    std::optional<std::string> dest;  // written in 2010
    std::string source;
    int sourceYear;
    const char* status;
  };
  const Case cases[] = {
      {"no destination", "A.DLL;;2;;1;A.DL_", std::nullopt, Compressed("data"), 2000, "100"},
      {"record names the installed version", "A.DLL;;2;4.0.950.0;1;A.DL_", Image(0x40000, 950u << 16),
       Compressed(Image(0x50000)), 2020, "203"},
      {"installed version, none on the media", "A.DLL;;2;;1;A.DL_", Image(0x20000), Compressed("data"), 2020,
       "201"},
      {"same version", "A.DLL;;2;;1;A.DL_", Image(0x20000), Compressed(Image(0x20000)), 2020, "200"},
      {"10.0.19041.1 over 10.0.9600.0", "A.DLL;;2;;1;A.DL_", Image(0xA0000, 9600u << 16),
       Compressed(Image(0xA0000, (19041u << 16) | 1)), 2000, "100"},
      {"10.0.9600.0 kept under 10.0.19041.1", "A.DLL;;2;;1;A.DL_", Image(0xA0000, (19041u << 16) | 1),
       Compressed(Image(0xA0000, 9600u << 16)), 2020, "200"},
      {"1.10 over 1.9, uncompressed", "A.DLL;;2;;1;A.DLL", Image(0x10009), Image(0x1000A), 2000, "100"},
      {"versioned source over an unversioned file", "A.DLL;;2;;1;A.DL_", "MZ", Compressed(Image(0x10000)),
       2000, "100"},
      {"neither versioned, source older", "A.DLL;;2;;1;A.DL_", "old", Compressed("new"), 2000, "202"},
      {"neither versioned, source newer", "A.DLL;;2;;1;A.DL_", "old", Compressed("new"), 2020, "100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    if (c.dest) PutDated(kDest, *c.dest, 2010);
    const std::string sourceName = boot::ParseFileRecord(c.record).sourceName;
    PutDated("D:\\" + sourceName, c.source, c.sourceYear);
    Records("", {c.record});
    Run();
    EXPECT_THAT(Host().Errors(), IsEmpty());
    EXPECT_EQ(LogValue(kDest), c.status);
    const bool installed = std::string(c.status) == "100";
    EXPECT_EQ(Read(kDest), installed ? szdd::Expand(c.source).data : *c.dest);
  }
}

TEST_F(Install, EachInstallFailureHasItsBoxAndLogEntry) {
  struct Case {
    const char* name;
    const char* machine;
    int skipIfInUse;
    const char* status;
    const char* detail;  // nothing when no box is shown
  };
  const Case cases[] = {
      {"in use, skipped", "[Files]\r\nInUse=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n", 1, "300", nullptr},
      {"in use", "[Files]\r\nInUse=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n", 0, "210",
       "This file is in use. Please close down the application which is using this file and choose RETRY."},
      {"disk full", "[Drives]\r\nFull=C:\r\n", 0, "211",
       "Out of disk space on the destination drive. Please free up some space and choose RETRY."},
      {"write-protected", "[Drives]\r\nWriteProtected=C:\r\n", 1, "212", "The drive is write-protected."},
      {"read-only", "[Files]\r\nReadOnly=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n", 0, "VIF_WRITEPROT    ",
       "General copy error: VIF_WRITEPROT    "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    MachineSection(c.machine);
    Answers("5");
    Put("E:\\LOG\\KEEP", "");  // the log lies on a drive that can be written
    PutDated(kDest, "MZ", 2010);
    Put("D:\\A.DL_", Compressed(Image(0x10000)));
    Records("SetupLogFile=E:\\LOG\\SETUP.INI\r\nErrorMessageInstallOther=Close other programs.\r\n",
            {"A.DLL;" + std::to_string(c.skipIfInUse) + ";2;;1;A.DL_"});
    Run();
    EXPECT_EQ(LogValue(kDest), c.status);
    EXPECT_EQ(Read(kDest), "MZ");
    if (c.detail) {
      EXPECT_THAT(Journal("box "), ElementsAre(InstallBox(c.detail, 5)));
    } else {
      EXPECT_THAT(Journal("box "), IsEmpty());
    }
  }
}

TEST_F(Install, RetryInstallsOnceTheFileIsFreeAndACutSourceIsNeverInstalled) {
  MachineSection("[Files]\r\nInUse=C:\\WINDOWS\\SYSTEM\\A.DLL\r\nInUseUntilBox=1\r\n");
  Answers("4,1");
  PutDated(kDest, "MZ", 2010);
  Put("D:\\A.DL_", Compressed(Image(0x10000)));
  const std::string broken = Compressed(Noise(5000));
  Put("D:\\B.DL_", broken.substr(0, broken.size() / 2));
  PutDated("C:\\WINDOWS\\SYSTEM\\B.DLL", "installed", 2000);
  Put("D:\\C.DL_", Compressed("c"));
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  List("[BootSetup]\r\nVBCompatible=0\r\nFile1=A.DLL;;2;;1;A.DL_\r\nFile2=B.DLL;;2;;1;B.DL_\r\n"
       "File3=C.DLL;;2;;1;C.DL_\r\n");
  Run();
  EXPECT_EQ(LogValue(kDest), "100");
  EXPECT_EQ(Read(kDest), Image(0x10000));
  EXPECT_EQ(Journal("box ").size(), 2u);
  EXPECT_EQ(Journal("box ").back(), Box("General copy error: D:\\B.DL_", "Setup Error", "0x10", 1));
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SYSTEM\\B.DLL"), "400");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\B.DLL"), "installed");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\C.DLL"), "c");
  EXPECT_THAT(Journal("start "), IsEmpty());
}

TEST_F(Install, ACompressedSourceLargerThanMemoryReadsIsComparedByItsVersion) {
  std::string large = Image(0x20000);
  large.resize((16u << 20) + 1, '\0');
  Put("D:\\A.DL_", Compressed(large));
  PutDated(kDest, Image(0x10000), 2010);
  Records("", {"A.DLL;;2;;1;A.DL_"});
  Run();
  EXPECT_EQ(LogValue(kDest), "100");
  EXPECT_EQ(Read(kDest).size(), large.size());
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SYSTEM\\A.DLL~"));
}

TEST_F(Install, FilesOfOtherDisksAreAskedForAndMissingOnesReported) {
  Answers("1,4,5,2");
  Put("D:\\A.DLL", "uncompressed twin");
  PutOnDisk(2, "B.DL_", Compressed("b"));
  PutOnDisk(3, "D.DL_", Compressed("d"));
  Records("DialogTitle=Disks\r\n", {"A.DLL;;2;;1;A.DL_", "B.DLL;;2;;2;B.DL_", "C.DLL;;2;;2;C.DL_",
                                    "D.DLL;;2;;3;D.DL_", "E.DLL;;2;;1;E.DL_"});
  Run();
  const std::string missing = "Unable to locate source file: D:\\C.DL_";
  EXPECT_THAT(Journal("box "), ElementsAre(Box("Please insert Disk 2", "Disks", "0x31", 1),
                                           Box(missing, "Setup Error", "0x32", 4),
                                           Box(missing, "Setup Error", "0x32", 5),
                                           Box("Please insert Disk 3", "Disks", "0x31", 2)));
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\A.DLL"), "uncompressed twin");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\B.DLL"), "b");
  EXPECT_EQ(LogValue("D:\\C.DL_"), "402");
  EXPECT_FALSE(LogValue("C:\\WINDOWS\\SYSTEM\\E.DLL").has_value());
  EXPECT_THAT(Journal("disk "), ElementsAre("disk 2 in D:"));
}

TEST_F(Install, WithNoIgnoreAMissingFileCanOnlyBeRetriedOrEndTheRun) {
  Answers("2");
  Put("D:\\B.DL_", Compressed("b"));
  Records("NoIgnore=1\r\n", {"A.DLL;;2;;0;A.DL_", "B.DLL;;2;;0;B.DL_"});
  Run();
  EXPECT_THAT(Journal("box "),
              ElementsAre(Box("Unable to locate source file: D:\\A.DL_", "Setup Error", "0x35", 2)));
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SYSTEM\\B.DLL"));
}

TEST_F(Install, SplitFileIsJoinedWholeOrNotAtAllBesideAnExistingJoinName) {
  struct Case {
    const char* name;
    const char* failing;  // the operation that fails once, if any
    int call;
    const char* answers;
    bool installed;
  };
  const Case cases[] = {
      {"both parts", "", 0, "1", true},
      {"first part read again", "ReadBytes", 2, "4,1", true},
      {"second part cannot be written, skipped", "WriteBytes", 4, "1,5", false},
  };
  const std::string content = Image(0x30000) + Noise(100000);
  const std::string whole = Compressed(content);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Put("D:\\BIG.DL1", whole.substr(0, 40000));
    PutOnDisk(2, "BIG.DL2", whole.substr(40000));
    Put("C:\\WINDOWS\\SETUP000.001", "someone else's file");
    Answers(c.answers);
    Records("", {"BIG.DLL;;2;;1;BIG.DL1;;BIG.DL2;2"});
    *c.failing ? RunWithFault(c.failing, c.call, 23) : Run();
    // A failed part is cut off the join and asked about; the disk request comes once.
    EXPECT_EQ(Journal("cut ").size(), *c.failing ? 1u : 0u);
    EXPECT_EQ(Journal("box ").size(), *c.failing ? 2u : 1u);
    EXPECT_EQ(Exists("C:\\WINDOWS\\SYSTEM\\BIG.DLL") ? Read("C:\\WINDOWS\\SYSTEM\\BIG.DLL") : "",
              c.installed ? content : "");
    const std::vector<std::string> installs = Journal("install C:\\WINDOWS\\SETUP000.002 -> ");
    EXPECT_EQ(installs.size(), c.installed ? 1u : 0u);
    EXPECT_EQ(Read("C:\\WINDOWS\\SETUP000.001"), "someone else's file");
    EXPECT_FALSE(Exists("C:\\WINDOWS\\SETUP000.002"));  // removed by the clean-up
  }
}

TEST_F(Install, DateAndCopyIfMissingMethods) {
  struct Case {
    int method;
    std::optional<int> destYear;  // nothing: no destination
    const char* status;           // nothing: no entry
    bool replaced;
  };
  const Case cases[] = {
      {1, 2020, "501", false}, {1, 2000, "101", true}, {1, std::nullopt, "101", true},
      {2, 2000, "102", false}, {2, std::nullopt, "102", true}, {3, std::nullopt, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.method) + " " + (c.status ? c.status : "none"));
    Reset();
    if (c.destYear) PutDated(kDest, "installed", *c.destYear);
    PutDated("D:\\A.DL_", Compressed("media"), 2010);
    Records("VersionCheck=" + std::to_string(c.method) + "\r\n", {"A.DLL;;2;;1;A.DL_"});
    Run();
    EXPECT_THAT(Host().Errors(), IsEmpty());
    EXPECT_EQ(LogValue(kDest), c.status ? std::optional<std::string>(c.status) : std::nullopt);
    EXPECT_EQ(Exists(kDest) ? Read(kDest) : "", c.replaced ? "media" : c.destYear ? "installed" : "");
  }
}

TEST_F(Install, FailedCopyOfTheDateMethodKeepsTheMainSetupProgramFromStarting) {
  MachineSection("[Files]\r\nReadOnly=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n");
  Answers("5");
  PutDated(kDest, "installed", 2000);
  Put("D:\\A.DL_", Compressed("media"));
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  List("[BootSetup]\r\nVBCompatible=0\r\nVersionCheck=1\r\nFile1=A.DLL;;2;;1;A.DL_\r\n");
  Run();
  EXPECT_THAT(Journal("box "), ElementsAre(testing::HasSubstr("Unable to install file: ")));
  EXPECT_EQ(LogValue(kDest), "400");
  EXPECT_EQ(Read(kDest), "installed");
  EXPECT_FALSE(LogValue("Cmd").has_value());
  EXPECT_THAT(Journal("start "), IsEmpty());
}

TEST_F(Install, InstalledFilesThatAskForRegistrationAreListedForIt) {
  for (const char* name : {"A.DL_", "B.EX_", "APP.RE_", "C.DL_", "D.DL_", "E.DL_"}) {
    Put(std::string("D:\\") + name, Compressed(name));
  }
  Put("C:\\WINDOWS\\SYSTEM\\E.DLL", Image(0x40000));
  List("[BootSetup]\r\nSetupFileName=\r\n");
  Run();
  boot::BootState state;
  PrepareState(state);
  for (const char* record : {"A.DLL;;2;;0;;1", "B.EXE;;2;;0;;2", "APP.REG;;2;;0;;APP.REG", "C.DLL;;2;;0;;0",
                             "D.DLL;;2;;0;;-1", "E.DLL;;2;4.0.0.0;0;;1"}) {
    state.list.files.push_back(boot::ParseFileRecord(record));
  }
  EXPECT_TRUE(boot::InstallFiles(state));
  std::vector<std::string> listed;
  for (const boot::Registration& file : state.registrations) {
    listed.push_back(std::to_string(static_cast<int>(file.kind)) + ";" + file.path + ";" + file.listName);
  }
  EXPECT_THAT(listed, ElementsAre("1;C:\\WINDOWS\\SYSTEM\\A.DLL;1", "2;C:\\WINDOWS\\SYSTEM\\B.EXE;2",
                                  "3;C:\\WINDOWS\\SYSTEM\\APP.REG;APP.REG"));
}

// A folder on D: whose path, with its closing backslash, has `length`
// characters.
std::string DeepFolder(std::size_t length) {
  std::string path = "D:\\";
  while (path.size() < length) {
    const std::size_t room = length - path.size();
    path += room > 41 ? std::string(40, 'X') + "\\" : std::string(room - 1, 'Y') + "\\";
  }
  return path;
}

// Every path the platform's file calls take is read from the media; a
// longer one that cannot be read is reported as too long, never as missing.
TEST_F(Install, SourcesInDeepFoldersAreReadAndTooLongOnesSaidToBe) {
  const std::string near = DeepFolder(125);
  const std::string far = DeepFolder(255);
  const std::string tooLong = "Path too long: ";
  struct Case {
    const char* what;
    std::string folder;
    std::string list;  // the program's own list, SETUP.LST beside it
    std::vector<std::string> boxes;
    std::vector<std::pair<std::string, std::string>> log;
  };
  const Case cases[] = {
      {"125 characters: the list, the main program and a bootstrap file", near,
       "[BootSetup]\r\n[Setup]\r\nSetup=SETUP1.EXE\r\n[Bootstrap]\r\n"
       "File1=1,,SETUP1.EX_,SETUP1.EXE,$(WinPath),,,,,1.0.0.0\r\n",
       {},
       {{"VB", "4"}, {"C:\\WINDOWS\\SETUP1.EXE", "100"}}},
      {"255 characters: a bootstrap file", far,
       "[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\nFile1=A.DLL;;2;;0;A.DL_\r\n",
       {Box(tooLong + far + "A.DL_", "Setup Error", "0x32", 5)},
       {{far + "A.DL_", "404"}}},
      {"255 characters: the main program", far, "[BootSetup]\r\nVBCompatible=0\r\n",
       {Box(tooLong + far + "SETUP1.EX_", "Setup Error", "0x10", 5)},
       {{"C:\\WINDOWS\\SETUP1.EXE", "400"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    Machine("Program=" + c.folder + "SETUP.EXE");
    Answers("5");
    Put(c.folder + "SETUP.LST", c.list);
    if (c.boxes.empty()) Put(c.folder + "SETUP1.EX_", Compressed(kProgram));
    Run();
    EXPECT_EQ(Journal("box "), c.boxes);
    for (const auto& [key, value] : c.log) EXPECT_EQ(LogValue(key).value_or("(none)"), value) << key;
  }
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SETUP1.EXE"));
}

}  // namespace
}  // namespace scenario
