// setup-sim: runs a bootstrap on a simulated machine folder and prints what
// happened, for people who prepare installation media.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "simulation.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: setup-sim [--in-place] MACHINE_FOLDER\n"
    "  Runs the bootstrap on a simulated machine and prints the journal of\n"
    "  what happened and the run's log section. MACHINE_FOLDER holds\n"
    "  machine.ini and the drives c/, d/, ...; machine.ini's sections are\n"
    "  described in setup-sim(1).\n"
    "  The run works on a copy of the folder, so the media stay as they\n"
    "  are; --in-place runs on the folder itself and leaves its results.\n";

int Usage() {
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool inPlace = false;
  fs::path root;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (argc == 2 && (arg == "--help" || arg == "-h")) {
      std::cout << kUsage;
      return 0;
    }
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
    if (inPlace) return simulation::RunAndReport(root, std::cout, false);
    const simulation::Scratch copy;
    fs::copy(root, copy.Path(), fs::copy_options::recursive);
    return simulation::RunAndReport(copy.Path(), std::cout, false);
  } catch (const std::exception& failure) {
    std::cerr << "setup-sim: " << failure.what() << "\n";
    return 2;
  }
}
