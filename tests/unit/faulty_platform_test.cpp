// The fault-injecting platform fails the chosen call of an operation, once
// or from then on, without reaching the platform it wraps.
#include "faulty_platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <stdexcept>

#include "constants.h"
#include "host_machine.h"

namespace host {
namespace {

namespace fs = std::filesystem;
using Repeat = FaultyPlatform::Repeat;

constexpr char kIni[] = "C:\\WINDOWS\\X.INI";

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root_ = fs::temp_directory_path() / ("faulty-" + std::to_string(random()));
    fs::create_directories(root_ / "c" / "EMPTY");
    Write("machine.ini",
          "[Machine]\r\nNetworkCaps=4\r\n[Processes]\r\nRunTicks=0\r\n"
          "[Libraries]\r\nPresent=CTL3D32.DLL\r\n");
    Write("c/WINDOWS/X.INI", "[s]\r\nk=value\r\nn=7\r\n");
    Write("c/P.EXE", "MZ");
    machine_ = std::make_unique<HostMachine>(root_);
    faulty_ = std::make_unique<FaultyPlatform>(machine_->Os());
  }
  void TearDown() override { fs::remove_all(root_); }
  void Write(const std::string& relative, const std::string& content) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << content;
  }

  fs::path root_;
  std::unique_ptr<HostMachine> machine_;
  std::unique_ptr<FaultyPlatform> faulty_;
};

TEST_F(Faults, TheChosenCallFailsOnce) {
  faulty_->FailCall("FileExists", 2);
  EXPECT_TRUE(faulty_->FileExists(kIni));
  EXPECT_FALSE(faulty_->FileExists(kIni));
  EXPECT_TRUE(faulty_->FileExists(kIni));
  EXPECT_EQ(faulty_->Calls("FileExists"), 3);
  EXPECT_EQ(faulty_->Failures(), 1);
}

TEST_F(Faults, TheChosenCallFailsFromThenOnWithItsError) {
  faulty_->FailCall("LzCreate", 2, Repeat::kFromThenOn, platform::kErrorDiskFull);
  EXPECT_GE(faulty_->LzCreate("C:\\A").value, 0);
  const platform::Result<platform::LzFile> failed = faulty_->LzCreate("C:\\B");
  EXPECT_EQ(failed.value, platform::kLzErrorRead);
  EXPECT_EQ(failed.error, 112u);
  EXPECT_EQ(faulty_->LzCreate("C:\\C").value, platform::kLzErrorRead);
  EXPECT_FALSE(fs::exists(root_ / "c" / "B"));
  EXPECT_EQ(faulty_->DeleteFile("C:\\NONE").error, 2u);  // forwarded: the machine's own error
  EXPECT_EQ(faulty_->Calls("LzCreate"), 3);
  EXPECT_EQ(faulty_->Calls("DeleteFile"), 1);
  EXPECT_EQ(faulty_->Calls("WriteBytes"), 0);
}

TEST_F(Faults, AnOperationThatCannotFailAlwaysForwards) {
  EXPECT_THROW(faulty_->FailCall("LzCopy", 0), std::invalid_argument);
  faulty_->FailCall("BeginPaint", 1, Repeat::kFromThenOn);
  faulty_->BeginPaint(1);
  EXPECT_EQ(faulty_->Failures(), 0);
}

TEST_F(Faults, EveryOperationGivesItsFailureValueWithoutReachingTheMachine) {
  HostMachine& m = *machine_;
  const platform::File reader = m.OpenForRead(kIni).value;
  const platform::File writer = m.CreateForWrite("C:\\W").value;
  const platform::LzFile lzIn = m.LzOpenRead(kIni).value;
  const platform::LzFile lzOut = m.LzCreate("C:\\LZ").value;
  const platform::Library library = m.LoadSystemLibrary("CTL3D32.DLL");
  const platform::Process process = m.StartProcess("C:\\P.EXE").process;
  const platform::Entry entry = m.FindEntry(library, "Ctl3dRegister", 12);
  const std::uintptr_t args[] = {0};
  using Call = std::function<bool(FaultyPlatform&)>;
  const std::pair<std::string_view, Call> calls[] = {
      {"ReadProfileString", [](auto& p) { return p.ReadProfileString("s", "k", "dflt ", 3, kIni) == "df"; }},
      {"ReadProfileInt", [](auto& p) { return p.ReadProfileInt("s", "n", 3, kIni) == 3u; }},
      {"WriteProfileString", [](auto& p) { return !p.WriteProfileString("s", "k", "v", kIni); }},
      {"NetworkCaps", [](auto& p) { return !p.NetworkCaps(4); }},
      {"CreateProtectedDirectory", [](auto& p) { return p.CreateProtectedDirectory("C:\\NEW", {}).error == 19u; }},
      {"RemoveDirectory", [](auto& p) { return p.RemoveDirectory("C:\\EMPTY").error == 19u; }},
      {"SetCurrentDirectory", [](auto& p) { return p.SetCurrentDirectory("C:\\EMPTY").error == 19u; }},
      {"SetCurrentDrive", [](auto& p) { return p.SetCurrentDrive(3).error == 19u; }},
      {"FileExists", [](auto& p) { return !p.FileExists(kIni); }},
      {"DeleteFile", [](auto& p) { return p.DeleteFile(kIni).error == 19u; }},
      {"ReadFile", [](auto& p) { return !p.ReadFile(kIni, 1024).value; }},
      {"ReplaceFile", [](auto& p) { return p.ReplaceFile(kIni, "C:\\MOVED").error == 19u; }},
      {"OpenForRead", [](auto& p) { return p.OpenForRead(kIni).value == 0; }},
      {"CreateForWrite", [](auto& p) { return p.CreateForWrite("C:\\NEW").value == 0; }},
      {"ReadBytes", [=](auto& p) { return !p.ReadBytes(reader, 1); }},
      {"WriteBytes", [=](auto& p) { return p.WriteBytes(writer, "x").error == 19u; }},
      {"SetFileLength", [=](auto& p) { return p.SetFileLength(writer, 0).error == 19u; }},
      {"LastWriteTime", [](auto& p) { return !p.LastWriteTime(kIni); }},
      {"LzOpenRead", [](auto& p) { return p.LzOpenRead(kIni).value == platform::kLzErrorRead; }},
      {"LzCreate", [](auto& p) { return p.LzCreate("C:\\NEW").value == platform::kLzErrorRead; }},
      {"LzCopy", [=](auto& p) { return p.LzCopy(lzIn, lzOut).value == platform::kLzErrorWrite; }},
      {"LzReadAll", [=](auto& p) { return !p.LzReadAll(lzIn, 1024); }},
      {"ExpandedName", [](auto& p) { return !p.ExpandedName(kIni); }},
      {"FileVersion", [=](auto& p) { return !p.FileVersion(library, "C:\\P.EXE").value; }},
      {"InstallFile", [=](auto& p) {
         std::string temp = "kept";
         return p.InstallFile(library, {0, "P.EXE", "Q.EXE", "C:\\", "C:\\", ""}, temp) ==
                    platform::kVifCannotReadSrc && temp == "kept";
       }},
      {"LoadLibrary", [](auto& p) { return p.LoadLibrary("C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL") == 0; }},
      {"LoadSystemLibrary", [](auto& p) { return p.LoadSystemLibrary("CTL3D32.DLL") == 0; }},
      {"RestrictLibrarySearch", [](auto& p) { return !p.RestrictLibrarySearch(); }},
      {"FindEntry", [=](auto& p) { return p.FindEntry(library, "Ctl3dRegister", 12) == 0; }},
      {"CallEntry", [=](auto& p) { return p.CallEntry(entry, args) == 0; }},
      {"StartProcess", [](auto& p) { return p.StartProcess("C:\\P.EXE").error == 19u; }},
      {"ProcessEnded", [=](auto& p) { return p.ProcessEnded(process); }},
      {"RegisterWindowClass", [](auto& p) { return !p.RegisterWindowClass(0, {}, nullptr); }},
      {"CreateWindow", [](auto& p) { return p.CreateWindow(0, {}) == 0; }},
      {"SetTimer", [](auto& p) { return !p.SetTimer(1, 1, 10); }},
      {"MessageBox", [](auto& p) { return p.MessageBox("text", "caption", 0) == 0; }},
      {"CreateBitmap", [](auto& p) { return p.CreateBitmap({}) == 0; }},
      {"CreateIcon", [](auto& p) { return p.CreateIcon(0, {}) == 0; }},
  };
  std::set<std::string_view> covered;
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(std::string(name));
    covered.insert(name);
    faulty_->FailCall(name, faulty_->Calls(name) + 1, Repeat::kOnce, platform::kErrorWriteProtect);
    const std::size_t journal = m.Journal().size();
    EXPECT_TRUE(call(*faulty_));
    EXPECT_EQ(m.Journal().size(), journal);
  }
  // Each operation is failed under its own name.
  const std::vector<std::string> called = faulty_->CalledOperations();
  EXPECT_EQ(covered, std::set<std::string_view>(called.begin(), called.end()));
  EXPECT_TRUE(m.Errors().empty());
  EXPECT_EQ(m.ReadWhole(kIni), "[s]\r\nk=value\r\nn=7\r\n");
  EXPECT_TRUE(fs::is_directory(root_ / "c" / "EMPTY"));
}

}  // namespace
}  // namespace host
