// Runs a profile script (see profile_script.h) with the simulated machine's
// profile engine on files in a host directory: the twin of profile_driver.exe.
// Usage: profile_host_runner <base dir> <script file>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "profile_text.h"
#include "../programs/profile_script.h"

namespace {

std::optional<std::string> Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

struct HostEngine {
  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& def,
                         std::size_t capacity) {
    return profile::ReadString(Contents(path), section, key, def, capacity);
  }

  std::uint32_t ReadInt(const std::string& path, const std::string& section,
                        const std::string& key, int def) {
    return profile::ReadInt(Contents(path), section, key, def);
  }

  bool WriteString(const std::string& path, const std::string& section,
                   const std::string& key, const std::string& value) {
    const std::string text =
        profile::WriteString(Contents(path), section, key, value);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out.flush());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: profile_host_runner <base dir> <script>\n", stderr);
    return 2;
  }
  const std::optional<std::string> script = Contents(argv[2]);
  if (!script) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  HostEngine engine;
  const std::string out = profile_script::Run(*script, argv[1], '/', engine);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
