// setup-sim: runs a bootstrap on a simulated machine folder and prints what
// happened, for people who prepare installation media.
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <system_error>

#include "entry.h"
#include "host_machine.h"

namespace fs = std::filesystem;

namespace {

constexpr platform::Instance kInstance = 0x400000;
constexpr int kShowNormal = 1;

int Usage() {
  std::cerr << "usage: setup-sim [--in-place] MACHINE_FOLDER\n"
               "  MACHINE_FOLDER holds machine.ini and the drives c/, d/, ...\n"
               "  The run works on a copy of the folder, so the media stay as they\n"
               "  are; --in-place runs on the folder itself and leaves its results.\n";
  return 2;
}

// A scratch copy of the machine, removed when the run is over.
class ScratchCopy {
 public:
  explicit ScratchCopy(const fs::path& source) {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("setup-sim-" + std::to_string(random()));
    fs::copy(source, path_, fs::copy_options::recursive);
  }
  ~ScratchCopy() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

int Simulate(const fs::path& root) {
  host::HostMachine machine(root);
  const int exitCode = boot::RunProgram(machine, kInstance, machine.CommandLine(), kShowNormal);
  std::cout << "== journal\n";
  for (const std::string& line : machine.Journal()) std::cout << line << "\n";
  std::cout << "== exit code " << exitCode << "\n";
  if (const auto section = machine.LastWrittenSection()) {
    std::cout << "== log " << section->file << " [" << section->name << "]\n";
    for (const auto& [key, value] : section->entries) std::cout << key << "=" << value << "\n";
  } else {
    std::cout << "== no log written\n";
  }
  if (machine.Errors().empty()) return 0;
  std::cout << "== errors\n";
  for (const std::string& line : machine.Errors()) std::cout << line << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool inPlace = false;
  fs::path root;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--in-place") {
      inPlace = true;
    } else if (arg.empty() || arg[0] == '-' || !root.empty()) {
      return Usage();
    } else {
      root = arg;
    }
  }
  if (root.empty()) return Usage();
  std::error_code error;
  if (!fs::is_directory(root, error)) {
    std::cerr << "setup-sim: " << root.string() << " is not a folder\n";
    return 2;
  }
  try {
    if (inPlace) return Simulate(root);
    const ScratchCopy copy(root);
    return Simulate(copy.Path());
  } catch (const std::exception& failure) {
    std::cerr << "setup-sim: " << failure.what() << "\n";
    return 2;
  }
}
