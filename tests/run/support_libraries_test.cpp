// Whole runs: the 3-D controls library and the version library are made
// present from the media when missing, then loaded; the run goes on
// without them when they cannot be had.
#include "scenario.h"
#include "szdd.h"

namespace scenario {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kSys[] = "C:\\WINDOWS\\SYSTEM\\";

class SupportLibraries : public Scenario {
 protected:
  void Remove(const std::string& windowsPath) { std::filesystem::remove(Path(windowsPath)); }
  // A system for which the 3-D controls are used, with the list asking for them.
  void ThreeDRun() {
    Machine("Version=3.10");
    Machine("Family=NT");
    MachineSection("[Boxes]\r\nAnswers=1\r\n");
    List("[BootSetup]\r\nSetupFileName=\r\nDialog3d=1\r\n");
  }
  std::vector<std::string> Loads() const {
    std::vector<std::string> loads;
    for (const std::string& line : Journal("load ")) loads.push_back(line.substr(5));
    return loads;
  }
};

TEST_F(SupportLibraries, ThreeDControlsArePresentCopiedOrGoneWithoutThem) {
  struct Case {
    const char* what;
    std::vector<std::string> files;  // besides the machine's usual ones
    const char* copyLog;             // value of the "3d," entry; empty: none
    bool loaded;
  };
  const Case cases[] = {
      {"in the Windows directory only", {"C:\\WINDOWS\\CTL3DV2.DLL"}, "", true},
      {"expanded from the media", {"D:\\CTL3DV2.DL_"}, "101", true},
      {"missing from the media", {}, "400", false},
      {"present but the library does not load", {"C:\\WINDOWS\\SYSTEM\\CTL3DV2.DLL", "-CTL3D32"}, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    ThreeDRun();
    bool library = true;
    for (const std::string& file : c.files) {
      if (file == "-CTL3D32") library = false;
      if (file.ends_with("_")) {
        Put(file, szdd::Compress("3d", 'L'));
      } else if (file[0] != '-') {
        Put(file, "MZ");
      }
    }
    if (library) Put(std::string(kSys) + "CTL3D32.DLL", "MZ");
    Run();
    const std::optional<std::string> entry = LogValue(std::string("3d,") + kSys + "CTL3DV2.DLL");
    EXPECT_EQ(entry.value_or(""), c.copyLog);
    EXPECT_EQ(Journal("box ").size(), std::string(c.copyLog) == "400" ? 1u : 0u);
    EXPECT_EQ(Journal("call ").empty(), !c.loaded);
  }
}

// The library is called at its documented entries, by name or else by
// ordinal, with their own arguments (the splash window is 0x1); a missing
// entry is skipped, and without the register entry the library is not used.
TEST_F(SupportLibraries, ThreeDControlsAreCalledAtTheirDocumentedEntries) {
  constexpr char kLib[] = "call C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL ";
  struct Case {
    const char* what;
    const char* exports;  // [Exports] value; nullptr: every entry
    std::vector<std::string> calls;
    bool platformFrame;  // the frame left to the platform
  };
  const std::vector<std::string> kEveryCall = {
      "Ctl3dRegister(0x400000)", "Ctl3dAutoSubclass(0x400000)", "Ctl3dSubclassDlg(0x1,0xFFFF)",
      "Ctl3dDlgFramePaint(0x1,0x85,0x1,0x0)", "Ctl3dUnregister(0x400000)"};
  const Case cases[] = {
      {"every entry", nullptr, kEveryCall, false},
      {"the named table with its other ordinals",
       "StaticWndProc3d@11;Ctl3dSubclassDlg@2;Ctl3dSetStyle@19;Ctl3dRegister@12;Ctl3dUnregister@13;"
       "Ctl3dAutoSubclass@16;Ctl3dDlgFramePaint@20",
       kEveryCall, false},
      {"ordinals without names", "@11;@12;@13;@15;@16;@19;@2;@20",
       {"#12(0x400000)", "#16(0x400000)", "#2(0x1,0xFFFF)", "#20(0x1,0x85,0x1,0x0)", "#13(0x400000)"}, false},
      {"no frame painter or subclassing", "Ctl3dRegister@12;Ctl3dUnregister@13",
       {"Ctl3dRegister(0x400000)", "Ctl3dUnregister(0x400000)"}, true},
      {"no register entry", "Ctl3dAutoSubclass@16;Ctl3dSubclassDlg@2;Ctl3dDlgFramePaint@20;Ctl3dUnregister@13",
       {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    ThreeDRun();
    if (c.exports != nullptr) MachineSection(std::string("[Exports]\r\nCTL3D32.DLL=") + c.exports + "\r\n");
    Put(std::string(kSys) + "CTL3DV2.DLL", "MZ");
    Put(std::string(kSys) + "CTL3D32.DLL", "MZ");
    Run();
    std::vector<std::string> calls;
    for (const std::string& line : Journal(kLib)) calls.push_back(line.substr(std::string(kLib).size()));
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(Journal("default 0x85").size(), c.platformFrame ? 1u : 0u);
    // Loaded once and freed once, whether it was used or not.
    EXPECT_EQ(Journal("free C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL").size(), 1u);
  }
}

TEST_F(SupportLibraries, VersionLibraryDecidesHowFilesAreCompared) {
  struct Case {
    const char* what;
    std::string setting;
    std::vector<std::string> missing;
    bool onMedia;
    const char* copyLog;  // the "Ver," entry; empty: none
    bool loaded;
    const char* noLibraryLog;  // the "Ver" entry; empty: none
  };
  const Case cases[] = {
      {"present", "", {}, false, "", true, ""},
      {"not asked for", "VersionCheck=2\r\n", {}, false, "", false, ""},
      {"expanded from the media", "", {"VER.DLL"}, true, "101", true, ""},
      {"missing from the media", "", {"VER.DLL"}, false, "400", false, ""},
      {"library that does not load", "", {"VERSION.DLL"}, false, "", false, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    MachineSection("[Boxes]\r\nAnswers=1\r\n");
    List("[BootSetup]\r\nSetupFileName=\r\n" + c.setting);
    for (const std::string& name : c.missing) Remove(kSys + name);
    if (c.onMedia) Put("D:\\VER.DL_", szdd::Compress("MZ ver", 'L'));
    Run();
    EXPECT_EQ(LogValue(std::string("Ver,") + kSys + "VER.DLL").value_or(""), c.copyLog);
    EXPECT_EQ(LogValue("Ver").value_or(""), c.noLibraryLog);
    const bool loaded = !Loads().empty() && !Loads()[0].ends_with(" failed");
    EXPECT_EQ(loaded, c.loaded);
    if (c.onMedia) {
      EXPECT_EQ(Read(std::string(kSys) + "VER.DLL"), "MZ ver");
    }
  }
}

}  // namespace
}  // namespace scenario
