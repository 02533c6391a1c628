// Whole bootstraps on simulated machines made from the input: each byte
// picks from small tables of settings, list lines, media files, victims
// already on C: and box answers, leaning toward hostile values. After each
// run the whole-run checker must find nothing; a violation aborts with the
// machine's description and journal.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "entry.h"
#include "host_machine.h"
#include "run_check.h"
#include "szdd.h"

namespace fs = std::filesystem;

namespace {

// Bytes that the simulated machine accepts as a program.
const std::string kProgram = std::string("MZ") + std::string(62, '\0') + "main setup";
// Cancel, for more boxes than any input can raise.
constexpr int kPaddingAnswers = 64;
constexpr char kCancel[] = "2,";

// The input, read a byte at a time; past its end every byte is 0.
class Picks {
 public:
  explicit Picks(std::span<const std::uint8_t> data) : data_(data) {}
  unsigned Next() { return at_ < data_.size() ? data_[at_++] : 0; }
  unsigned Below(unsigned n) { return Next() % n; }
  template <typename T, std::size_t N>
  const T& From(const T (&table)[N]) { return table[Next() % N]; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
};

const std::string kLong(300, 'A');

// Values that have hurt or could hurt a run, for any key.
const std::string kHostile[] = {
    "", "..\\", "..\\..\\WINDOWS\\WIN.INI", "C:", "D:\\X", "C:\\", "CON", "NUL.EXE", "LPT1", "a|b|c", "|",
    "2147483648", "-2147483648", "SETUP1", "ZOVURERU.INI", kLong, "C:\\" + kLong, "MY SETUP.EXE",
    "C:\\MY SETUP", "..\\CONFIG.SYS", "SETUP1.EXE~", "SETUP000.001", "C:\\~S120608", "C:\\WINDOWS\\WIN.INI",
    "WIN.INI", ".", "..", "*", "SUB", "C:\\WINDOWS", "LOGS\\A.INI", "..\\A.INI", "\\", " ",
};

enum class Kind { Number, Name, Path, Text, Record, Image };

const std::string kNumbers[] = {"0", "1", "3", "4", "-1", "2", "01", " 1", "1x", "4294967297"};
const std::string kNames[] = {"SETUP1.EXE", "SETUP1.EX_", "MAIN.EXE", "MAIN.EX_", "X.EX_", "A.DLL",
                              "SETUP1.EXE ", "SETUP.LST", "INSTALL.EXE", "MY SETUP.EXE", "ZOVURERU.INI"};
const std::string kPaths[] = {"MYSETUP", "C:\\TMP", "E:\\TMP\\X", "C:\\A\\..\\X", "C:\\WINDOWS\\SYSTEM",
                              "SUB", "C:\\LOG.INI", "C:\\WINDOWS\\SETUP.LST", "D:\\SETUP.LST",
                              "C:\\~S120608\\LOG.INI", "C:\\CONFIG.SYS", "C:\\WINDOWS\\.\\SETUP1.EXE",
                              ".\\SETUP1.EXE", "C:/WINDOWS/SETUP1.EXE", "C:\\~S120608\\SETUP1.EXE"};
const std::string kImages[] = {"LOGO.BMP;0;10;20", "APP.ICO;1;5;5", "..\\LOGO.BMP;0;0;0", "SETUP1.EXE;0;0;0",
                               "WIN.INI;1", "SUB\\LOGO.BMP;0;1;1", "VER.DLL;0;0;0"};
const std::string kTexts[] = {"Setup | please wait", "Setup", "a|b", "Remove it yourself.", "x"};
const std::string kRecords[] = {"SETUP1.EXE;;0", "A.DLL;0;0;1.0;1;A.DL_;0", "..\\WINDOWS\\WIN.INI;;0",
                                "A.REG;;0;;;A.RE_;C:\\X.REG", "WIN.INI;;1", "SETUP1.EXE~;;0", "CON;;0",
                                "MAIN.EXE;;0", "ZOVURERU.INI;;1", "B.DLL;;2;;1;B.DL1;1;B.DL2;1",
                                "B.DLL;1;0;;2;B.DL1;2;B.DL2;3", "A.DLL;1;2;;0;;APP.REG", "SETUP000.001;;1"};

struct Key {
  const char* name;
  Kind kind;
};

const Key kKeys[] = {
    {"UseTempDir", Kind::Number},        {"TempDir", Kind::Path},
    {"DeleteSetup", Kind::Number},       {"VBCompatible", Kind::Number},
    {"SetupFileName", Kind::Name},       {"SetupDistName", Kind::Name},
    {"DialogMessage1", Kind::Text},      {"DialogMessage2", Kind::Text},
    {"DialogMessage3", Kind::Text},      {"DialogMessage4", Kind::Text},
    {"DialogWidth", Kind::Number},       {"DialogHeight", Kind::Number},
    {"File1", Kind::Record},             {"File2", Kind::Record},
    {"File3", Kind::Record},             {"ErrorMessageInstall", Kind::Text},
    {"ErrorMessageInstallOther", Kind::Text}, {"ErrorMessageTempDir", Kind::Text},
    {"ErrorMessageLaunch", Kind::Text},  {"SetupLog", Kind::Number},
    {"SetupLogFile", Kind::Path},        {"FileSubDir", Kind::Path},
    {"DialogTitle", Kind::Text},         {"NoIgnore", Kind::Number},
    {"Dialog3d", Kind::Number},          {"DialogColor", Kind::Number},
    {"VersionCheck", Kind::Number},      {"ExcludeWinOS", Kind::Number},
    {"Requires1", Kind::Name},           {"Requires2", Kind::Path},
    {"ImageFile", Kind::Image},          {"DialogStyle", Kind::Number},
};

std::string Value(Picks& picks, Kind kind) {
  const unsigned choice = picks.Next();
  if (choice & 0x80) return kHostile[choice % std::size(kHostile)];
  switch (kind) {
    case Kind::Number: return kNumbers[choice % std::size(kNumbers)];
    case Kind::Name: return kNames[choice % std::size(kNames)];
    case Kind::Path: return kPaths[choice % std::size(kPaths)];
    case Kind::Text: return kTexts[choice % std::size(kTexts)];
    case Kind::Record: return kRecords[choice % std::size(kRecords)];
    case Kind::Image: return kImages[choice % std::size(kImages)];
  }
  return {};
}

std::string OwnList(Picks& picks) {
  std::string text = "[BootSetup]\r\n";
  for (unsigned n = picks.Below(12); n > 0; --n) {
    const Key& key = picks.From(kKeys);
    text += std::string(key.name) + "=" + Value(picks, key.kind) + "\r\n";
  }
  return text;
}

const std::string kPlainLines[] = {"SETUP1.EX_", "MAIN.EX_", "X.EX_", "A.DL_", "NOTHERE.EX_",
                                   "..\\..\\SETUP1.EX_", "CON", "SETUP1", "A VERY LONG LINE OF A PROFILE",
                                   "[BootSetup]", ""};
const std::string kSetupKeys[] = {"MAIN.EXE", "MAIN.EXE /Q", "..\\EVIL.EXE /Q", "SETUP1.EXE", "CON",
                                  "",         "MY SETUP.EXE", "A|B.EXE", "C:\\WINDOWS\\WIN.INI"};
const std::string kSectionedRecords[] = {
    "1,,A.DL_,A.DLL,$(WinSysPath),,,,,1.0",
    "1,,X.EX_,..\\WINDOWS\\WIN.INI,$(WinPath),,,,,1.0",
    "1,2,A.DL_,A.DLL,$(WinSysPath),,,,,1.0",
    "2,,B.DL_,,,,,,,",
    "1,,MAIN.EX_,MAIN.EXE,$(WinPath),$(EXESelfRegister),,,,1.0",
    "1,,A.DL_,A.DLL,$(WinSysPath),$(DLLSelfRegister),,,,1.0",
    "1,,A.RE_,A.REG,$(WinPath),C:\\X.REG,,,,1.0",
    "1,,SETUP1.EX_,ZOVURERU.INI,$(WinPath),,,,,1.0",
    "1,,SETUP1.EX_,SETUP1.EXE~,,,,,,1.0",
    "1,,NUL.EX_,NUL.EXE,$(WinSysPath),,,,,1.0",
    "1,1,B.DL1,B.DLL,$(WinSysPath),$(DLLSelfRegister),,,,1.0",
    "1,,B.DL2,,,,,,,",
};

std::string PlainList(Picks& picks) {
  std::string text;
  for (unsigned n = 1 + picks.Below(4); n > 0; --n) text += picks.From(kPlainLines) + "\r\n";
  return text;
}

std::string SectionedList(Picks& picks) {
  std::string text = "[Setup]\r\nSetup=" + picks.From(kSetupKeys) + "\r\n[Bootstrap]\r\n";
  const unsigned count = picks.Below(4);
  for (unsigned n = 1; n <= count; ++n) {
    text += "File" + std::to_string(n) + "=" + picks.From(kSectionedRecords) + "\r\n";
  }
  return text;
}

std::string Utf16(const std::string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : text) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

std::string Encoded(unsigned encoding, const std::string& text) {
  switch (encoding) {
    case 1: return "\xEF\xBB\xBF" + text;
    case 2: return Utf16(text, false);
    case 3: return Utf16(text, true);
    default: return text;
  }
}

// Empty: no list in the source directory.
std::string SourceList(Picks& picks) {
  switch (picks.Below(3)) {
    case 1: return PlainList(picks);
    case 2: return SectionedList(picks);
    default: return {};
  }
}

const char* const kMediaNames[] = {"SETUP1.EX_", "SETUP1.EXE", "MAIN.EXE",        "MAIN.EX_",
                                   "X.EX_",      "A.DL_",      "SETUP1",          "SUB\\SETUP1.EX_",
                                   "SUB\\MAIN.EX_", "NUL.EX_", "B.DL1",     "B.DL2",           "A.DLL",
                                   "LOGO.BM_",   "APP.IC_",    "SUB\\LOGO.BM_",   "VER.DL_"};

// The character a compressed file's header gives back to its name.
const char kStoredChars[] = {'E', 'L', 'T', '\\', ':', '.', '~', ' ', '\0'};

std::string MediaContent(Picks& picks, const std::string& name) {
  const char usual = name.back() == '_' ? 'E' : name.back();
  const char stored = picks.Next() & 1 ? picks.From(kStoredChars) : usual;
  const std::string program = kProgram + std::string(picks.Below(40), 'p');
  switch (picks.Below(5)) {
    case 1: return program;
    case 2: {
      const std::string whole = szdd::Compress(program, stored);
      return whole.substr(0, whole.size() - 1 - picks.Below(8));
    }
    case 3: return szdd::Compress("not a program", stored);
    case 4: return {};
    default: return szdd::Compress(program, stored);
  }
}

// Text as it is, other bytes as \xNN.
std::string Printable(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n' || (byte >= 0x20 && byte < 0x7F)) {
      text += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

// A simulated machine laid out in a folder of its own.
class Machine {
 public:
  explicit Machine(fs::path root) : root_(std::move(root)) {
    fs::remove_all(root_);
    fs::create_directories(root_ / "c" / "WINDOWS" / "SYSTEM");
    fs::create_directories(root_ / "d");
  }
  ~Machine() {
    std::error_code error;
    fs::remove_all(root_, error);
  }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  void Put(const std::string& windowsPath, const std::string& content) {
    const fs::path path = Where(windowsPath);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream(path, std::ios::binary) << content;
    written_ += "--- " + windowsPath + "\n" + Printable(content) + "\n";
  }
  // Nothing happens where a file already stands.
  void Folder(const std::string& windowsPath) {
    std::error_code error;
    fs::create_directories(Where(windowsPath), error);
    written_ += "--- folder " + windowsPath + "\n";
  }
  void ReadOnly(const std::string& windowsPath) {
    if (!fs::is_regular_file(Where(windowsPath))) Put(windowsPath, kProgram + "read-only");
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(Where(windowsPath), write, fs::perm_options::remove);
    written_ += "--- read-only " + windowsPath + "\n";
  }
  void Describe(const std::string& text) {
    std::ofstream(root_ / "machine.ini", std::ios::binary) << text;
    written_ += "--- machine.ini\n" + text + "\n";
  }
  const fs::path& Root() const { return root_; }
  const std::string& Layout() const { return written_; }

 private:
  fs::path Where(const std::string& windowsPath) const {
    std::string rest = windowsPath.substr(3);
    for (char& c : rest) c = c == '\\' ? '/' : c;
    return root_ / std::string(1, static_cast<char>(std::tolower(windowsPath[0]))) / rest;
  }

  fs::path root_;
  std::string written_;
};

void PlantVictims(Picks& picks, Machine& machine) {
  const unsigned victims = picks.Next();
  if (victims & 1) machine.Put("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=\r\n");
  if (victims & 2) machine.Put("C:\\CONFIG.SYS", "files=40");
  if (victims & 4) machine.Put("C:\\WINDOWS\\SETUP1.EXE", kProgram + "old");
  if (victims & 8) machine.Put("C:\\WINDOWS\\SETUP1.EXE~", "someone's file");
  if (victims & 16) machine.Put("C:\\WINDOWS\\SETUP000.001", "someone else's file");
  if (victims & 32) machine.Put("C:\\WINDOWS\\ZOVURERU.INI", "[2026/01/01 10:00:00]\r\nA=Earlier\r\n");
  if (victims & 64) machine.Put("C:\\~S120608\\PLANTED.EXE", kProgram + "planted");
  if (victims & 128) machine.Put("C:\\WINDOWS\\MAIN.EXE", kProgram + "main");
  const unsigned more = picks.Next();
  if (more & 1) machine.Folder("C:\\WINDOWS\\SETUP1.EXE~2");
  if (more & 2) machine.Folder("C:\\WINDOWS\\SETUP.LST");
  if (more & 4) machine.Put("C:\\WINDOWS\\SETUP.LST", "someone's list");
  if (more & 8) machine.Put("C:\\WINDOWS\\SYSTEM\\A.DLL", "someone's library");
  if (more & 16) machine.ReadOnly("C:\\WINDOWS\\SETUP1.EXE");
}

std::string Answers(Picks& picks) {
  std::string answers;
  for (unsigned n = picks.Below(6); n > 0; --n) answers += std::to_string(1 + picks.Below(5)) + ",";
  for (int n = 0; n < kPaddingAnswers; ++n) answers += kCancel;
  return answers;
}

const char* const kInUse[] = {"", "C:\\WINDOWS\\SETUP1.EXE", "C:\\~S120608\\SETUP1.EXE",
                              "C:\\WINDOWS\\SETUP1.EXE~", "C:\\WINDOWS\\ZOVURERU.INI",
                              "C:\\WINDOWS\\SETUP.LST", "C:\\WINDOWS\\SYSTEM\\A.DLL"};

const char* const kVersions[] = {
    "Version=4.0\r\nFamily=9x\r\n", "Version=6.1\r\nFamily=NT\r\nBuild=7601\r\n",
    "Version=3.10\r\nFamily=9x\r\nNetworkCaps=0x8004\r\n", "Version=3.10\r\nFamily=NT\r\nBuild=528\r\n",
    "Version=3.0\r\nFamily=9x\r\n"};

std::string Description(Picks& picks, const std::string& program) {
  const unsigned flags = picks.Next();
  std::string text = "[Machine]\r\nProgram=" + program + "\r\n" + picks.From(kVersions);
  text += "[Boxes]\r\nAnswers=" + Answers(picks) + "\r\n";
  text += std::string("[Files]\r\nInUse=") + picks.From(kInUse) + "\r\n";
  if (flags & 1) text += "[Libraries]\r\nPresent=CTL3D32.DLL;CTL3DV2.DLL\r\n";
  text += "[Windows]\r\n";
  if ((flags & 6) == 6) text += "TimerFails=1\r\n";
  if ((flags & 0x38) == 0x38) text += "CreateFails=1\r\n";
  return text;
}

// The lists come first, so that even short inputs reach the settings.
void LayOut(Picks& picks, Machine& machine) {
  const bool install = picks.Next() & 1;
  const std::string own = OwnList(picks);
  const std::string source = SourceList(picks);
  const unsigned encoding = picks.Below(4);
  if (!source.empty()) {
    machine.Put("D:\\SUB\\SETUP.LST", Encoded(encoding, source));
    if (install) machine.Put("D:\\SETUP.LST", Encoded(encoding, source));
  }
  // Where the own list is also the source directory's list, it holds both.
  if (install) {
    machine.Put("D:\\INSTALL.LST", own);
  } else {
    machine.Put("D:\\SETUP.LST", Encoded(encoding, own + source));
  }
  for (unsigned n = picks.Below(5); n > 0; --n) {
    const std::string name = picks.From(kMediaNames);
    machine.Put("D:\\" + name, MediaContent(picks, name));
  }
  PlantVictims(picks, machine);
  machine.Describe(Description(picks, install ? "D:\\INSTALL.EXE" : "D:\\SETUP.EXE"));
}

// Memory-backed when the system has such a folder and TMPDIR names no
// other: a run creates and removes many files.
fs::path TempBase() {
  std::error_code error;
  if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", error)) return "/dev/shm";
  return fs::temp_directory_path();
}

// One folder per process, so that parallel fuzzing jobs stay apart; it
// is made anew for each input and removed after it.
fs::path MachineFolder() {
  static const fs::path folder = TempBase() / ("whole-run-fuzz-" + std::to_string(getpid()));
  return folder;
}

[[noreturn]] void Report(const std::vector<std::string>& problems, const Machine& machine,
                         const host::HostMachine& host) {
  std::fprintf(stderr, "%s--- journal\n", machine.Layout().c_str());
  for (const std::string& line : host.Journal()) std::fprintf(stderr, "%s\n", line.c_str());
  if (const auto log = host.LastWrittenSection()) {
    std::fprintf(stderr, "--- log %s [%s]\n", log->file.c_str(), log->name.c_str());
    for (const auto& [key, value] : log->entries) std::fprintf(stderr, "%s=%s\n", key.c_str(), value.c_str());
  }
  std::fprintf(stderr, "--- violations\n");
  for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
  std::error_code error;
  fs::remove_all(machine.Root(), error);
  std::abort();
}

}  // namespace

// Every byte counts from the start: without these, inputs would stay a
// few bytes long for the first thousands of runs. Flags given on the
// command line come later and win.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char lengthControl[] = "-len_control=0";
  static char maxLength[] = "-max_len=512";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, {lengthControl, maxLength});
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size()) - 1;
  *argv = args.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Picks picks({data, size});
  Machine machine(MachineFolder());
  LayOut(picks, machine);
  const runcheck::Snapshot before = runcheck::TakeSnapshot(machine.Root());
  host::HostMachine host(machine.Root());
  const int exitCode = boot::RunProgram(host.Os(), 0x400000, host.CommandLine(), 1);
  const std::vector<std::string> problems = runcheck::CheckRun(before, {machine.Root(), host, exitCode});
  if (!problems.empty()) Report(problems, machine, host);
  return 0;
}
