// Times whole runs on the simulated machine: the example machine, a
// sectioned list of N bootstrap files, so that a growing list shows how the
// run scales, and one large file split over two parts. Run by bench/run_bench.sh on a release build.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "entry.h"
#include "host_machine.h"
#include "szdd.h"

namespace fs = std::filesystem;

namespace {

constexpr platform::Instance kInstance = 0x400000;

void Put(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

struct Took {
  double wall = 1e300;       // ms
  double processor = 1e300;  // ms of this process, which a shared machine slows less
};

// A fresh copy of `source` for each run: a run changes its machine.
Took TimeRun(const fs::path& source, const fs::path& scratch) {
  std::error_code error;
  fs::remove_all(scratch, error);
  fs::copy(source, scratch, fs::copy_options::recursive);
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  host::HostMachine machine(scratch);
  boot::RunProgram(machine.Os(), kInstance, machine.CommandLine(), 1);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return {took.count(), 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

Took BestOf(int repeats, const fs::path& source, const fs::path& scratch) {
  Took best;
  for (int i = 0; i < repeats; ++i) {
    const Took run = TimeRun(source, scratch);
    best = {std::min(best.wall, run.wall), std::min(best.processor, run.processor)};
  }
  return best;
}

void Row(const char* machine, const Took& took) {
  std::printf("| %s | %.2f | %.2f |\n", machine, took.wall, took.processor);
  std::fflush(stdout);
}

fs::path SectionedMachine(const fs::path& root, int entries) {
  const fs::path machine = root / ("sectioned-" + std::to_string(entries));
  fs::remove_all(machine);
  Put(machine / "machine.ini", "[Machine]\r\nProgram=D:\\SETUP.EXE\r\n[Processes]\r\nRunTicks=1\r\n");
  std::string list = "[BootSetup]\r\nDialogTitle=Bench\r\n[Setup]\r\nSetup=MAIN.EXE\r\n[Bootstrap]\r\n";
  for (int n = 1; n <= entries; ++n) {
    const std::string name = "F" + std::to_string(n);
    list += "File" + std::to_string(n) + "=1,," + name + ".DL_," + name + ".DLL,$(WinSysPath),,,,,1.0.0." +
            std::to_string(n) + "\r\n";
    Put(machine / "d" / (name + ".DL_"), szdd::Compress("file " + name, 'L'));
  }
  Put(machine / "d" / "SETUP.LST", list);
  Put(machine / "c" / "WINDOWS" / "MAIN.EXE", std::string("MZ") + std::string(62, '\0'));
  return machine;
}

// One file of `size` bytes split over two parts, joined and installed.
fs::path SplitMachine(const fs::path& root, std::size_t size) {
  const fs::path machine = root / "split";
  fs::remove_all(machine);
  Put(machine / "machine.ini", "[Machine]\r\nProgram=D:\\SETUP.EXE\r\n[Processes]\r\nRunTicks=1\r\n");
  Put(machine / "d" / "SETUP.LST", "[BootSetup]\r\nDialogTitle=Bench\r\n[Setup]\r\nSetup=MAIN.EXE\r\n[Bootstrap]\r\n"
                                   "File1=1,1,BIG.DL1,BIG.DLL,$(WinSysPath),,,,,1.0\r\nFile2=1,,BIG.DL2\r\n");
  Put(machine / "d" / "BIG.DL1", std::string(size / 2, 'a'));
  Put(machine / "d" / "BIG.DL2", std::string(size - size / 2, 'b'));
  Put(machine / "c" / "WINDOWS" / "MAIN.EXE", std::string("MZ") + std::string(62, '\0'));
  return machine;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: run_bench EXAMPLE_MACHINE [REPEATS]\n");
    return 2;
  }
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
  const fs::path work = fs::temp_directory_path() / "setup-run-bench";
  fs::create_directories(work);
  std::printf("| machine | best of %d, ms | processor ms |\n|---|---:|---:|\n", repeats);
  std::fflush(stdout);
  Row("examples/simulated", BestOf(repeats, argv[1], work / "scratch"));
  for (const int entries : {1000, 10000}) {
    const fs::path machine = SectionedMachine(work, entries);
    const std::string name = "sectioned list, " + std::to_string(entries) + " entries";
    Row(name.c_str(), BestOf(repeats, machine, work / "scratch"));
  }
  const fs::path split = SplitMachine(work, 16u << 20);
  Row("split file of 16 MiB", BestOf(repeats, split, work / "scratch"));
  std::error_code error;
  fs::remove_all(work, error);
  return 0;
}
