// Whole runs: Windows versions the list excludes, and files that must
// already be on the machine.
#include "scenario.h"

namespace scenario {
namespace {

struct Case {
  const char* name;
  std::string settings;
  std::string machine;
  std::string answers;
  std::vector<std::string> boxes;  // text, then " type=..."
  bool goesOn;
};

constexpr char kExcluded[] = "This product is not designed to run on your current version of Windows.";
constexpr char kMissing[] =
    "Unable to locate the following existing file which is necessary to successfully install this application.";
const std::string kQuestion = "\n\nDo you wish to continue the Setup anyway?";

class MachineChecks : public Scenario {
 protected:
  void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      Reset();
      Machine(c.machine);
      MachineSection("[Boxes]\r\nAnswers=" + c.answers + "\r\n");
      Put("C:\\WINDOWS\\SYSTEM\\SHARED.DLL", "MZ");
      Put("C:\\WINDOWS\\LOCAL.DLL", "MZ");
      Put("C:\\OUTSIDE.DLL", "MZ");
      Put("C:\\WINDOWS\\SYSTEM\\LONGNAME_REQUIRED.D", "MZ");
      List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\n" + c.settings);
      Run();
      std::vector<std::string> boxes;
      for (const std::string& line : Journal("box ")) {
        boxes.push_back(line.substr(5, line.find("\" caption=") - 5) + line.substr(line.find(" type="), 10));
      }
      EXPECT_EQ(boxes, c.boxes);
      // The list's directories are logged only by the phases after the checks.
      EXPECT_EQ(LogValue("1").has_value(), c.goesOn);
    }
  }
};

TEST_F(MachineChecks, ExcludedWindowsVersionsStopOrAsk) {
  const std::string nt4 = "Family=NT\r\nVersion=4.0\r\nBuild=1381";
  RunCases({
      {"not set", "", "", "", {}, true},
      {"mask 0", "ExcludeWinOS=0;1\r\n", "", "", {}, true},
      {"excluded", "ExcludeWinOS=8\r\n", "", "1", {std::string(kExcluded) + "\n\nInstallation Aborted. type=0x30"}, false},
      {"excluded, yes", "ExcludeWinOS=8;1\r\nExcludeWinOSMessage=Use the 32-bit edition.\r\n", "", "6",
       {std::string(kExcluded) + "\n\nUse the 32-bit edition." + kQuestion + " type=0x34"}, true},
      {"excluded, no", "ExcludeWinOS=8;1\r\n", "", "7", {kExcluded + kQuestion + " type=0x34"}, false},
      {"another family", "ExcludeWinOS=16\r\n", nt4, "", {}, true},
      {"every version", "ExcludeWinOS=-1\r\n", nt4, "1", {std::string(kExcluded) + "\n\nInstallation Aborted. type=0x30"},
       false},
  });
}

TEST_F(MachineChecks, RequiredFilesAreLookedForInTheSystemAndWindowsDirectories) {
  const std::string missing = std::string(kMissing) + "\n\nMISSING.DLL";
  RunCases({
      {"present in both places, a gap ends the list", "Requires1=SHARED.DLL\r\nRequires2=LOCAL.DLL\r\n"
                                                      "Requires4=MISSING.DLL\r\n", "", "", {}, true},
      {"one character", "Requires1=X\r\n", "", "", {}, true},
      {"cut to 19 characters", "Requires1=LONGNAME_REQUIRED.DLL\r\n", "", "", {}, true},
      {"skipped", "Requires1=MISSING.DLL\r\nErrorMessageRequires=Call us.\r\n", "", "5",
       {missing + "\n\nCall us. type=0x32"}, true},
      {"retried once it is there", "Requires1=MISSING.DLL\r\n", "[Files]\r\nAppearOnBox=C:\\WINDOWS\\MISSING.DLL", "4",
       {missing + " type=0x32"}, true},
      {"retried, then abandoned", "Requires1=MISSING.DLL\r\n", "", "4,3",
       {missing + " type=0x32", missing + " type=0x32"}, false},
      {"no ignoring", "NoIgnore=1\r\nRequires1=MISSING.DLL\r\n", "", "2", {missing + " type=0x35"}, false},
      {"a path is never looked for", "Requires1=..\\..\\OUTSIDE.DLL\r\n", "", "5",
       {std::string(kMissing) + "\n\n..\\..\\OUTSIDE.DLL type=0x32"}, true},
  });
  EXPECT_EQ(LogValue("Requires1"), "C:\\WINDOWS\\..\\..\\OUTSIDE.DLL");
}

}  // namespace
}  // namespace scenario
