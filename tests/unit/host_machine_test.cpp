// The simulated machine behaves as the platform does where the bootstrapper
// depends on it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "szdd.h"
#include "constants.h"
#include "host_machine.h"

namespace host {
namespace {

namespace fs = std::filesystem;
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
  const platform::LzFile in = machine.LzOpenRead("D:\\SETUP1.EXE");
  ASSERT_GE(in, 0);
  const platform::LzFile out = machine.LzCreate("C:\\OUT.EXE");
  ASSERT_GE(out, 0);
  EXPECT_EQ(machine.LzCopy(in, out), 10);
  machine.LzClose(in);
  machine.LzClose(out);
  EXPECT_EQ(machine.ReadFile("C:\\OUT.EXE"), "MZ program");
  EXPECT_EQ(machine.LzOpenRead("D:\\NONE.EXE"), platform::kLzErrorBadInHandle);
  EXPECT_EQ(machine.LastError(), platform::kErrorFileNotFound);
  EXPECT_EQ(machine.ExpandedName("D:\\SETUP1.EX_"), "D:\\SETUP1.EXE");
  EXPECT_FALSE(machine.ExpandedName("D:\\SETUP1.EXE"));  // no twin for names
}

TEST_F(SimulatedMachine, TruncatedCompressedSourceIsAReadError) {
  std::string compressed = szdd::Compress(std::string(5000, 'z') + "tail", 'L');
  compressed.resize(compressed.size() - 3);
  Write("d/BIG.DL_", compressed);
  HostMachine& machine = Machine();
  const platform::LzFile in = machine.LzOpenRead("D:\\BIG.DL_");
  const platform::LzFile out = machine.LzCreate("C:\\BIG.DLL");
  EXPECT_EQ(machine.LzCopy(in, out), platform::kLzErrorRead);
}

TEST_F(SimulatedMachine, FilesReadAndWrittenPieceByPiece) {
  Write("d/PART1", "abcdef");
  HostMachine& machine = Machine();
  const platform::File in = machine.OpenForRead("D:\\PART1");
  const platform::File out = machine.CreateForWrite("C:\\JOINED");
  ASSERT_NE(in, 0u);
  ASSERT_NE(out, 0u);
  for (std::optional<std::string> piece; (piece = machine.ReadBytes(in, 4)) && !piece->empty();) {
    EXPECT_TRUE(machine.WriteBytes(out, *piece));
  }
  machine.CloseFile(in);
  machine.CloseFile(out);
  EXPECT_EQ(machine.ReadFile("C:\\JOINED"), "abcdef");
  EXPECT_EQ(machine.OpenForRead("D:\\MISSING"), 0u);
  EXPECT_EQ(machine.CreateForWrite("Q:\\NO\\DIR"), 0u);
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

}  // namespace
}  // namespace host
