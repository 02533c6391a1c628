// The texts that decide whether a file is newer, and the install call, on
// the simulated machine.
#include <chrono>

#include "../unit/pe_image.h"
#include "constants.h"
#include "scenario.h"
#include "szdd.h"
#include "version_texts.h"

namespace scenario {
namespace {

class VersionTexts : public Scenario {
 protected:
  boot::BootState& State() {
    List("[BootSetup]\r\nSetupFileName=\r\n");
    Run();  // a machine, with the version library in its system directory
    PrepareState(state_);
    return state_;
  }
  static std::string Image(std::uint32_t ms, std::uint32_t ls) { return test_pe::Image({ms, ls}); }

  boot::BootState state_;
};

TEST_F(VersionTexts, PaddedTextsOrderVersionsAndPlainTextsMatchRecords) {
  Put("C:\\A.DLL", Image(0x00050000, 0x00250018));
  Put("C:\\BIG.DLL", Image(0x00012710, 0));
  Put("C:\\PLAIN.TXT", "no version here");
  boot::BootState& state = State();
  const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
      {"C:\\A.DLL", {"0005.0000.0037.0024", "5.0.37.24"}},
      {"C:\\PLAIN.TXT", {"", ""}},  // right after a file that had one
      {"C:\\BIG.DLL", {"0001.10000.0000.0000", "1.10000.0.0"}},
      {"C:\\MISSING.DLL", {"", ""}},
  };
  for (const auto& [path, texts] : cases) {
    const boot::VersionTexts got = boot::GetFileVersionText(state, path);
    EXPECT_EQ(std::make_pair(got.padded, got.plain), std::make_pair(std::string(texts.first), std::string(texts.second)))
        << path;
  }
  state.libraries.version.Reset();
  EXPECT_EQ(boot::GetFileVersionText(state, "C:\\A.DLL").plain, "");
}

TEST_F(VersionTexts, DateTextIsTheUtcMinuteOfTheLastWrite) {
  Put("C:\\OLD.DLL", "x");
  const auto time = std::chrono::sys_days{std::chrono::year{1999} / 12 / 31} + std::chrono::hours{23} +
                    std::chrono::minutes{59} + std::chrono::seconds{59};
  std::filesystem::last_write_time(Path("C:\\OLD.DLL"), std::chrono::file_clock::from_sys(time));
  boot::BootState& state = State();
  EXPECT_EQ(boot::GetFileDateText(state, "C:\\OLD.DLL"), "199912312359");
  EXPECT_EQ(boot::GetFileDateText(state, "C:\\MISSING.DLL"), "");
}

TEST_F(VersionTexts, InstallReplacesAnOlderFileAndLeavesNoTemporaryCopy) {
  Put("C:\\WINDOWS\\SYSTEM\\NEW.DLL", Image(0x00020000, 0));
  Put("D:\\NEW.DL_", szdd::Compress(Image(0x00030000, 0), 'L'));
  Put("C:\\WINDOWS\\SYSTEM\\OLD.DLL", Image(0x00020000, 0));
  Put("D:\\OLD.DL_", szdd::Compress(Image(0x00010000, 0), 'L'));
  boot::BootState& state = State();
  EXPECT_EQ(boot::VersionInstall(state, "D:\\", "NEW.DL_", "C:\\WINDOWS\\SYSTEM\\", "NEW.DLL"), 0u);
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\NEW.DLL"), Image(0x00030000, 0));
  const std::uint32_t refused = boot::VersionInstall(state, "D:\\", "OLD.DL_", "C:\\WINDOWS\\SYSTEM\\", "OLD.DLL");
  EXPECT_EQ(refused, platform::kVifTempFile | platform::kVifMismatch | platform::kVifSrcOld);
  EXPECT_EQ(Read("C:\\WINDOWS\\SYSTEM\\OLD.DLL"), Image(0x00020000, 0));
  for (const auto& entry : std::filesystem::directory_iterator(Path("C:\\WINDOWS\\SYSTEM\\x").parent_path())) {
    EXPECT_FALSE(entry.path().extension() == ".tmp") << entry.path();
  }
}

}  // namespace
}  // namespace scenario
