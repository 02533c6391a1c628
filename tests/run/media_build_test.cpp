// Media built from a manifest: refused where the bootstrapper would cut or
// misread, and otherwise installed to the end on the simulated machine,
// disk 2 and a split file included.
#include <cstring>
#include <fstream>
#include <sstream>

#include <cairo.h>

#include "../unit/image_bytes.h"
#include "../unit/pe_image.h"
#include "constants.h"
#include "image_files.h"
#include "media_build.h"
#include "media_lint.h"
#include "media_machine.h"
#include "simulation.h"
#include "scenario.h"
#include "splash_picture.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
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
    Source("LOGO.BMP", Quadrants());
    read_ = Manifest("[Media]\nTitle=Built Setup\n[Splash]\nMessage1=Welcome;-1;20\nImage=LOGO.BMP;0;10;10\n"
                     "[Settings]\nVersionCheck=0\n"
                     "[Main]\nFile=MAIN.EXE\nSwitches=/Q\n[Files]\nFile1=BIG.DLL;system;dll\n"
                     "File2=APP.REG;windows;APP.REG\n");
    EXPECT_TRUE(read_.manifest.has_value()) << testing::PrintToString(read_.errors);
    std::string error;
    built_ = media::LayOut(*read_.manifest, 20000, 1000, error);
    EXPECT_TRUE(built_.has_value()) << error;
    EXPECT_TRUE(media::WriteMedia(*built_, root_ / "src" / "SETUP.EXE", root_ / "out", error)) << error;
    return big;
  }

  // A 40 x 20 bitmap: red, green above blue, yellow.
  static std::string Quadrants() {
    std::string rows;
    for (int y = 0; y < 20; ++y) {  // bottom row first
      for (int x = 0; x < 40; ++x) {
        rows.append(y < 10 ? (x < 20 ? "\xFF\0\0" : "\0\xFF\xFF") : (x < 20 ? "\0\0\xFF" : "\0\xFF\0"), 3);
      }
    }
    return test_image::Bmp({.width = 40, .height = 20}, rows);
  }

  media::ManifestResult read_;
  std::optional<media::Media> built_;
};

using Png = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Png ReadPng(const fs::path& path) {
  return Png(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
}

std::uint32_t Pixel(cairo_surface_t* png, int x, int y) {
  const unsigned char* row = cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png);
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, row + 4 * x, 4);
  return pixel & 0xFFFFFF;
}

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
      {main + "[Settings]\nUseTempDir=1\n[Files]\nFile1=A.DLL;windows\n", "File1: with UseTempDir=1 a windows file"},
      {main + "[Files]\nFile1=A.DLL;;;sometimes\n", "File1: the fourth field is skipifinuse or nothing"},
      {main + "Switches=/Q\n[Files]\nFile1=A.DLL;;;skipifinuse\n", "Switches: a list that says SkipIfInUse"},
      {"[Main]\nFile=MAIN.EXE\nSwitches=/QUIET /NORESTART\n", "Switches: 26 characters"},
  };
  for (const auto& [text, error] : cases) {
    SCOPED_TRACE(text);
    const media::ManifestResult read = Manifest(text);
    EXPECT_FALSE(read.manifest.has_value());
    EXPECT_THAT(read.errors, ElementsAre(HasSubstr(error)));
  }
}

TEST_F(MediaBuild, SplashImagesThatWouldShowNothingAreRefused) {
  Source("MAIN.EXE", kProgram);
  Source("LOGO.BMP", "MB not a bitmap");
  Source("APP.ICO", test_image::Ico(test_image::IconImage(48, 32)));
  const std::pair<std::string, std::string> cases[] = {
      {"LOGO.BMP;0;0;0", "LOGO.BMP is not a readable bitmap (status -2)"},
      {"APP.ICO;1;0;0", "APP.ICO is not a usable icon (status -7)"},
      {"GONE.BMP;0;0;0", "GONE.BMP is not a file"},
  };
  for (const auto& [image, error] : cases) {
    SCOPED_TRACE(image);
    const media::ManifestResult read = Manifest("[Splash]\nImage=" + image + "\n[Main]\nFile=MAIN.EXE\n");
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
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_THAT(Journal("box "), ElementsAre(StartsWith("box \"Please insert Disk 2\" caption=\"Built Setup\"")));
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SYSTEM\\BIG.DLL"), "100");
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\MAIN.EXE /Q D:\\");
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\BIG.DLL"), big);
  EXPECT_EQ(LogValue("REGEDIT /S APP.REG(RegEdit)"), "2");  // the machine has no REGEDIT
}

TEST_F(MediaBuild, SkipIfInUseWritesTheRecordFormAndAFileInUseIsLeftWithoutABox) {
  Source("MAIN.EXE", kProgram);
  Source("A.DLL", test_pe::Image({0x00020000, 0}));
  Source("APP.REG", "REGEDIT4");
  read_ = Manifest("[Main]\nFile=MAIN.EXE\n[Files]\nFile1=A.DLL;system;;skipifinuse\nFile2=APP.REG;windows;APP.REG\n");
  ASSERT_TRUE(read_.manifest.has_value()) << testing::PrintToString(read_.errors);
  std::string error;
  built_ = media::LayOut(*read_.manifest, media::kDefaultDiskSize, 1000, error);
  ASSERT_TRUE(built_.has_value()) << error;
  EXPECT_THAT(built_->setupList, HasSubstr("VBCompatible=0\r\n"));
  EXPECT_THAT(built_->setupList, HasSubstr("SetupFileName=MAIN.EXE\r\nSetupDistName=MAIN.EX_\r\n"
                                           "File1=A.DLL;1;;2.0.0.0;1;A.DL_\r\nFile2=APP.REG;;1;;1;APP.RE_;APP.REG\r\n"));
  ASSERT_TRUE(media::WriteMedia(*built_, root_ / "src" / "SETUP.EXE", root_ / "out", error)) << error;
  EXPECT_THAT(media::Lint(root_ / "out"), IsEmpty());

  fs::remove_all(root_ / "d");
  fs::rename(root_ / "out" / "DISK1", root_ / "d");
  Put("C:\\WINDOWS\\SYSTEM\\A.DLL", test_pe::Image({0x00010000, 0}));
  MachineSection("[Files]\r\nInUse=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n");
  Run();
  EXPECT_THAT(Host().Errors(), IsEmpty());  // no box was shown
  EXPECT_EQ(LogValue("C:\\WINDOWS\\SYSTEM\\A.DLL"), "300");
  EXPECT_EQ(LogValue("Cmd"), "C:\\WINDOWS\\MAIN.EXE D:\\");
}

TEST_F(MediaBuild, LintedCleanAndSimulatedOnAPresetMachineTheMediaStayAsTheyAre) {
  BuildTwoDisks();
  EXPECT_THAT(media::Lint(root_ / "out"), IsEmpty());
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
  EXPECT_THAT(report.str(), HasSubstr("\nbitblt at 10,10 size 40x20 rop="));
}

TEST_F(MediaBuild, TheSplashPictureShowsFrameTitleImageAndLinesAsItsReference) {
  BuildTwoDisks();
  std::string error;
  ASSERT_TRUE(media::PrepareMachine(root_ / "out", "win95", root_ / "sim", error)) << error;
  std::ostringstream report;
  std::optional<host::WindowPicture> picture;
  simulation::RunAndReport(root_ / "sim", report, false, &picture);
  ASSERT_TRUE(picture.has_value());
  ASSERT_TRUE(media::WriteSplashPicture(*picture, root_ / "splash.png", error)) << error;
  EXPECT_EQ(error, "");

  const Png drawn = ReadPng(root_ / "splash.png");
  const Png reference = ReadPng(fs::path(SETUP_SOURCE_DIR) / "tests/run/data/splash_picture.png");
  ASSERT_EQ(cairo_surface_status(reference.get()), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_surface_status(drawn.get()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(drawn.get()), cairo_image_surface_get_width(reference.get()));
  EXPECT_EQ(cairo_image_surface_get_height(drawn.get()), cairo_image_surface_get_height(reference.get()));
  // Frame lines, title bar, background and the image's four quadrants
  // (client area from 3,22: a dialog frame under a 19-pixel title bar).
  const std::pair<int, int> points[] = {{0, 0}, {1, 1}, {299, 149}, {298, 148}, {200, 10}, {290, 140},
                                        {22, 36}, {42, 36}, {22, 46}, {42, 46}};
  for (const auto& [x, y] : points) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(Pixel(drawn.get(), x, y), Pixel(reference.get(), x, y));
  }
  EXPECT_EQ(Pixel(drawn.get(), 22, 36), 0xFF0000u);
  // The line is drawn in the band the run gave it, whatever the font.
  int dark = 0;
  for (int x = 3; x < 297; ++x) dark += Pixel(drawn.get(), x, 22 + 20 + 6) < 0x404040 ? 1 : 0;
  EXPECT_GT(dark, 5);
}

TEST_F(MediaBuild, AnIconIsDrawnAtIconSizeWithTheBackgroundThroughItsMask) {
  // A 16 x 16 icon in one colour; its second row is opaque at x = 0 and
  // clear at x = 7.
  const std::string file = test_image::Ico(test_image::IconImage(16, 16));
  const image::Icon icon = image::ReadIcon(file);
  ASSERT_TRUE(icon.usable);
  host::WindowPicture picture;
  picture.window.style = platform::kWsPopup;
  picture.window.width = 60;
  picture.window.height = 40;
  picture.background = platform::kColorBtnFace + 1;
  picture.images.push_back({4, 4, 32, 32, icon.colour.info, std::string(icon.colour.bits), icon.mask, true});
  std::string error;
  ASSERT_TRUE(media::WriteSplashPicture(picture, root_ / "icon.png", error)) << error;
  EXPECT_EQ(error, "");
  const Png drawn = ReadPng(root_ / "icon.png");
  EXPECT_EQ(cairo_image_surface_get_width(drawn.get()), 60);
  EXPECT_EQ(Pixel(drawn.get(), 5, 7), 0x636363u);   // source 0,1: the colour table's first entry
  EXPECT_EQ(Pixel(drawn.get(), 19, 7), 0xC0C0C0u);  // source 7,1: masked
  EXPECT_EQ(Pixel(drawn.get(), 40, 20), 0xC0C0C0u);  // beyond the icon's 32 pixels
}

}  // namespace
}  // namespace scenario
