// Faults anywhere: every call of every operation that can fail is made to
// fail in turn, once and from then on, on two machines; after each run
// the whole-run rules must hold.
#include <fstream>
#include <sstream>

#include "entry.h"
#include "faulty_platform.h"
#include "run_check.h"
#include "scenario.h"
#include "szdd.h"

namespace scenario {
namespace {

using host::FaultyPlatform;

// Enough Cancel answers for any box a fault brings.
std::string CancelAnswers() {
  std::string answers = "[Boxes]\r\nAnswers=2";
  for (int i = 0; i < 32; ++i) answers += ",2";
  return answers + "\r\n";
}

class FaultWalk : public Scenario {
 public:
  // Lays out a machine; `layout` runs before each faulty run.
  using Layout = void (FaultWalk::*)();

  void DemoMedia() {
    std::ifstream in(std::string(SETUP_SOURCE_DIR) + "/examples/media/SETUP.LST", std::ios::binary);
    std::ostringstream list;
    list << in.rdbuf();
    List(list.str() + "UseTempDir=1\r\n");
    PutCompressed("D:\\SETUP1.EX_", kProgram);
  }

  void SectionedList() {
    List("[BootSetup]\r\nDialogTitle=Sectioned\r\n[Setup]\r\nSetup=MAIN.EXE /Q\r\n[Bootstrap]\r\n"
         "File1=1,,A.DL_,A.DLL,$(WinSysPath),,,,,1.0.0.0\r\nFile2=1,1,B.DL1,B.DLL,$(WinPath),,,,,1.0.0.0\r\n"
         "File3=1,,B.DL2\r\n");
    Put("C:\\WINDOWS\\MAIN.EXE", kProgram);
    Put("D:\\A.DL_", szdd::Compress(kProgram, 'L'));
    const std::string split = szdd::Compress(std::string(40000, 'b') + kProgram, 'L');
    Put("D:\\B.DL1", split.substr(0, split.size() / 2));
    Put("D:\\B.DL2", split.substr(split.size() / 2));
    Put("C:\\WINDOWS\\WIN.INI", "[windows]\r\n");
    Put("C:\\WINDOWS\\ZOVURERU.INI", "[earlier]\r\nA=x\r\n");
  }

 protected:
  // Runs with the nth call of `operation` failing; false once the run no
  // longer reaches that call.
  // A run with no fault names the operations it calls that can fail.
  std::vector<std::string> CalledOperations(Layout layout) {
    Reset();
    (this->*layout)();
    MachineSection(CancelAnswers());
    NewMachine();
    FaultyPlatform faulty(Host().Os());
    boot::RunProgram(faulty.Os(), 0x400000, Host().CommandLine(), 1);
    return faulty.CalledOperations();
  }

  bool RunFailing(Layout layout, std::string_view operation, int n, FaultyPlatform::Repeat repeat) {
    Reset();
    (this->*layout)();
    MachineSection(CancelAnswers());
    const runcheck::Snapshot before = runcheck::TakeSnapshot(root_);
    NewMachine();
    FaultyPlatform faulty(Host().Os());
    faulty.FailCall(operation, n, repeat);
    const int exitCode = boot::RunProgram(faulty.Os(), 0x400000, Host().CommandLine(), 1);
    const std::vector<std::string> problems = runcheck::CheckRun(before, {root_, Host(), exitCode});
    EXPECT_TRUE(problems.empty()) << operation << " #" << n << ": " << testing::PrintToString(problems);
    return faulty.Failures() > 0;
  }

  void Walk(Layout layout) {
    int runs = 0;
    for (const std::string& operation : CalledOperations(layout)) {
      for (const auto repeat : {FaultyPlatform::Repeat::kOnce, FaultyPlatform::Repeat::kFromThenOn}) {
        for (int n = 1; RunFailing(layout, operation, n, repeat); ++n) ++runs;
        if (HasFailure()) return;
      }
    }
    EXPECT_GT(runs, 100);  // the walk reached the calls of a whole run
  }
};

TEST_F(FaultWalk, DemoMediaWithATemporaryDirectory) { Walk(&FaultWalk::DemoMedia); }

TEST_F(FaultWalk, SectionedList) { Walk(&FaultWalk::SectionedList); }

}  // namespace
}  // namespace scenario
