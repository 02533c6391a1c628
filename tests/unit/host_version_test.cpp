// The simulated machine's version library: versions from the files' own
// resources, and installing by version with the platform's results.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "constants.h"
#include "host_machine.h"
#include "pe_image.h"
#include "szdd.h"

namespace host {
namespace {

namespace fs = std::filesystem;
using namespace platform;

const std::string kNew = test_pe::Image({0x00020000, 0, 2, 0});
const std::string kOld = test_pe::Image({0x00010000, 0, 2, 0});
const std::string kSame = test_pe::Image({0x00010005, 0, 2, 0});
const std::string kDriver = test_pe::Image({0x00020000, 0, 3, 0});

constexpr char kDescription[] =
    "[Libraries]\r\nPresent=VERSION.DLL\r\n"
    "[Files]\r\nInUse=C:\\SYS\\BUSY.DLL\r\nReadOnly=C:\\SYS\\RO.DLL\r\n"
    "[Drives]\r\nFull=E:\r\nWriteProtected=A:\r\n";

class VersionLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root_ = fs::temp_directory_path() / ("host-version-" + std::to_string(random()));
    Write("machine.ini", kDescription);
    Write("d/NEW.DLL", kNew);
    Write("d/OLD.DLL", kOld);
    Write("d/SAME.DLL", kSame);
    Write("d/DRIVER.DLL", kDriver);
    Write("d/PACKED.DL_", szdd::Compress(kNew, 'L'));
    for (const char* name : {"c/SYS/CUR.DLL", "c/SYS/BUSY.DLL", "c/SYS/RO.DLL", "c/SYS/OPEN.DLL",
                             "e/CUR.DLL", "a/CUR.DLL", "c/OLDDIR/CUR.DLL"}) {
      Write(name, kSame);
    }
    Write("c/SYS/PLAIN.DLL", "plain");
    machine_ = std::make_unique<HostMachine>(root_);
    library_ = machine_->LoadSystemLibrary("VERSION.DLL");
  }
  void TearDown() override { fs::remove_all(root_); }
  void Write(const std::string& relative, const std::string& content) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << content;
  }
  std::string Read(const fs::path& relative) {
    std::ifstream in(root_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root_;
  std::unique_ptr<HostMachine> machine_;
  Library library_ = 0;
};

TEST_F(VersionLibrary, VersionsComeFromImagesOnly) {
  HostMachine& m = *machine_;
  const auto info = m.FileVersion(library_, "D:\\NEW.DLL").value;
  ASSERT_TRUE(info);
  EXPECT_EQ(info->fileVersionMs, 0x00020000u);
  EXPECT_EQ(info->fileType, 2u);
  EXPECT_FALSE(m.FileVersion(library_, "D:\\PACKED.DL_").value);  // compressed: not an image
  EXPECT_EQ(m.LastError(), kErrorResourceDataNotFound);
  EXPECT_FALSE(m.FileVersion(library_, "D:\\NONE.DLL").value);
  EXPECT_EQ(m.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(m.FileVersion(library_, "D:\\NUL").value);
  EXPECT_TRUE(m.FileVersion(library_, "C:\\SYS\\RO.DLL").value);  // read-only files read
  EXPECT_FALSE(m.FileVersion(library_ + 1, "D:\\NEW.DLL").value);  // no such library
}

TEST_F(VersionLibrary, InstallsByVersionWithThePlatformsResults) {
  const struct {
    const char* name;
    std::string source, destDir, destName;
    std::uint32_t flags, result;
    const std::string* content;  // what the destination then holds
    bool tempKept;
  } cases[] = {
      {"newer installs", "NEW.DLL", "C:\\SYS", "CUR.DLL", 0, 0, &kNew, false},
      {"older is kept aside", "OLD.DLL", "C:\\SYS", "CUR.DLL", 0,
       kVifMismatch | kVifSrcOld | kVifTempFile, &kSame, true},
      {"older forced", "OLD.DLL", "C:\\SYS", "CUR.DLL", kViffForceInstall, 0, &kOld, false},
      {"equal installs", "SAME.DLL", "C:\\SYS", "CUR.DLL", 0, 0, &kSame, false},
      {"other type", "DRIVER.DLL", "C:\\SYS", "CUR.DLL", 0,
       kVifMismatch | kVifDiffType | kVifTempFile, &kSame, true},
      {"unversioned destination", "OLD.DLL", "C:\\SYS", "PLAIN.DLL", 0, 0, &kOld, false},
      {"no destination", "OLD.DLL", "C:\\SYS", "FRESH.DLL", 0, 0, &kOld, false},
      {"compressed source expands", "PACKED.DL_", "C:\\SYS", "CUR.DLL", 0, 0, &kNew, false},
      {"in use by the system", "NEW.DLL", "C:\\SYS", "BUSY.DLL", 0, kVifFileInUse | kVifTempFile,
       &kSame, true},
      {"held open", "NEW.DLL", "C:\\SYS", "OPEN.DLL", 0,
       kVifCannotDelete | kVifSharingViolation, &kSame, false},
      {"read-only", "NEW.DLL", "C:\\SYS", "RO.DLL", kViffForceInstall, kVifWriteProt, &kSame, false},
      {"full drive", "NEW.DLL", "E:\\", "CUR.DLL", 0, kVifOutOfSpace, &kSame, false},
      {"write-protected drive", "NEW.DLL", "A:\\", "CUR.DLL", 0,
       kVifCannotCreate | kVifAccessViolation, &kSame, false},
      {"missing source", "NONE.DLL", "C:\\SYS", "CUR.DLL", 0, kVifCannotReadSrc, &kSame, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    HostMachine& m = *machine_;
    const File held = m.OpenForRead("C:\\SYS\\OPEN.DLL").value;
    std::string temp = "unchanged";
    EXPECT_EQ(m.InstallFile(library_, {c.flags, c.source, c.destName, "D:\\", c.destDir, ""}, temp),
              c.result);
    m.CloseFile(held);
    EXPECT_EQ(m.ReadWhole(c.destDir + "\\" + c.destName).value_or("none"), *c.content);
    EXPECT_EQ(temp, c.tempKept ? "ver0001.tmp" : "unchanged");
    EXPECT_EQ(m.FileExists(c.destDir + "\\ver0001.tmp"), c.tempKept);
    char line[64];
    std::snprintf(line, sizeof line, "result=0x%X", c.result);
    EXPECT_THAT(m.Journal(), ::testing::Contains(::testing::AllOf(
                                 ::testing::StartsWith("install D:\\" + c.source + " -> "),
                                 ::testing::EndsWith(line))));
  }
}

TEST_F(VersionLibrary, TheKeptCopyCanBeForcedInAndTheOldCopyElsewhereGoes) {
  HostMachine& m = *machine_;
  std::string temp;
  InstallRequest request{0, "OLD.DLL", "CUR.DLL", "D:\\", "C:\\SYS", "C:\\OLDDIR"};
  ASSERT_EQ(m.InstallFile(library_, request, temp), kVifMismatch | kVifSrcOld | kVifTempFile);
  request.flags = kViffForceInstall;
  EXPECT_EQ(m.InstallFile(library_, request, temp), 0u);
  EXPECT_EQ(Read("c/SYS/CUR.DLL"), kOld);
  EXPECT_FALSE(fs::exists(root_ / "c" / "SYS" / "ver0001.tmp"));  // reused, not copied again
  EXPECT_FALSE(fs::exists(root_ / "c" / "OLDDIR" / "CUR.DLL"));
  EXPECT_THAT(m.Journal(), ::testing::Contains("write C:\\SYS\\ver0001.tmp"));
  EXPECT_THAT(m.Journal(), ::testing::Contains("delete C:\\OLDDIR\\CUR.DLL"));
}

}  // namespace
}  // namespace host
