// Runs the seam table (seam_table.h) through the simulated machine: the
// twin of seam_driver.exe. Usage: seam_host_runner MACHINE_FOLDER TABLE
#include <cstdio>
#include <string>

#include "host_machine.h"
#include "tree_io.h"
#include "../programs/seam_table.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: seam_host_runner MACHINE_FOLDER TABLE\n", stderr);
    return 2;
  }
  const std::optional<std::string> table = host::ReadHostFile(argv[2]);
  if (!table) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  host::HostMachine machine(argv[1]);
  const platform::Library version = machine.LoadSystemLibrary("VERSION.DLL");
  std::string out;
  {
    seam_table::Runner runner(machine.Os(), version, [&machine](const std::string& path) {
      const bool made = machine.CreateDirectory(path);
      return platform::Status{made, made ? 0u : machine.LastError()};
    });
    out = runner.Run(*table);
  }
  machine.FreeLibrary(version);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
