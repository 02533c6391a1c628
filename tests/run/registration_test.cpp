// Whole runs: installed files registered through the toolkit library, their
// own /REGSERVER switch or REGEDIT, with every result in the log.
#include <optional>

#include "scenario.h"
#include "szdd.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;

struct Case {
  const char* name;
  std::optional<std::string> toolkit;  // beside the program
  bool regedit;                        // REGEDIT.EXE in the current directory
  std::vector<std::pair<std::string, std::string>> entries;
};

TEST_F(Scenario, InstalledFilesAreRegisteredByTheirKindAndResultsLogged) {
  const std::string dll = "C:\\WINDOWS\\SYSTEM\\A.DLL(DLLReg)";
  const std::string noEntry = "C:\\WINDOWS\\SYSTEM\\B.DLL(DLLReg)";
  const std::string server = "C:\\WINDOWS\\SYSTEM\\SRV.EXE /REGSERVER(EXEReg)";
  const std::string regedit = "REGEDIT /S APP.REG(RegEdit)";
  const Case cases[] = {
      {"every kind", kProgram + "toolkit", true,
       {{dll, "0"}, {noEntry, "-2147024769"}, {server, "100"}, {regedit, "100"}}},
      {"no toolkit, no REGEDIT", std::nullopt, false,
       {{dll, "NoToolkit"}, {noEntry, "NoToolkit"}, {server, "100"}, {regedit, "2"}}},
      {"a toolkit without its entry", "not a library", true,
       {{dll, "NoToolkit"}, {noEntry, "NoToolkit"}, {server, "100"}, {regedit, "100"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    if (c.toolkit) Put("D:\\ZAVEZ432.DLL", *c.toolkit);
    if (c.regedit) Put("C:\\WINDOWS\\REGEDIT.EXE", kProgram);
    Put("D:\\A.DL_", szdd::Compress("MZ with DllRegisterServer", 'L'));
    Put("D:\\B.DL_", szdd::Compress("MZ without the entry", 'L'));
    Put("D:\\SRV.EX_", szdd::Compress(kProgram, 'E'));
    Put("D:\\APP.RE_", szdd::Compress("REGEDIT4", 'G'));
    List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\nFile1=A.DLL;;2;;0;;1\r\nFile2=B.DLL;;2;;0;;1\r\n"
         "File3=SRV.EXE;;2;;0;;2\r\nFile4=APP.REG;;1;;0;;APP.REG\r\n");
    Run();
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& entry : Log()) {
      if (entry.first.ends_with("Reg)") || entry.first.ends_with("Edit)")) entries.push_back(entry);
    }
    EXPECT_EQ(entries, c.entries);
    // The toolkit is loaded once for both DLLs.
    EXPECT_EQ(Journal("load D:\\ZAVEZ432.DLL").size(), c.toolkit ? 1u : 0u);
  }
  EXPECT_THAT(Journal("start "), ElementsAre(testing::StartsWith("start \"C:\\WINDOWS\\SYSTEM\\SRV.EXE /REGSERVER\""),
                                             testing::StartsWith("start \"REGEDIT /S C:\\WINDOWS\\APP.REG\"")));
}

TEST_F(Scenario, RegistrationCommandsNameTheInstalledFileQuoted) {
  Put("D:\\SRV.EX_", szdd::Compress(kProgram, 'E'));
  Put("D:\\APP.RE_", szdd::Compress("REGEDIT4", 'G'));
  Put("C:\\WINDOWS\\APP.REG", "REGEDIT4 of another product");
  List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\nUseTempDir=1\r\nTempDir=C:\\MY SETUP\r\n"
       "File1=SRV.EXE;;0;;0;;2\r\nFile2=APP.REG;;0;;0;;APP.REG\r\n");
  Run();
  EXPECT_THAT(Journal("start "),
              ElementsAre(testing::StartsWith("start \"\"C:\\MY SETUP\\SRV.EXE\" /REGSERVER\""),
                          testing::StartsWith("start \"REGEDIT /S \"C:\\MY SETUP\\APP.REG\"\"")));
  EXPECT_EQ(LogValue("C:\\MY SETUP\\SRV.EXE /REGSERVER(EXEReg)"), "100");
  EXPECT_TRUE(LogValue("REGEDIT /S APP.REG(RegEdit)").has_value());
}

}  // namespace
}  // namespace scenario
