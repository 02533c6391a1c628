// Runs a profile script (see profile_script.h) with the real profile calls.
// Usage: profile_driver.exe <base dir> <script file>
// The output goes to stdout, one line per command, "\n" line ends.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "profile_script.h"

namespace {

struct WindowsEngine {
  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& def,
                         std::size_t capacity) {
    // Room beyond the capacity, so that a write past it would not corrupt
    // memory but show up in the result.
    std::vector<char> buffer(capacity + 16, '#');
    const DWORD length = GetPrivateProfileStringA(
        section.c_str(), key.c_str(), def.c_str(), buffer.data(),
        static_cast<DWORD>(capacity), path.c_str());
    return std::string(buffer.data(), length);
  }

  std::uint32_t ReadInt(const std::string& path, const std::string& section,
                        const std::string& key, int def) {
    return GetPrivateProfileIntA(section.c_str(), key.c_str(), def,
                                 path.c_str());
  }

  bool WriteString(const std::string& path, const std::string& section,
                   const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                      value.c_str(), path.c_str()) != FALSE;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: profile_driver <base dir> <script>\n", stderr);
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  const std::string script((std::istreambuf_iterator<char>(in)),
                           std::istreambuf_iterator<char>());
  WindowsEngine engine;
  const std::string out = profile_script::Run(script, argv[1], '\\', engine);
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
