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
    Machine("Version=3.10");
    Machine("Family=NT");
    MachineSection("[Boxes]\r\nAnswers=1\r\n");
    List("[BootSetup]\r\nSetupFileName=\r\nDialog3d=1\r\n");
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
    if (c.loaded) {
      EXPECT_THAT(Journal("call "), ElementsAre(HasSubstr("CTL3D32.DLL #11(0x400000)"), HasSubstr("#15(0x400000)"),
                                                HasSubstr("#2("), HasSubstr("#12(0x400000)")));
    } else {
      EXPECT_TRUE(Journal("call ").empty());
    }
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
