// Whole runs: start-up, settings, directories and the setup log.
#include "tests/run/scenario.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;

class Foundation : public Scenario {};

TEST_F(Foundation, WithoutAnySetupListEverySettingTakesItsDefault) {
  MachineSection("[Boxes]\r\nAnswers=1\r\n");
  PutCompressed("D:\\SETUP1.EX_", kProgram);
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Journal("window "), ElementsAre(
      "window class=SetupWClass title=\"Setup\" style=0x80C00080 exstyle=0x1 x=170 y=165 w=300 h=150"));
  EXPECT_EQ(Host().LastWrittenSection()->file, "C:\\WINDOWS\\ZOVURERU.INI");
  EXPECT_EQ(LogValue("A"), "Setup");
  EXPECT_EQ(LogValue("V"), std::string("4.0 95 (") + SETUP_VERSION_LABEL + ")");
  EXPECT_THAT(Journal("text "), ElementsAre(
      "text \"Starting Setup, please wait...\" box=(0,45,300,131) format=0x801"));
}

}  // namespace
}  // namespace scenario
