// A manifest's mistyped names refused at their line with the name meant,
// and floppy images filled to the last cluster and root entry by the real
// mtools, one more refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "media_build.h"
#include "media_images.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class MediaImages : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("setup-images-" + std::to_string(std::random_device()()));
    fs::create_directories(root_ / "DISK1");
    std::ofstream(root_ / "MAIN.EXE") << "MZ";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  void Put(const std::string& name, std::uint64_t size) {
    std::ofstream(root_ / "DISK1" / name, std::ios::binary) << std::string(size, 'x');
  }
  std::optional<std::vector<fs::path>> Floppy(std::string& error) {
    media::Manifest manifest;
    manifest.title = "Edge";
    return media::WriteImages(manifest, media::ImageKind::kFloppy, root_, 1, 1000000000, error);
  }
  std::string Listing() {
    const std::string command = "MTOOLSRC=/dev/null mdir -b -i " + (root_ / "DISK1.IMG").string() + " :: | wc -l >" +
                                (root_ / "count").string();
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(root_ / "count");
    std::string count;
    in >> count;
    return count;
  }

  fs::path root_;
};

TEST_F(MediaImages, MistypedNamesOfTheManifestAreRefusedAtTheirLineWithTheNameMeant) {
  const std::string main = "[Main]\nFile=MAIN.EXE\n";
  const struct {
    std::string text;
    std::vector<std::string> errors;  // "LINE: text"
  } cases[] = {
      {"[Media]\nTitel=Demo\n" + main, {"2: [Media] has no key Titel; did you mean `Title`?"}},
      {main + "[Settings]\nUseTmpDir=1\n",
       {"4: the bootstrapper reads no setting UseTmpDir; did you mean `UseTempDir`?"}},
      {main + "[Settings]\n; a comment\nRequires2=A.DLL\nRequire3=B.DLL\n",
       {"6: the bootstrapper reads no setting Require3; did you mean `Requires3`?"}},
      {main + "[Settings]\nRequires0=A.DLL\nSetuplog=0\n",
       {"4: the bootstrapper reads no setting Requires0; did you mean `Requires1`?"}},
      {"[Media\nTitle=Demo\n" + main, {"1: the section header [Media has no \"]\""}},
      {"[Setings]\nUseTempDir=1\n" + main, {"1: unknown section [Setings]; did you mean `[Settings]`?"}},
      {main + "[Splash]\nMesage1=Hello\nMessage5=Hi\n",
       {"4: [Splash] has no key Mesage1; did you mean `Message1`?", "5: [Splash] has no key Message5; did you mean `Message1`?"}},
      {main + "[Files]\nFiles1=A.DLL\nFile=B.DLL\n",
       {"4: [Files] has no key Files1; did you mean `File1`?", "5: [Files] has no key File; did you mean `File1`?"}},
      {"Title=Demo\n" + main, {"1: Title stands before any section"}},
      {main + "Volume=Q\n", {"3: [Main] has no key Volume"}},
      {main + "\r\n[Files]\r\nFile1 = MAIN.EXE\r\nswitches\r\n", {"6: \"switches\" is neither a section header, a key nor a comment"}},
  };
  for (const auto& [text, errors] : cases) {
    SCOPED_TRACE(text);
    const media::ManifestResult read = media::ReadManifest(text, root_, root_ / "MAIN.EXE");
    EXPECT_FALSE(read.manifest.has_value());
    std::vector<std::string> got;
    for (const media::LineError& error : read.lineErrors) got.push_back(std::to_string(error.line) + ": " + error.text);
    EXPECT_EQ(got, errors);
  }
  // Names as the bootstrapper reads them: any case, numbered from 1.
  const media::ManifestResult read = media::ReadManifest(
      "[media]\ntitle=T\nLabel=DEMO\n[Settings]\nusetempdir=1\nRequires12=A.DLL\n" + main, root_, root_ / "MAIN.EXE");
  EXPECT_THAT(read.lineErrors, IsEmpty());
  EXPECT_TRUE(read.manifest.has_value()) << testing::PrintToString(read.errors);
}

TEST_F(MediaImages, AFloppyFilledToItsLastClusterIsMadeAndOneByteMoreIsRefused) {
  // 2847 clusters: 2846 whole ones in one file, the last in another.
  Put("A.BIN", 2846 * 512);
  Put("B.BIN", 512);
  std::string error;
  ASSERT_TRUE(Floppy(error)) << error;
  EXPECT_EQ(Listing(), "2");
  fs::remove(root_ / "DISK1.IMG");
  Put("B.BIN", 513);
  EXPECT_FALSE(Floppy(error));
  EXPECT_THAT(error, HasSubstr("DISK1 does not fit a 1.44 MB floppy image: the files take 2848 clusters"));
  EXPECT_FALSE(fs::exists(root_ / "DISK1.IMG"));
}

TEST_F(MediaImages, AMissingToolIsNamedWithItsPackage) {
  Put("A.BIN", 1);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (root_ / "none").c_str(), 1);
  std::string error;
  const bool made = Floppy(error).has_value();
  setenv("PATH", path.c_str(), 1);
  EXPECT_FALSE(made);
  EXPECT_EQ(error, "mformat is not installed (it comes with the Debian package mtools)");
}

TEST_F(MediaImages, AFloppyWithEveryRootEntryTakenIsMadeAndOneFileMoreIsRefused) {
  for (int n = 0; n < 223; ++n) Put("F" + std::to_string(n) + ".TXT", 0);
  std::string error;
  ASSERT_TRUE(Floppy(error)) << error;
  EXPECT_EQ(Listing(), "223");
  Put("ONEMORE.TXT", 0);
  EXPECT_FALSE(Floppy(error));
  EXPECT_THAT(error, HasSubstr("224 files and the volume label need 225 root directory entries; it has 224"));
}

TEST_F(MediaImages, NamesAndLabelsTheImagesCannotHoldAreRefusedByName) {
  media::Manifest manifest;
  manifest.title = "Demo Setup";
  manifest.main.name = "MAIN.EXE";
  for (const char* name : {"LONGNAME1.DLL", "A+B.DLL", "OK~1.DL"}) manifest.files.emplace_back().name = name;
  manifest.label = "a.b";
  EXPECT_THAT(media::ImageProblems(manifest, media::ImageKind::kFloppy),
              ElementsAre(HasSubstr("File1: LONGNAME1.DLL is not a short name"), HasSubstr("File2: A+B.DLL is not"),
                          HasSubstr("Label: \"a.b\" holds a character")));
  EXPECT_THAT(media::ImageProblems(manifest, media::ImageKind::kNone), IsEmpty());
  manifest.label.clear();
  EXPECT_EQ(media::FloppyLabel(manifest, 1), "DEMO SETUP1");
  EXPECT_EQ(media::FloppyLabel(manifest, 12), "DEMO SETU12");
  EXPECT_EQ(media::CdVolumeId(manifest), "DEMO_SETUP");
  manifest.label = "Disk of ";
  EXPECT_EQ(media::FloppyLabel(manifest, 3), "DISK OF3");
}

}  // namespace
