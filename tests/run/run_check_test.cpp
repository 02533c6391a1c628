// The whole-run checker finds what a careless run would leave: each case
// runs a sound bootstrap, then damages the tree as a faulty run would.
#include <filesystem>
#include <functional>

#include "run_check.h"
#include "scenario.h"

namespace scenario {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class RunCheck : public Scenario {
 protected:
  // An own list that leaves the placed program in C:\WINDOWS.
  void LayOut(const std::string& settings = "") {
    List("[BootSetup]\r\nVBCompatible=0\r\nDeleteSetup=0\r\n" + settings);
    PutCompressed("D:\\SETUP1.EX_", kProgram);
    Put("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=\r\n");
    Put("C:\\CONFIG.SYS", "files=40");
    Put("C:\\WINDOWS\\ZOVURERU.INI", "[2026/01/01 10:00:00]\r\nA=Earlier\r\n");
    std::filesystem::create_directories(Path("C:\\KEEP"));
  }

  std::vector<std::string> RunAndCheck(const std::function<void()>& damage,
                                       const runcheck::Rules& rules = {}) {
    const runcheck::Snapshot before = runcheck::TakeSnapshot(root_);
    const int exitCode = Run();
    damage();
    return runcheck::CheckRun(before, {root_, Host(), exitCode}, rules);
  }
};

TEST_F(RunCheck, ASoundRunKeepsEveryRule) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "C:\\WINDOWS\\SETUP1.EXE"},
      {"SetupFileName=SETUP1.EXE~\r\n", "C:\\WINDOWS\\SETUP1.EXE~"},  // placed, not staged
  };
  for (const auto& [settings, placed] : cases) {
    SCOPED_TRACE(settings);
    Reset();
    LayOut(settings);
    EXPECT_THAT(RunAndCheck([] {}), IsEmpty());
    EXPECT_TRUE(Exists(placed));
  }
}

TEST_F(RunCheck, DamageAfterTheRunIsAViolation) {
  struct Case {
    const char* what;
    std::function<void()> damage;
    std::string violation;
  };
  const Case cases[] = {
      {"old file changed", [this] { Put("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=EVIL\r\n"); },
       "C:\\WINDOWS\\WIN.INI changed, but the journal shows no write of it"},
      {"old file deleted", [this] { std::filesystem::remove(Path("C:\\CONFIG.SYS")); },
       "C:\\CONFIG.SYS was there before the run and is gone"},
      {"staging copy left", [this] { Put("C:\\WINDOWS\\X.EXE~", kProgram); },
       "a staging copy is left behind: C:\\WINDOWS\\X.EXE~"},
      {"numbered staging copy left", [this] { Put("C:\\WINDOWS\\SETUP1.EXE~2", kProgram); },
       "a staging copy is left behind: C:\\WINDOWS\\SETUP1.EXE~2"},
      {"file nobody wrote", [this] { Put("C:\\NEW.EXE", kProgram); },
       "C:\\NEW.EXE is new, but the journal shows no write of it"},
      {"earlier log section edited",
       [this] { Put("C:\\WINDOWS\\ZOVURERU.INI", "[2026/01/01 10:00:00]\r\nA=Later\r\n"); },
       "the log C:\\WINDOWS\\ZOVURERU.INI no longer holds its earlier text"},
      {"old directory removed", [this] { std::filesystem::remove(Path("C:\\KEEP")); },
       "the directory C:\\KEEP was there before the run and is gone"},
      {"copy cut short", [this] { Put("C:\\WINDOWS\\SETUP1.EXE", kProgram.substr(0, 10)); },
       "the log says C:\\WINDOWS\\SETUP1.EXE=101, but the file holds no complete copy of a media file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    LayOut();
    EXPECT_THAT(RunAndCheck(c.damage), Contains(HasSubstr(c.violation)));
  }
}

TEST_F(RunCheck, AnUnansweredBoxIsAViolationUnlessTheCallerAllowsIt) {
  const std::pair<bool, std::size_t> cases[] = {{false, 1}, {true, 0}};
  for (const auto& [allowed, violations] : cases) {
    SCOPED_TRACE(allowed);
    Reset();
    LayOut();
    List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=..\\CONFIG.SYS\r\n");
    runcheck::Rules rules;
    rules.boxesMayGoUnanswered = allowed;
    EXPECT_EQ(RunAndCheck([] {}, rules).size(), violations);
  }
}

}  // namespace
}  // namespace scenario
