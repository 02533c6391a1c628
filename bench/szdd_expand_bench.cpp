// Times the SZDD reader and writer in memory, without process start-up and
// file I/O, on the given files.
// Usage: szdd_expand_bench [-n REPEATS] FILE...
// For each FILE (plain or compressed): size, compressed size, best time of
// Compress and of Expand over REPEATS runs, and their rates in MB/s of
// expanded data. Exit code 1 when a round trip fails.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "szdd.h"

namespace {

using Clock = std::chrono::steady_clock;

double BestSeconds(int repeats, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const Clock::time_point start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

bool ReadFile(const char* path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

double Rate(std::size_t bytes, double seconds) {
  return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

// One table row; false when the data does not survive the round trip.
bool Measure(const char* path, const std::string& file, int repeats) {
  const std::string data = szdd::Expand(file).data;
  std::string packed;
  const double compressSeconds = BestSeconds(repeats, [&] { packed = szdd::Compress(data, 'X'); });
  szdd::Expansion expansion;
  const double expandSeconds = BestSeconds(repeats, [&] { expansion = szdd::Expand(packed); });
  const bool ok = expansion.complete && expansion.data == data;
  std::printf("%-40s %10zu %10zu %9.2f %9.1f %9.3f %9.1f %s\n", path, data.size(), packed.size(),
              compressSeconds * 1e3, Rate(data.size(), compressSeconds), expandSeconds * 1e3,
              Rate(data.size(), expandSeconds), ok ? "ok" : "ROUND TRIP FAILED");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = 5;
  int first = 1;
  if (argc > 2 && std::string(argv[1]) == "-n") {
    repeats = std::max(1, std::atoi(argv[2]));
    first = 3;
  }
  if (first >= argc) {
    std::fputs("usage: szdd_expand_bench [-n REPEATS] FILE...\n", stderr);
    return 2;
  }
  std::printf("%-40s %10s %10s %9s %9s %9s %9s\n", "file", "size", "packed", "comp ms", "comp MB/s", "exp ms",
              "exp MB/s");
  int status = 0;
  for (int i = first; i < argc; ++i) {
    std::string file;
    if (!ReadFile(argv[i], file)) {
      std::fprintf(stderr, "szdd_expand_bench: cannot read %s\n", argv[i]);
      status = 2;
      continue;
    }
    if (!Measure(argv[i], file, repeats)) status = 1;
  }
  return status;
}
