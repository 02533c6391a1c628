// Media built from a manifest: refused where the bootstrapper would cut or
// misread, and otherwise installed to the end on the simulated machine,
// disk 2 and a split file included.
#include <fstream>
#include <sstream>

#include "../unit/pe_image.h"
#include "media_build.h"
#include "media_lint.h"
#include "media_machine.h"
#include "simulation.h"
#include "scenario.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class MediaBuild : public Scenario {
 protected:
  fs::path Source(const std::string& name, const std::string& bytes) {
    const fs::path path = root_ / "src" / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  media::ManifestResult Manifest(const std::string& text) {
    return media::ReadManifest(text, root_ / "src", Source("SETUP.EXE", "MZ product"));
  }
  // Media of two disks in root_/out, a split DLL among them; its content.
  std::string BuildTwoDisks() {
    std::string big = test_pe::Image({0x00020000, 0});
    std::uint32_t noise = 1;
    for (int i = 0; i < 30000; ++i) big += static_cast<char>((noise = noise * 1103515245u + 12345u) >> 16);
    Source("MAIN.EXE", kProgram);
    Source("BIG.DLL", big);
    Source("APP.REG", "REGEDIT4");
    read_ = Manifest("[Media]\nTitle=Built Setup\n[Splash]\nMessage1=Welcome;-1;20\n[Settings]\nVersionCheck=0\n"
                     "[Main]\nFile=MAIN.EXE\nSwitches=/Q\n[Files]\nFile1=BIG.DLL;system;dll\n"
                     "File2=APP.REG;windows;APP.REG\n");
    EXPECT_TRUE(read_.manifest.has_value()) << testing::PrintToString(read_.errors);
    std::string error;
    built_ = media::LayOut(*read_.manifest, 20000, 1000, error);
    EXPECT_TRUE(built_.has_value()) << error;
    EXPECT_TRUE(media::WriteMedia(*built_, root_ / "src" / "SETUP.EXE", root_ / "out", error)) << error;
    return big;
  }

  media::ManifestResult read_;
  std::optional<media::Media> built_;
};

TEST_F(MediaBuild, ValuesTheBootstrapperWouldCutOrMisreadAreRefused) {
  Source("MAIN.EXE", kProgram);
  Source("A.DLL", "a");
  Source("A VERY LONG NAME.DLL", "a");
  const std::string main = "[Main]\nFile=MAIN.EXE\n";
  const std::pair<std::string, std::string> cases[] = {
      {"[Media]\nTitle=" + std::string(60, 'T') + "\n" + main, "Title: 60 characters; the bootstrapper keeps 59"},
      {"[Splash]\nMessage2=Setup | wait\n" + main, "Message2: a \"|\" would split"},
      {main + "[Files]\nFile1=A VERY LONG NAME.DLL\n", "File1: 20 characters"},
      {main + "[Files]\nFile1=A.DLL;elsewhere\n", "File1: the destination is system or windows"},
      {main + "[Files]\nFile1=A.DLL\nFile2=A.DLL\n", "File2: A.DLL is listed twice"},
      {main + "[Files]\nFile1=GONE.DLL\n", "File1: "},
      {main + "[Files]\nFile1=A.DLL;;..\\APP.REG\n", "File1 registry file: \"..\\APP.REG\" is not a plain file name"},
      {main + "[Settings]\nVBCompatible=3\n", "VBCompatible: is written by the tool"},
      {"[Main]\nFile=MAIN.EXE\nSwitches=/QUIET /NORESTART\n", "Switches: 26 characters"},
  };
  for (const auto& [text, error] : cases) {
    SCOPED_TRACE(text);
    const media::ManifestResult read = Manifest(text);
    EXPECT_FALSE(read.manifest.has_value());
    EXPECT_THAT(read.errors, ElementsAre(HasSubstr(error)));
  }
}

TEST_F(MediaBuild, TwoDisksAndASplitFileInstallToTheEnd) {
  const std::string big = BuildTwoDisks();
  EXPECT_EQ(built_->disks, 2);
  EXPECT_THAT(built_->setupList, HasSubstr("VBCompatible=4\r\nDialogTitle=Built Setup\r\n"));
  EXPECT_THAT(built_->setupList, HasSubstr("[Setup]\r\nSetup=MAIN.EXE /Q\r\n"));
  EXPECT_THAT(built_->setupList, HasSubstr(",SPLIT,BIG.DL1,BIG.DLL,$(WinSysPath),$(DLLSelfRegister),,,,2.0.0.0\r\n"));
  EXPECT_THAT(built_->setupList, HasSubstr("=2,,BIG.DL2,BIG.DLL,$(WinSysPath),$(DLLSelfRegister),,,,2.0.0.0\r\n"));

  // Disk 1 in drive D:, disk 2 waiting to be asked for.
  fs::remove_all(root_ / "d");
  fs::rename(root_ / "out" / "DISK1", root_ / "d");
  fs::create_directories(root_ / "disks");
  fs::rename(root_ / "out" / "DISK2", root_ / "disks" / "2");
  MachineSection("[Boxes]\r\nAnswers=1\r\n");
  Run();
  EXPECT_THAT(Host().Errors(), ::testing::IsEmpty());
  EXPECT_THAT(Journal("box "), ElementsAre(StartsWith("box \"Please insert Disk 2\" caption=\"Built Setup\"")));
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SYSTEM\\BIG.DLL"), "100");
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\MAIN.EXE /Q D:\\");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\BIG.DLL"), big);
  EXPECT_EQ(LogValue("REGEDIT /S APP.REG(RegEdit)"), "2");  // the machine has no REGEDIT
}

TEST_F(MediaBuild, LintedCleanAndSimulatedOnAPresetMachineTheMediaStayAsTheyAre) {
  BuildTwoDisks();
  EXPECT_TRUE(media::Lint(root_ / "out").empty());
  std::string error;
  ASSERT_FALSE(media::PrepareMachine(root_ / "out", "win98", root_ / "none", error));
  EXPECT_THAT(error, HasSubstr("neither a preset (win95, nt4, xp, win10)"));
  ASSERT_TRUE(media::PrepareMachine(root_ / "out", "nt4", root_ / "sim", error)) << error;
  std::ostringstream report;
  EXPECT_EQ(simulation::RunAndReport(root_ / "sim", report, true), 0);
  EXPECT_THAT(report.str(), HasSubstr("\ndisk 2 in D:\n"));
  EXPECT_THAT(report.str(), HasSubstr("\nC:\\WINNT\\SYSTEM32\\BIG.DLL=100\n"));
  EXPECT_THAT(report.str(), HasSubstr("\nCmd=C:\\WINNT\\MAIN.EXE /Q D:\\\n"));
  EXPECT_THAT(report.str(), HasSubstr("\nC:\\WINNT\\SYSTEM32\\BIG.DLL "));
  EXPECT_TRUE(fs::exists(root_ / "out" / "DISK2" / "BIG.DL2"));
}

}  // namespace
}  // namespace scenario
