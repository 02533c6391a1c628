// Runs the seam table (seam_table.h) through the real Windows backend.
// Usage: seam_driver.exe TABLE; one line per row on stdout.
// First: the backend's header decides how <windows.h> names meet the seam's.
#include "win32_backend.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "seam_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: seam_driver TABLE\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && table.empty()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  win32::Backend machine;
  const platform::Library version = machine.libraries.LoadSystemLibrary("VERSION.DLL");
  std::string out;
  {
    seam_table::Runner runner(machine.Os(), version, [](const std::string& path) {
      const bool made = ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
      return platform::Status{made, made ? 0u : static_cast<std::uint32_t>(::GetLastError())};
    });
    out = runner.Run(table);
  }
  machine.libraries.FreeLibrary(version);
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
