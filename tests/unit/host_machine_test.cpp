// The simulated machine behaves as the platform does where the bootstrapper
// depends on it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "szdd.h"
#include "constants.h"
#include "host_machine.h"

namespace host {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;

class SimulatedMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root_ = fs::temp_directory_path() / ("host-machine-" + std::to_string(random()));
    fs::create_directories(root_ / "d" / "Disk1");
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const fs::path& relative, const std::string& content) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << content;
  }
  HostMachine& Machine(const std::string& description = "") {
    Write("machine.ini", description);
    machine_ = std::make_unique<HostMachine>(root_);
    return *machine_;
  }
  std::string Read(const fs::path& relative) {
    std::ifstream in(root_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root_;
  std::unique_ptr<HostMachine> machine_;
};

TEST_F(SimulatedMachine, NamesResolveWithoutRegardToCase) {
  Write("d/Disk1/Setup1.Ex_", "x");
  HostMachine& machine = Machine();
  EXPECT_TRUE(machine.FileExists("D:\\DISK1\\SETUP1.EX_"));
  EXPECT_TRUE(machine.FileExists("d:/disk1/setup1.ex_"));
  EXPECT_FALSE(machine.FileExists("D:\\DISK2\\SETUP1.EX_"));
  EXPECT_FALSE(machine.FileExists(""));
}

// The machine finds names through an index, which must follow files
// created, deleted and renamed behind its back between calls.
TEST_F(SimulatedMachine, NamesFollowChangesMadeBehindTheMachinesBack) {
  Write("d/Disk1/Old.Txt", "x");
  HostMachine& machine = Machine();
  ASSERT_TRUE(machine.FileExists("D:\\DISK1\\OLD.TXT"));
  ASSERT_FALSE(machine.FileExists("D:\\DISK1\\NEW.TXT"));
  const struct {
    const char* change;
    std::function<void()> act;
    const char* present;
    const char* absent;
  } cases[] = {
      {"created", [&] { Write("d/Disk1/New.Txt", "y"); }, "d:\\disk1\\new.txt", "D:\\DISK1\\NONE.TXT"},
      {"deleted", [&] { fs::remove(root_ / "d/Disk1/Old.Txt"); }, "D:\\DISK1\\NEW.TXT", "D:\\DISK1\\OLD.TXT"},
      {"renamed", [&] { fs::rename(root_ / "d/Disk1/New.Txt", root_ / "d/Disk1/OTHER.txt"); },
       "D:\\DISK1\\other.TXT", "D:\\DISK1\\NEW.TXT"},
      {"folder replaced",
       [&] {
         fs::rename(root_ / "d/Disk1", root_ / "d/Gone");
         Write("d/DISK1/Fresh.Txt", "z");
       },
       "D:\\disk1\\FRESH.TXT", "D:\\DISK1\\OTHER.TXT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    c.act();
    EXPECT_TRUE(machine.FileExists(c.present));
    EXPECT_FALSE(machine.FileExists(c.absent));
  }
}

TEST_F(SimulatedMachine, RelativeNamesFollowTheCurrentDirectory) {
  Write("d/Disk1/A.TXT", "a");
  HostMachine& machine = Machine();
  ASSERT_TRUE(machine.SetCurrentDirectory("D:\\DISK1"));
  EXPECT_TRUE(machine.FileExists("A.TXT"));
  EXPECT_TRUE(machine.FileExists("..\\DISK1\\A.TXT"));
  EXPECT_FALSE(machine.SetCurrentDirectory("D:\\NOWHERE"));
}

TEST_F(SimulatedMachine, BareProfileNameMeansTheWindowsDirectory) {
  HostMachine& machine = Machine("[Machine]\r\nWindowsDirectory=C:\\WIN\r\n");
  EXPECT_TRUE(machine.WriteProfileString("Run", "A", "1", "LOG.INI"));
  EXPECT_TRUE(fs::exists(root_ / "c" / "WIN" / "LOG.INI"));
  EXPECT_EQ(machine.ReadProfileString("run", "a", "-", 10, "C:\\WIN\\LOG.INI"), "1");
  EXPECT_FALSE(machine.WriteProfileString("Run", "A", "1", "D:\\NO\\DIR\\LOG.INI"));
}

TEST_F(SimulatedMachine, VersionNumberFollowsFamily) {
  EXPECT_EQ(Machine("[Machine]\r\nVersion=3.10\r\nFamily=9x\r\n").Version(), 0x80000A03u);
  EXPECT_EQ(Machine("[Machine]\r\nVersion=6.2\r\nFamily=NT\r\nBuild=9200\r\n").Version(), 0x23F00206u);
}

TEST_F(SimulatedMachine, LzOpenFallsBackToTheCompressedTwin) {
  Write("d/SETUP1.EX_", szdd::Compress("MZ program", 'E'));
  HostMachine& machine = Machine();
  const platform::LzFile in = machine.LzOpenRead("D:\\SETUP1.EXE").value;
  ASSERT_GE(in, 0);
  const platform::LzFile out = machine.LzCreate("C:\\OUT.EXE").value;
  ASSERT_GE(out, 0);
  EXPECT_EQ(machine.LzCopy(in, out).value, 10);
  machine.LzClose(in);
  machine.LzClose(out);
  EXPECT_EQ(machine.ReadWhole("C:\\OUT.EXE"), "MZ program");
  EXPECT_EQ(machine.LzOpenRead("D:\\NONE.EXE").value, platform::kLzErrorBadInHandle);
  EXPECT_EQ(machine.LastError(), platform::kErrorFileNotFound);
  EXPECT_EQ(machine.ExpandedName("D:\\SETUP1.EX_"), "D:\\SETUP1.EXE");
  EXPECT_FALSE(machine.ExpandedName("D:\\SETUP1.EXE"));  // no twin for names
}

TEST_F(SimulatedMachine, TruncatedCompressedSourceIsAReadError) {
  std::string compressed = szdd::Compress(std::string(5000, 'z') + "tail", 'L');
  compressed.resize(compressed.size() - 3);
  Write("d/BIG.DL_", compressed);
  HostMachine& machine = Machine();
  const platform::LzFile in = machine.LzOpenRead("D:\\BIG.DL_").value;
  const platform::LzFile out = machine.LzCreate("C:\\BIG.DLL").value;
  EXPECT_EQ(machine.LzCopy(in, out).value, platform::kLzErrorRead);
}

TEST_F(SimulatedMachine, FilesReadAndWrittenPieceByPiece) {
  Write("d/PART1", "abcdef");
  HostMachine& machine = Machine();
  const platform::File in = machine.OpenForRead("D:\\PART1").value;
  const platform::File out = machine.CreateForWrite("C:\\JOINED").value;
  ASSERT_NE(in, 0u);
  ASSERT_NE(out, 0u);
  for (std::optional<std::string> piece; (piece = machine.ReadBytes(in, 4)) && !piece->empty();) {
    EXPECT_TRUE(machine.WriteBytes(out, *piece));
  }
  machine.CloseFile(in);
  machine.CloseFile(out);
  EXPECT_EQ(machine.ReadWhole("C:\\JOINED"), "abcdef");
  EXPECT_EQ(machine.OpenForRead("D:\\MISSING").value, 0u);
  EXPECT_EQ(machine.CreateForWrite("Q:\\NO\\DIR").value, 0u);
  EXPECT_FALSE(machine.ReadBytes(out, 1));
  EXPECT_TRUE(machine.LastWriteTime("C:\\JOINED").has_value());
  EXPECT_FALSE(machine.LastWriteTime("C:\\MISSING").has_value());
}

TEST_F(SimulatedMachine, ProgramsStartOnlyFromProgramFiles) {
  Write("c/WINDOWS/SETUP1.EXE", "MZ...");
  Write("c/WINDOWS/README.TXT", "text");
  Write("c/MY SETUP/SETUP1.EXE", "MZ...");
  HostMachine& machine = Machine();
  EXPECT_TRUE(machine.StartProcess("C:\\WINDOWS\\SETUP1.EXE D:\\").ok);
  EXPECT_TRUE(machine.StartProcess("C:\\WINDOWS\\SETUP1 D:\\").ok);  // ".exe" is implied
  EXPECT_TRUE(machine.StartProcess("\"C:\\MY SETUP\\SETUP1.EXE\" D:\\").ok);
  EXPECT_EQ(machine.StartProcess("C:\\WINDOWS\\NONE.EXE D:\\").error, 2u);
  EXPECT_EQ(machine.StartProcess("C:\\WINDOWS\\README.TXT D:\\").error, 193u);
}

TEST_F(SimulatedMachine, BoxesTakeTheirAnswersInOrderAndAnUnexpectedOneIsAnError) {
  HostMachine& machine = Machine("[Boxes]\r\nAnswers=4,3\r\n");
  EXPECT_EQ(machine.MessageBox("first", "Setup Error", 0x32), platform::kIdRetry);
  EXPECT_EQ(machine.MessageBox("second", "Setup Error", 0x32), platform::kIdAbort);
  EXPECT_TRUE(machine.Errors().empty());
  machine.MessageBox("third", "Setup Error", 0x10);
  EXPECT_THAT(machine.Errors(), ElementsAre("unexpected box: third"));
}

TEST_F(SimulatedMachine, ALoopWithNothingToWaitForIsAnError) {
  HostMachine& machine = Machine();
  EXPECT_EQ(machine.RunMessageLoop(), 0);
  EXPECT_THAT(machine.Errors(), ElementsAre("message loop has nothing left to wait for"));
}

// --- strictness and error codes ----------------------------------------------

constexpr char kFaults[] =
    "[Files]\r\nInUse=C:\\BUSY.DLL\r\nReadOnly=c:\\keep.txt\r\n"
    "[Drives]\r\nFull=E:\r\nWriteProtected=A:\r\n";

class StrictMachine : public SimulatedMachine {
 protected:
  HostMachine& Faulty() {
    Write("c/BUSY.DLL", "busy");
    Write("c/KEEP.TXT", "keep");
    Write("c/DIR/F", "data");
    Write("a/FLOPPY.TXT", "floppy");
    Write("e/OLD.TXT", "0123456789");
    fs::create_directories(root_ / "c" / "EMPTY");
    return Machine(kFaults);
  }
};

TEST_F(StrictMachine, FailingCallsSetTheWindowsErrorAndChangeNothing) {
  using Call = std::function<bool(HostMachine&)>;
  const struct {
    const char* act;
    Call call;
    std::uint32_t error;
  } cases[] = {
      {"delete missing", [](HostMachine& m) { return static_cast<bool>(m.DeleteFile("C:\\NONE")); }, 2},
      {"delete in missing dir", [](HostMachine& m) { return static_cast<bool>(m.DeleteFile("C:\\NO\\NONE")); }, 3},
      {"delete read-only", [](HostMachine& m) { return static_cast<bool>(m.DeleteFile("C:\\KEEP.TXT")); }, 5},
      {"delete directory", [](HostMachine& m) { return static_cast<bool>(m.DeleteFile("C:\\DIR")); }, 5},
      {"delete in use", [](HostMachine& m) { return static_cast<bool>(m.DeleteFile("c:\\busy.dll")); }, 32},
      {"delete protected", [](HostMachine& m) { return static_cast<bool>(m.DeleteFile("A:\\FLOPPY.TXT")); }, 19},
      {"overwrite read-only", [](HostMachine& m) { return m.CreateForWrite("C:\\KEEP.TXT").value != 0; }, 5},
      {"open in use", [](HostMachine& m) { return m.CreateForWrite("C:\\BUSY.DLL").value != 0; }, 32},
      {"create protected", [](HostMachine& m) { return m.CreateForWrite("A:\\NEW").value != 0; }, 19},
      {"create in missing dir", [](HostMachine& m) { return m.CreateForWrite("C:\\NO\\N").value != 0; }, 3},
      {"LZ on protected drive", [](HostMachine& m) { return m.LzCreate("A:\\FLOPPY.TXT").value >= 0; }, 19},
      {"profile into read-only",
       [](HostMachine& m) { return m.WriteProfileString("s", "k", "v", "C:\\KEEP.TXT"); }, 5},
      {"profile on full drive",
       [](HostMachine& m) { return m.WriteProfileString("s", "k", "v", "E:\\NEW.INI"); }, 112},
      {"replace read-only", [](HostMachine& m) { return static_cast<bool>(m.ReplaceFile("C:\\DIR\\F", "C:\\KEEP.TXT")); }, 5},
      {"replace in use", [](HostMachine& m) { return static_cast<bool>(m.ReplaceFile("C:\\DIR\\F", "C:\\BUSY.DLL")); }, 32},
      {"move from in use", [](HostMachine& m) { return static_cast<bool>(m.ReplaceFile("C:\\BUSY.DLL", "C:\\X")); }, 32},
      {"replace protected", [](HostMachine& m) { return static_cast<bool>(m.ReplaceFile("C:\\DIR\\F", "A:\\F")); }, 19},
      {"move onto full drive", [](HostMachine& m) { return static_cast<bool>(m.ReplaceFile("C:\\DIR\\F", "E:\\F")); }, 112},
      {"mkdir existing", [](HostMachine& m) { return m.CreateDirectory("C:\\DIR"); }, 183},
      {"mkdir protected", [](HostMachine& m) { return m.CreateDirectory("A:\\NEW"); }, 19},
      {"mkdir in missing dir", [](HostMachine& m) { return m.CreateDirectory("C:\\NO\\NEW"); }, 3},
      {"rmdir root", [](HostMachine& m) { return static_cast<bool>(m.RemoveDirectory("C:\\")); }, 5},
      {"rmdir drive", [](HostMachine& m) { return static_cast<bool>(m.RemoveDirectory("C:")); }, 5},
      {"rmdir not empty", [](HostMachine& m) { return static_cast<bool>(m.RemoveDirectory("C:\\DIR")); }, 145},
      {"rmdir missing", [](HostMachine& m) { return static_cast<bool>(m.RemoveDirectory("C:\\NONE")); }, 2},
      {"read missing", [](HostMachine& m) { return m.ReadFile("C:\\NO\\X", 1024).value.has_value(); }, 3},
      {"LZ open missing", [](HostMachine& m) { return m.LzOpenRead("C:\\NONE.EXE").value >= 0; }, 2},
      {"load missing", [](HostMachine& m) { return m.LoadLibrary("C:\\NONE.DLL") != 0; }, 126},
  };
  HostMachine& machine = Faulty();
  for (const auto& [act, call, error] : cases) {
    SCOPED_TRACE(act);
    EXPECT_FALSE(call(machine));
    EXPECT_EQ(machine.LastError(), error);
  }
  EXPECT_EQ(Read("c/KEEP.TXT"), "keep");
  EXPECT_EQ(Read("c/BUSY.DLL"), "busy");
  EXPECT_EQ(Read("c/DIR/F"), "data");
  EXPECT_TRUE(fs::exists(root_ / "a" / "FLOPPY.TXT"));
  EXPECT_FALSE(fs::exists(root_ / "e" / "NEW.INI"));
  EXPECT_EQ(machine.ReadWhole("C:\\KEEP.TXT"), "keep");  // read-only and busy files read
  EXPECT_NE(machine.OpenForRead("C:\\BUSY.DLL").value, 0u);
}

TEST_F(StrictMachine, AFullDriveTakesNoNewBytes) {
  Write("d/P.EX_", szdd::Compress("MZ program", 'E'));
  HostMachine& machine = Faulty();
  const platform::File file = machine.CreateForWrite("E:\\EMPTY.TXT").value;
  ASSERT_NE(file, 0u);  // an empty file needs no room
  EXPECT_FALSE(machine.WriteBytes(file, "x"));
  EXPECT_EQ(machine.LastError(), 112u);
  const platform::LzFile in = machine.LzOpenRead("D:\\P.EX_").value;
  const platform::LzFile out = machine.LzCreate("E:\\P.EXE").value;
  EXPECT_EQ(machine.LzCopy(in, out).value, platform::kLzErrorWrite);
  EXPECT_EQ(machine.LastError(), 112u);
  EXPECT_EQ(Read("e/EMPTY.TXT"), "");
  EXPECT_EQ(Read("e/P.EXE"), "");
  EXPECT_TRUE(machine.ReplaceFile("E:\\OLD.TXT", "E:\\MOVED.TXT"));  // no new bytes
}

TEST_F(StrictMachine, FilesHeldOpenCannotBeDeletedOrReplaced) {
  Write("c/SRC.EXE", "MZ");
  HostMachine& machine = Machine();
  const platform::LzFile in = machine.LzOpenRead("C:\\SRC.EXE").value;
  EXPECT_FALSE(machine.DeleteFile("C:\\SRC.EXE"));
  EXPECT_EQ(machine.LastError(), 32u);
  machine.LzClose(in);
  EXPECT_TRUE(machine.DeleteFile("C:\\SRC.EXE"));
}

TEST_F(StrictMachine, TheCurrentDirectoryIsHeldAndDotsNeverClimbAboveTheRoot) {
  Write("c/WINDOWS/X.INI", "x");
  HostMachine& machine = Faulty();
  ASSERT_TRUE(machine.SetCurrentDirectory("C:\\EMPTY"));
  EXPECT_FALSE(machine.RemoveDirectory("C:\\EMPTY"));
  EXPECT_EQ(machine.LastError(), 32u);
  EXPECT_TRUE(machine.FileExists("..\\..\\..\\WINDOWS\\X.INI"));
  EXPECT_TRUE(machine.FileExists("C:\\..\\WINDOWS\\.\\X.INI."));  // trailing dots are dropped
  EXPECT_EQ(machine.Resolve("C:\\..\\..\\..\\ESCAPE"), root_ / "c" / "ESCAPE");
  ASSERT_TRUE(machine.SetCurrentDirectory("C:\\"));
  EXPECT_TRUE(machine.RemoveDirectory("C:\\EMPTY"));
}

TEST_F(SimulatedMachine, DeviceNamesAreDevicesNotFiles) {
  for (const char* name : {"NUL", "nul.txt", "CON", "Com1", "LPT9.LOG", "Aux.Log", "PRN"}) {
    SCOPED_TRACE(name);
    HostMachine& machine = Machine();
    const std::string path = std::string("C:\\WINDOWS\\") + name;
    EXPECT_TRUE(machine.WriteProfileString("s", "k", "v", path));
    EXPECT_NE(machine.CreateForWrite(path).value, 0u);
    EXPECT_FALSE(machine.FileExists(path));
    EXPECT_FALSE(machine.DeleteFile(path));
    EXPECT_EQ(machine.LastError(), 2u);  // as the platform: no file behind the name
    EXPECT_EQ(machine.ReadWhole(path), "");
    EXPECT_THAT(machine.Journal(), Contains("write C:\\WINDOWS\\" + std::string(name) +
                                            " (device, nothing stored)"));
    EXPECT_TRUE(fs::is_empty(root_ / "c" / "WINDOWS" / "SYSTEM"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "c" / "WINDOWS"), {}), 1);
  }
  HostMachine& machine = Machine();
  for (const char* name : {"COM0", "LPT10", "NULL", "CONSOLE.TXT"}) {
    EXPECT_NE(machine.CreateForWrite(std::string("C:\\") + name).value, 0u) << name;
    EXPECT_TRUE(machine.FileExists(std::string("C:\\") + name)) << name;
  }
}

TEST_F(SimulatedMachine, DriveRelativePathsUseThatDrivesDirectory) {
  Write("c/WINDOWS/B.TXT", "b");
  Write("d/Disk1/A.TXT", "a");
  // NT keeps one directory (and what the parent left for other drives);
  // 9x keeps one for each drive.
  for (const auto& [family, keptOnC] : {std::pair{"NT", false}, std::pair{"9x", true}}) {
    SCOPED_TRACE(family);
    HostMachine& machine = Machine(std::string("[Machine]\r\nFamily=") + family +
                                   "\r\n[Drives]\r\nCurrentDirectories=D:\\DISK1\r\n");
    ASSERT_TRUE(machine.SetCurrentDirectory("C:\\WINDOWS"));
    EXPECT_TRUE(machine.FileExists("C:B.TXT"));
    EXPECT_FALSE(machine.FileExists("C:\\B.TXT"));
    EXPECT_TRUE(machine.FileExists("D:A.TXT"));
    ASSERT_TRUE(machine.SetCurrentDirectory("D:\\"));
    EXPECT_EQ(machine.FileExists("C:B.TXT"), keptOnC);
    ASSERT_TRUE(machine.SetCurrentDrive(3));
    EXPECT_EQ(machine.FileExists("B.TXT"), keptOnC);
  }
}

// --- profile files ---------------------------------------------------------------

TEST_F(SimulatedMachine, Utf16ProfileFilesReadInAnsiAndStayUtf16) {
  std::string wide = "\xFF\xFE";
  for (const char16_t c : std::u16string(u"[s]\r\nk=\u00E9\u03A9\r\n")) {
    wide += static_cast<char>(c & 0xFF);
    wide += static_cast<char>(c >> 8);
  }
  Write("c/WINDOWS/WIDE.INI", wide);
  HostMachine& machine = Machine();
  EXPECT_EQ(machine.ReadProfileString("s", "k", "", 10, "WIDE.INI"), "\xE9?");
  ASSERT_TRUE(machine.WriteProfileString("s", "n", "1", "WIDE.INI"));
  EXPECT_EQ(Read("c/WINDOWS/WIDE.INI"), wide + std::string("n\0=\0001\0\r\0\n\0", 10));
  EXPECT_EQ(machine.ReadProfileInt("s", "n", 0, "WIDE.INI"), 1u);
  const auto log = machine.LastWrittenSection();
  ASSERT_TRUE(log);
  EXPECT_EQ(log->entries, (std::vector<std::pair<std::string, std::string>>{{"k", "\xE9?"}, {"n", "1"}}));
}

TEST_F(SimulatedMachine, AProfileFileIsReadAgainAfterTheMachineWritesIt) {
  using Act = std::function<void(HostMachine&)>;
  const std::string after = "[s]\r\nk=2\r\n";
  const std::pair<const char*, Act> acts[] = {
      {"profile write", [](HostMachine& m) { m.WriteProfileString("s", "k", "2", "C:\\P.INI"); }},
      {"piece write",
       [&after](HostMachine& m) {
         const platform::File file = m.CreateForWrite("C:\\P.INI").value;
         m.WriteBytes(file, after);
         m.CloseFile(file);
       }},
      {"replace", [](HostMachine& m) { m.ReplaceFile("C:\\NEW.INI", "c:\\p.ini"); }},
      {"LZ copy",
       [](HostMachine& m) {
         const platform::LzFile in = m.LzOpenRead("C:\\NEW.INI").value;
         const platform::LzFile out = m.LzCreate("C:\\P.INI").value;
         m.LzCopy(in, out).value;
         m.LzClose(in);
         m.LzClose(out);
       }},
      {"delete and rewrite",
       [](HostMachine& m) {
         m.DeleteFile("C:\\P.INI");
         m.WriteProfileString("s", "k", "2", "C:\\P.INI");
       }},
  };
  for (const auto& [name, act] : acts) {
    SCOPED_TRACE(name);
    Write("c/P.INI", "[s]\r\nk=1\r\n");
    Write("c/NEW.INI", after);
    HostMachine& machine = Machine();
    EXPECT_EQ(machine.ReadProfileString("s", "k", "-", 10, "C:\\P.INI"), "1");
    act(machine);
    EXPECT_EQ(machine.ReadProfileString("s", "k", "-", 10, "C:\\.\\P.INI"), "2");
  }
}

// --- seam additions ---------------------------------------------------------------

TEST_F(SimulatedMachine, LibrariesLoadByFullPathAndTheProgramPathIsWhole) {
  Write("d/Disk1/TOOLKIT.DLL", "MZ");
  const std::string program = "D:\\" + std::string(300, 'P') + "\\SETUP.EXE";
  HostMachine& machine =
      Machine("[Machine]\r\nProgram=" + program + "\r\n[Libraries]\r\nPresent=CTL3D32.DLL\r\n");
  EXPECT_EQ(machine.ModuleFileName(), program);
  EXPECT_TRUE(machine.RestrictLibrarySearch());
  EXPECT_NE(machine.LoadLibrary("D:\\DISK1\\TOOLKIT.DLL"), 0u);
  EXPECT_NE(machine.LoadSystemLibrary("ctl3d32.dll"), 0u);
  EXPECT_EQ(machine.LoadLibrary("D:\\DISK1\\CTL3D32.DLL"), 0u);  // listed for the system only
  EXPECT_THAT(machine.Journal(),
              ElementsAre("library search limited to the system directory",
                          "load D:\\DISK1\\TOOLKIT.DLL", "load C:\\WINDOWS\\SYSTEM\\ctl3d32.dll",
                          "load D:\\DISK1\\CTL3D32.DLL failed"));
}

}  // namespace
}  // namespace host
