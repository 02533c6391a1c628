// Whole runs: the splash picture expanded from the media under a new name,
// made by the program's readers, drawn, logged, and its copy deleted.
#include "../unit/image_bytes.h"
#include "scenario.h"
#include "szdd.h"

namespace scenario {
namespace {

using namespace test_image;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

struct Case {
  const char* name;
  std::string setting;                 // ImageFile
  std::string media;                   // D:\LOGO.BM_ or D:\APP.IC_, expanded; empty: none
  std::optional<std::string> status;   // the "Img," entry
  const char* made;                    // journal line start of the picture, if one
  std::uint32_t readError = 0;         // the error of a read of the copy that fails
};

TEST_F(Scenario, SplashImagesAreMadeFromTheMediaOrGetTheirStatus) {
  const std::string bitmap = Bmp({}, std::string(16, 'p'));
  const std::string icon = Ico(IconImage(32, 32));
  const Case cases[] = {
      {"no image", "", "", std::nullopt, nullptr},
      {"bitmap", "LOGO.BMP;0;10;20", bitmap, "1", "bitmap 2x2 checksum="},
      {"icon", "APP.ICO;1;5;5", icon, "1", "icon image 32x32 checksum="},
      {"missing from the media", "LOGO.BMP;0;10;20", "", "-10", nullptr},
      {"not a bitmap", "LOGO.BMP;0;0;0", "MB" + bitmap.substr(2), "-2", nullptr},
      {"rows past the end", "LOGO.BMP;0;0;0", bitmap.substr(0, bitmap.size() - 1), "-4", nullptr},
      {"rows whose size wraps", "LOGO.BMP;0;0;0", Bmp({.width = INT32_MIN, .height = INT32_MIN, .bits = 32}, ""), "-4",
       nullptr},
      {"icon header cut off", "APP.ICO;1;0;0", icon.substr(0, 10), "-5", nullptr},
      {"a cursor", "APP.ICO;1;0;0", Ico(IconImage(32, 32), 2), "-6", nullptr},
      {"icon too wide", "APP.ICO;1;0;0", Ico(IconImage(48, 32)), "-7", nullptr},
      {"a name outside its folder", "..\\LOGO.BMP;0;0;0", bitmap, "-10", nullptr},
      {"a name with a drive", "C:\\LOGO.BMP;0;0;0", bitmap, "-10", nullptr},
      {"bitmap unreadable", "LOGO.BMP;0;0;0", bitmap, "-1", nullptr, 5},
      {"bitmap beyond memory", "LOGO.BMP;0;0;0", bitmap, "-3", nullptr, 8},
      {"icon unreadable", "APP.ICO;1;0;0", icon, "-5", nullptr, 5},
      {"icon beyond memory", "APP.ICO;1;0;0", icon, "-7", nullptr, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    MachineSection("[Boxes]\r\nAnswers=1\r\n");
    const bool isIcon = c.setting.find(";1;") != std::string::npos;
    if (!c.media.empty()) Put(isIcon ? "D:\\APP.IC_" : "D:\\LOGO.BM_", szdd::Compress(c.media, isIcon ? 'O' : 'P'));
    List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\nImageFile=" + c.setting + "\r\n");
    // The first file read whole is the picture's copy.
    c.readError != 0 ? RunWithFault("ReadFile", 1, c.readError) : Run();
    // The log names the copy as described, whatever became of it.
    const std::string path = "C:\\WINDOWS\\SYSTEM\\" + c.setting.substr(0, c.setting.find(';'));
    EXPECT_EQ(LogValue("Img," + path), c.status);
    EXPECT_EQ(Journal(c.made ? c.made : "no picture").size(), c.made ? 1u : 0u);
    EXPECT_FALSE(Exists(std::string("C:\\WINDOWS\\SYSTEM\\") + (isIcon ? "APP.ICO" : "LOGO.BMP")));  // deleted
  }
  // The last bitmap case is drawn where the setting says.
  Reset();
  Put("D:\\LOGO.BM_", szdd::Compress(bitmap, 'P'));
  List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\nImageFile=LOGO.BMP;0;10;20\r\n");
  Run();
  EXPECT_THAT(Journal("bitblt "), ElementsAre(StartsWith("bitblt at 10,20 size 2x2")));
}

TEST_F(Scenario, TheImageCopyNeverReplacesAFileOfTheMachineAndCanSizeTheWindow) {
  Put("C:\\WINDOWS\\SYSTEM\\SHELL.DLL", "the system's own file");
  Put("D:\\SHELL.DL_", szdd::Compress(Bmp({.width = 320, .height = 240, .bits = 1, .used = 2},
                                          std::string(8, 'c') + std::string(40 * 240, 'p')), 'L'));
  List("[BootSetup]\r\nVBCompatible=0\r\nSetupFileName=\r\nDialogStyle=3\r\nImageFile=SHELL.DLL;0;0;0\r\n");
  Run();
  EXPECT_THAT(Host().Errors(), IsEmpty());
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\SHELL.DLL"), "the system's own file");
  EXPECT_THAT(Journal("write "), ElementsAre("write C:\\WINDOWS\\SYSTEM\\SHELL.DLL.001"));
  EXPECT_FALSE(Exists("C:\\WINDOWS\\SYSTEM\\SHELL.DLL.001"));
  EXPECT_EQ(LogValue("Img,C:\\WINDOWS\\SYSTEM\\SHELL.DLL"), "1");
  EXPECT_THAT(Journal("window "), ElementsAre(testing::HasSubstr("w=320 h=240")));
}

}  // namespace
}  // namespace scenario
