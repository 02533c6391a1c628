#include "scenario.h"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

#include "entry.h"
#include "faulty_platform.h"
#include "szdd.h"

namespace fs = std::filesystem;

namespace scenario {

void Scenario::SetUp() {
  std::random_device random;
  root_ = fs::temp_directory_path() / ("setup-run-" + std::to_string(random()));
  fs::create_directories(root_ / "d");
  // Every machine has the version library and the file the run ensures.
  for (const char* library : {"VER.DLL", "VERSION.DLL"}) Put(std::string("C:\\WINDOWS\\SYSTEM\\") + library, "MZ");
}

void Scenario::TearDown() {
  std::error_code error;
  fs::remove_all(root_, error);
}

void Scenario::Reset() {
  TearDown();
  ClearMachine();
  SetUp();
}

fs::path Scenario::Path(const std::string& windowsPath) const {
  std::string rest = windowsPath.substr(3);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return root_ / std::string(1, static_cast<char>(std::tolower(windowsPath[0]))) / rest;
}

void Scenario::Put(const std::string& windowsPath, const std::string& content) {
  const fs::path path = Path(windowsPath);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void Scenario::PutCompressed(const std::string& windowsPath, const std::string& content) {
  Put(windowsPath, szdd::Compress(content, 'E'));
}

void Scenario::PutDated(const std::string& windowsPath, const std::string& content, int year) {
  Put(windowsPath, content);
  const std::chrono::sys_seconds noon = std::chrono::sys_days{std::chrono::year{year} / 1 / 1} + std::chrono::hours{12};
  fs::last_write_time(Path(windowsPath), std::chrono::file_clock::from_sys(noon));
}

void Scenario::PutOnDisk(int disk, const std::string& name, const std::string& content) {
  const fs::path folder = root_ / "disks" / std::to_string(disk);
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << content;
}

void Scenario::PrepareState(boot::BootState& state) {
  state.os = host_->Os();
  state.dirs.win = "C:\\WINDOWS\\";
  state.dirs.sys = state.dirs.dest = state.dirs.osSys = "C:\\WINDOWS\\SYSTEM\\";
  state.dirs.program = state.dirs.source = state.dirs.setup = "D:\\";
  state.libraries.version = platform::OwnedLibrary(*host_, host_->LoadSystemLibrary("VERSION.DLL"));
}

void Scenario::NewMachine() {
  std::ofstream(root_ / "machine.ini", std::ios::binary) << "[Machine]\r\n" << machine_ << extra_;
  host_ = std::make_unique<host::HostMachine>(root_);
}

int Scenario::Run() {
  NewMachine();
  return boot::RunProgram(host_->Os(), 0x400000, host_->CommandLine(), 1);
}

int Scenario::RunWithFault(const std::string& operation, int n, std::uint32_t error) {
  NewMachine();
  host::FaultyPlatform faulty(host_->Os());
  faulty.FailCall(operation, n, host::FaultyPlatform::Repeat::kOnce, error);
  return boot::RunProgram(faulty.Os(), 0x400000, host_->CommandLine(), 1);
}

bool Scenario::Exists(const std::string& windowsPath) const { return fs::exists(Path(windowsPath)); }

std::string Scenario::Read(const std::string& windowsPath) const {
  std::ifstream in(Path(windowsPath), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Scenario::Journal(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const std::string& line : host_->Journal()) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

std::vector<std::pair<std::string, std::string>> Scenario::Log() const {
  const auto section = host_->LastWrittenSection();
  return section ? section->entries : std::vector<std::pair<std::string, std::string>>{};
}

std::vector<std::string> Scenario::LogKeys() const {
  std::vector<std::string> keys;
  for (const auto& entry : Log()) keys.push_back(entry.first);
  return keys;
}

std::optional<std::string> Scenario::LogValue(const std::string& key) const {
  for (const auto& [k, v] : Log()) {
    if (k == key) return v;
  }
  return std::nullopt;
}

}  // namespace scenario
