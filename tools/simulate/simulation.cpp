#include "simulation.h"

#include <cctype>
#include <random>
#include <string>
#include <system_error>

#include "entry.h"
#include "host_machine.h"

namespace simulation {
namespace {

namespace fs = std::filesystem;

constexpr platform::Instance kInstance = 0x400000;
constexpr int kShowNormal = 1;

// Drive folders are one letter: c/, d/, ...
void ListFiles(const fs::path& root, std::ostream& out) {
  out << "== files\n";
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator();
       it.increment(error)) {
    const fs::path relative = fs::relative(it->path(), root, error);
    const std::string drive = relative.begin()->string();
    if (drive.size() != 1 || !it->is_regular_file(error)) continue;
    std::string windows = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])))) + ":";
    for (auto part = std::next(relative.begin()); part != relative.end(); ++part) windows += "\\" + part->string();
    out << windows << " " << it->file_size(error) << "\n";
  }
}

}  // namespace

int RunAndReport(const fs::path& root, std::ostream& out, bool listFiles,
                 std::optional<host::WindowPicture>* picture) {
  host::HostMachine machine(root);
  const int exitCode = boot::RunProgram(machine.Os(), kInstance, machine.CommandLine(), kShowNormal);
  out << "== journal\n";
  for (const std::string& line : machine.Journal()) out << line << "\n";
  out << "== exit code " << exitCode << "\n";
  if (const auto section = machine.LastWrittenSection()) {
    out << "== log " << section->file << " [" << section->name << "]\n";
    for (const auto& [key, value] : section->entries) out << key << "=" << value << "\n";
  } else {
    out << "== no log written\n";
  }
  if (listFiles) ListFiles(root, out);
  if (picture != nullptr) *picture = machine.Picture();
  if (machine.Errors().empty()) return 0;
  out << "== errors\n";
  for (const std::string& line : machine.Errors()) out << line << "\n";
  return 1;
}

Scratch::Scratch() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("setup-sim-" + std::to_string(random()));
  fs::create_directories(path_);
}

Scratch::~Scratch() {
  std::error_code error;
  fs::remove_all(path_, error);
}

}  // namespace simulation
