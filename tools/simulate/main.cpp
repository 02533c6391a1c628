// setup-sim: runs a bootstrap on a simulated machine folder and prints what
// happened, for people who prepare installation media.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/entry.h"
#include "platform/host/host_machine.h"

namespace {

constexpr platform::Instance kInstance = 0x400000;
constexpr int kShowNormal = 1;

int Usage() {
  std::cerr << "usage: setup-sim MACHINE_FOLDER\n"
               "  MACHINE_FOLDER holds machine.ini and the drives c/, d/, ...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") return Usage();
  const std::filesystem::path root = argv[1];
  if (!std::filesystem::is_directory(root)) {
    std::cerr << "setup-sim: " << root << " is not a folder\n";
    return 2;
  }
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
  if (!machine.Errors().empty()) {
    std::cout << "== errors\n";
    for (const std::string& line : machine.Errors()) std::cout << line << "\n";
    return 1;
  }
  return 0;
}
