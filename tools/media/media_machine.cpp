#include "media_machine.h"

#include <fstream>
#include <iterator>

namespace media {
namespace {

namespace fs = std::filesystem;

struct Preset {
  const char* name;
  const char* windows;  // the Windows directory below C:\, then the system directory below it
  const char* system;
  const char* version;  // as the machine reports it
};

// Windows 10 reports 6.2 to a program whose manifest does not name it.
const Preset kPresets[] = {
    {"win95", "WINDOWS", "SYSTEM", "Version=4.0\r\nFamily=9x\r\nScreenWidth=640\r\nScreenHeight=480\r\n"},
    {"nt4", "WINNT", "SYSTEM32", "Version=4.0\r\nFamily=NT\r\nBuild=1381\r\nScreenWidth=800\r\nScreenHeight=600\r\n"},
    {"xp", "WINDOWS", "system32", "Version=5.1\r\nFamily=NT\r\nBuild=2600\r\nScreenWidth=1024\r\nScreenHeight=768\r\n"},
    {"win10", "Windows", "system32",
     "Version=6.2\r\nFamily=NT\r\nBuild=9200\r\nScreenWidth=1920\r\nScreenHeight=1080\r\n"},
};

// Every box is answered with OK: a disk request gets its disk, an error box
// gives up.
std::string Answers() {
  std::string answers = "1";
  for (int i = 0; i < 63; ++i) answers += ",1";
  return answers;
}

void Put(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

const char* PresetNames() { return "win95, nt4, xp, win10"; }

bool PrepareMachine(const fs::path& mediaDir, const std::string& machine, const fs::path& root, std::string& error) {
  const Preset* preset = nullptr;
  for (const Preset& candidate : kPresets) {
    if (machine == candidate.name) preset = &candidate;
  }
  if (preset != nullptr) {
    const std::string windows = std::string("C:\\") + preset->windows;
    Put(root / "machine.ini", "[Machine]\r\nWindowsDirectory=" + windows + "\r\nSystemDirectory=" + windows + "\\" +
                                  preset->system + "\r\n" + preset->version + "Program=D:\\SETUP.EXE\r\n[Boxes]\r\nAnswers=" +
                                  Answers() + "\r\n");
    // Every Windows has the version library and its 16-bit twin.
    for (const char* library : {"VER.DLL", "VERSION.DLL"}) {
      Put(root / "c" / preset->windows / preset->system / library, "MZ");
    }
  } else if (fs::is_regular_file(machine)) {
    fs::copy_file(machine, root / "machine.ini");
  } else {
    error = "\"" + machine + "\" is neither a preset (" + std::string(PresetNames()) + ") nor a machine.ini";
    return false;
  }
  const bool disks = fs::is_directory(mediaDir / "DISK1");
  fs::copy(disks ? mediaDir / "DISK1" : mediaDir, root / "d", fs::copy_options::recursive);
  for (int n = 2; disks && fs::is_directory(mediaDir / ("DISK" + std::to_string(n))); ++n) {
    fs::create_directories(root / "disks");
    fs::copy(mediaDir / ("DISK" + std::to_string(n)), root / "disks" / std::to_string(n), fs::copy_options::recursive);
  }
  return true;
}

}  // namespace media
