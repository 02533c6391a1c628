// Whole runs: setup-list forms, copying the main setup program, the launch,
// the wait and the clean-up.
#include "constants.h"
#include "scenario.h"
#include "szdd.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The program is D:\INSTALL.EXE, so that its own list INSTALL.LST is not
// also the source directory's SETUP.LST.
class Launch : public Scenario {
 protected:
  void SetUp() override {
    Scenario::SetUp();
    Machine("Program=D:\\INSTALL.EXE");
  }
  void List(const std::string& text) { Put("D:\\INSTALL.LST", text); }
  void Answers(const std::string& answers) { MachineSection("[Boxes]\r\nAnswers=" + answers + "\r\n"); }
};

TEST_F(Launch, OwnListCopiesStartsWaitsAndRemovesTheMainSetupProgram) {
  Machine("CommandLine=/Q");
  List("[BootSetup]\r\nDialogTitle=Own\r\nFile1=A.DLL;;0;;;A.DL_\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Put("D:\\A.DL_", szdd::Compress("a", 'L'));
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_EQ(LogKeys(), (std::vector<std::string>{"A", "V", "1", "2", "3", "C:\\WINDOWS\\SETUP1.EXE",
                                                  "C:\\WINDOWS\\SYSTEM\\A.DLL", "Cmd", "C", "DS"}));
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\SETUP1.EXE D:\\ /Q");
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), "101");
  EXPECT_THAT(Journal("hide"), ElementsAre("hide"));
  EXPECT_THAT(Journal("timer "), ElementsAre("timer 1000 1000ms"));
  EXPECT_THAT(Journal("delete "), ElementsAre("delete C:\\WINDOWS\\SETUP1.EXE"));
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SETUP1.EXE"));
}

TEST_F(Launch, PlainListRestoresNamesAndTakesTheFirstAsMainSetupProgram) {
  Put("D:\\SETUP.LST", "SETUP1.EX_\r\nVER.DL_\r\nCTL3DV2.DL_\r\nMISSING.DL_\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Put("D:\\VER.DL_", szdd::Compress("ver", 'L'));
  Put("D:\\CTL3DV2.DL_", szdd::Compress("3d", 'L'));
  Run();
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_EQ(LogValue("VB"), "3,SETUP1.EXE;VER.DLL;CTL3DV2.DLL;MISSING.DL_;");
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), "101");
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SYSTEM\\CTL3DV2.DLL"), "100");
  EXPECT_FALSE(LogValue("C:\\WINDOWS\\SYSTEM\\MISSING.DL_").has_value());
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\SETUP1.EXE D:\\");
}

TEST_F(Launch, SectionedListIsCopiedAndItsSetupKeyStarted) {
  Put("D:\\SETUP.LST",
      "[Bootstrap]\r\nFile1=1,,A.DL_,A.DLL,$(WinPath),$(EXESelfRegister),,,,5.0.0.1\r\n"
      "[Setup]\r\nSetup=MAIN.EXE\r\n");
  Put("C:\\WINDOWS\\MAIN.EXE", kProgram);
  Put("D:\\A.DL_", szdd::Compress("a", 'L'));
  Run();
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_EQ(LogValue("VB"), "4");
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\MAIN.EXE D:\\");
  EXPECT_FALSE(LogValue("C:\\WINDOWS\\SETUP1.EXE").has_value());
  EXPECT_THAT(Journal("delete "), ElementsAre("delete C:\\WINDOWS\\SETUP.LST"));
}

TEST_F(Launch, VbCompatibleZeroUsesTheOwnListDespiteASetupLst) {
  Put("D:\\INSTALL.LST", "[BootSetup]\r\nVBCompatible=0\r\nSetupDistName=MAIN.EX_\r\n");
  Put("D:\\SETUP.LST", "OTHER.EX_\r\n");
  PutCompressed("D:\\MAIN.EX_", kProgram);
  Run();
  EXPECT_FALSE(LogValue("VB").has_value());
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), "101");
  EXPECT_THAT(Host().Errors(), IsEmpty());
}

TEST_F(Launch, MissingMainSetupProgramIsReportedAndTheRunStops) {
  List("[BootSetup]\r\nErrorMessageInstall=Call support.\r\n");
  Answers("1");
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Journal("box "), ElementsAre(
      "box \"Unable to locate source file: D:\\SETUP1.EX_\n\nCall support.\" caption=\"Setup Error\" type=0x10 answer=1"));
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), "400");
  EXPECT_TRUE(Journal("start ").empty());
  EXPECT_EQ(LogValue("DS"), "1");
}

TEST_F(Launch, WithoutDeleteSetupTheRunEndsAtOnce) {
  List("[BootSetup]\r\nDeleteSetup=0\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Run();
  EXPECT_TRUE(Journal("timer").empty());
  EXPECT_EQ(LogValue("C"), "1");
  EXPECT_FALSE(LogValue("DS").has_value());
  EXPECT_TRUE(Exists("C:\\WINDOWS\\SETUP1.EXE"));
}

TEST_F(Launch, TempDirWaitsEvenWithoutDeleteSetup) {
  List("[BootSetup]\r\nDeleteSetup=0\r\nUseTempDir=1\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Run();
  EXPECT_EQ(LogValue("Cmd"), "C:\\~S120608\\SETUP1.EXE D:\\");
  EXPECT_THAT(Journal("start "), ElementsAre("start \"C:\\~S120608\\SETUP1.EXE D:\\\" dir=\"C:\\~S120608\""));
  EXPECT_EQ(LogValue("DT"), "1");
  EXPECT_FALSE(std::filesystem::exists(Path("C:\\~S120608")));
}

TEST_F(Launch, EmptySetupFileNameStartsNothingQuietly) {
  List("[BootSetup]\r\nSetupFileName=\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Run();
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_TRUE(Journal("start").empty());
  EXPECT_FALSE(LogValue("Cmd").has_value());
  EXPECT_EQ(LogValue("DS"), "1");
}

TEST_F(Launch, StartFailureShowsTheErrorCodeAndCommandLine) {
  List("[BootSetup]\r\nSetupFileName=NOPE.EXE\r\nSetupDistName=NOPE.EX_\r\n");
  Put("D:\\NOPE.EX_", szdd::Compress("not a program", 'E'));
  Answers("1");
  Run();
  EXPECT_THAT(Journal("box "), ElementsAre(
      "box \"Error launching Setup file: C:\\WINDOWS\\NOPE.EXE\n\nInstallation Aborted.\n\nError: 193\n\n"
      "C:\\WINDOWS\\NOPE.EXE D:\\\" caption=\"Setup Error\" type=0x10 answer=1"));
  EXPECT_EQ(LogValue("L"), "193");
}

TEST_F(Launch, MissingProgramGivesErrorTwo) {
  Put("D:\\SETUP.LST", "[Bootstrap]\r\nFile1=1,,X.DL_,X.DLL,,,,,,1.0.0.0\r\n");
  Put("D:\\X.DL_", szdd::Compress("x", 'L'));
  Answers("1");
  Run();
  ASSERT_EQ(Journal("box ").size(), 1u);
  EXPECT_NE(Journal("box ")[0].find("Error: 2\n\nC:\\WINDOWS\\* D:\\"), std::string::npos);
  EXPECT_EQ(LogValue("L"), "2");
}

TEST_F(Launch, ProgramPathWithABlankIsQuoted) {
  List("[BootSetup]\r\nUseTempDir=1\r\nTempDir=C:\\MY SETUP\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Run();
  EXPECT_EQ(LogValue("Cmd"), "\"C:\\MY SETUP\\SETUP1.EXE\" D:\\");
  EXPECT_THAT(Host().Errors(), IsEmpty());
}

TEST_F(Launch, FailedTimerEndsTheRunAndCleansUp) {
  MachineSection("[Windows]\r\nTimerFails=1\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Run();
  EXPECT_EQ(LogValue("T"), "0");
  EXPECT_EQ(LogValue("DS"), "1");
}

TEST_F(Launch, TempDirThatCannotBeRemovedIsReportedWithItsMessage) {
  List("[BootSetup]\r\nUseTempDir=1\r\nErrorMessageTempDir=Remove it yourself.\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  Answers("1");
  // As when the main setup program left a file behind.
  RunWithFault("RemoveDirectory", 1, platform::kErrorDirNotEmpty);
  EXPECT_THAT(Journal("box "), ElementsAre(
      "box \"Unable to delete the temporary directory:\n\nC:\\~S120608\\\n\nRemove it yourself.\" "
      "caption=\"Setup Error\" type=0x10 answer=1"));
  EXPECT_EQ(LogValue("DT"), "0");
}

class CorruptMedia : public Launch {};

TEST_F(CorruptMedia, TruncatedCompressedFileIsAFailureAndKeepsTheGoodCopy) {
  const std::string good = kProgram + std::string(3000, 'g');
  std::string compressed = szdd::Compress(kProgram + std::string(3000, 'n'), 'E');
  compressed.resize(compressed.size() / 2);
  Put("D:\\SETUP1.EX_", compressed);
  Put("C:\\WINDOWS\\SETUP1.EXE", good);
  List("[BootSetup]\r\nDeleteSetup=0\r\n");
  Answers("1");
  Run();
  EXPECT_THAT(Journal("box "), ElementsAre(
      "box \"General copy error: D:\\SETUP1.EX_\" caption=\"Setup Error\" type=0x10 answer=1"));
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SETUP1.EXE"), "400");
  EXPECT_TRUE(Journal("start").empty());
  EXPECT_EQ(Read("C:\\WINDOWS\\SETUP1.EXE"), good);
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SETUP1.EXE~"));
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// A list larger than a file read whole may be, or one that no memory can
// hold, gets the scan's no-memory result and the own list is used.
TEST_F(Launch, PlainListTooLargeOrWithoutMemoryFallsBackToTheOwnList) {
  for (const bool tooLarge : {true, false}) {
    SCOPED_TRACE(tooLarge ? "over 16 MiB" : "no memory");
    Reset();
    Machine("Program=D:\\INSTALL.EXE");
    List("[BootSetup]\r\nDialogTitle=Own\r\n");
    Put("D:\\SETUP.LST", tooLarge ? std::string((16u << 20) + 1, 'x') : "SETUP1.EX_\r\n");
    PutCompressed("D:\\SETUP1.EX_", kProgram);
    EXPECT_EQ(tooLarge ? Run() : RunWithFault("ReadFile", 1, platform::kErrorNotEnoughMemory), 0);
    EXPECT_EQ(LogValue("VB"), "3,-2");
    EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\SETUP1.EXE D:\\");
  }
}

}  // namespace
}  // namespace scenario
