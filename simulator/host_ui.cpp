// The simulated machine's processes, libraries, windows and painting.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "text.h"
#include "constants.h"
#include "dib_reads.h"
#include "host_machine.h"
#include "profile_text.h"

namespace host {
namespace {

// Far more ticks than any scenario needs; a run beyond it would hang.
constexpr int kMaxTicks = 10000;
constexpr platform::Dc kPaintDc = 1;
constexpr platform::Dc kMemoryDc = 2;

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// FNV-1a over the bytes that make a picture: equal pictures, equal sums.
std::uint32_t Checksum(std::initializer_list<std::string_view> parts) {
  std::uint32_t sum = 2166136261u;
  for (const std::string_view part : parts) {
    for (const char c : part) sum = (sum ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  return sum;
}

std::string UpperName(std::string name) {
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  return boot::ToUpperAscii(name);
}

bool HasExtension(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return path.find('.', slash == std::string::npos ? 0 : slash) != std::string::npos;
}

}  // namespace

std::optional<std::string> HostMachine::FindProgram(const std::string& commandLine) const {
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    std::string name = commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    return name;
  }
  // Unquoted: each prefix up to a blank is tried, as the platform does.
  std::size_t end = 0;
  while (true) {
    end = commandLine.find_first_of(" \t", end);
    std::string candidate = commandLine.substr(0, end);
    if (!HasExtension(candidate)) candidate += ".exe";
    if (const_cast<HostMachine*>(this)->FileExists(candidate)) return candidate;
    if (end == std::string::npos) return std::nullopt;
    ++end;
  }
}

HostMachine::Started HostMachine::StartProcess(const std::string& commandLine) {
  Started started;
  const std::optional<std::string> program = FindProgram(commandLine);
  const std::optional<std::string> content = program ? ReadWhole(*program) : std::nullopt;
  if (!content) {
    started.error = platform::kErrorFileNotFound;
  } else if (content->compare(0, 2, "MZ") != 0) {
    started.error = 193;  // not a program
  } else {
    started.ok = true;
    started.process = processes_.Start();
  }
  lastError_ = started.error;
  Note("start " + Quoted(commandLine) + " dir=" + Quoted(tree_.CurrentDirectory()) +
       (started.ok ? "" : " failed error=" + std::to_string(started.error)));
  return started;
}

bool HostMachine::ProcessEnded(platform::Process process) { return processes_.Ended(process); }

void HostMachine::WaitForProcessOrMessage(platform::Process process) { processes_.Wait(process); }

// A library loads when its file is there, or when the description lists it
// as a library of the system directory.
platform::Library HostMachine::LoadLibrary(const std::string& path) {
  const Target target = Locate(path);
  const bool listed = libraries_.Listed(UpperName(path)) &&
                      target.key == Locate(facts_.sysDir + "\\" + UpperName(path)).key;
  const bool present = listed || (!target.device && ReadRefusal(target) == 0);
  Note("load " + path + (present ? "" : " failed"));
  if (!present) {
    Refuse(platform::kErrorModNotFound);
    return 0;
  }
  return libraries_.Load(path);
}

platform::Library HostMachine::LoadSystemLibrary(const std::string& name) {
  return LoadLibrary(facts_.sysDir + "\\" + name);
}

bool HostMachine::RestrictLibrarySearch() {
  Note("library search limited to the system directory");
  return true;
}

void HostMachine::FreeLibrary(platform::Library library) {
  const std::string* path = libraries_.PathOf(library);
  if (path == nullptr) return;
  Note("free " + *path);
  libraries_.Free(library);
}

// The label of the entry `name` or else `ordinal` in a description of
// exports ("NAME@ORDINAL" or "@ORDINAL", separated by ";"); empty when
// neither is there.
std::string ExportLabel(const std::string& exports, const char* name, int ordinal) {
  std::string byOrdinal;
  std::size_t start = 0;
  while (start <= exports.size()) {
    const std::size_t end = std::min(exports.find(';', start), exports.size());
    const std::string item = exports.substr(start, end - start);
    const std::size_t at = item.rfind('@');
    if (at != std::string::npos) {
      if (name != nullptr && at > 0 && item.substr(0, at) == name) return name;
      if (item.substr(at + 1) == std::to_string(ordinal)) byOrdinal = "#" + std::to_string(ordinal);
    }
    start = end + 1;
  }
  return byOrdinal;
}

// A library file that is not a program has no entries; a listed system
// library has no file and every entry. One the description does not lay
// out has every entry too.
platform::Entry HostMachine::FindEntry(platform::Library library, const char* name, int ordinal) {
  const std::string* loaded = libraries_.PathOf(library);
  if (loaded == nullptr) return 0;
  const std::string path = *loaded;
  const std::optional<std::string> content = ReadWhole(path);
  if (content && !content->starts_with("MZ")) return 0;
  const std::string exports = Setting("Exports", UpperName(path), "*");
  const std::string byName = name != nullptr ? name : "#" + std::to_string(ordinal);
  const std::string label = exports == "*" ? byName : ExportLabel(exports, name, ordinal);
  if (label.empty()) return 0;
  return libraries_.AddEntry(path, label);
}

std::intptr_t HostMachine::CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) {
  const auto* found = libraries_.EntryOf(entry);
  if (found == nullptr) return 0;
  const auto& [path, label] = *found;
  if (UpperName(path) == "ZAVEZ432.DLL" && label == "#1" && args.size() == 1) {
    return RegisterServer(reinterpret_cast<const char*>(args[0]));
  }
  std::string line = "call " + path + " " + label + "(";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i > 0) line += ',';
    line += Hex(static_cast<std::uint32_t>(args[i]));
  }
  Note(line + ")");
  return 0;
}

// The setup toolkit's entry: registers the DLL at `path` as its
// DllRegisterServer would, which the file names in its text.
std::intptr_t HostMachine::RegisterServer(const std::string& path) {
  constexpr std::int32_t kModNotFound = static_cast<std::int32_t>(0x8007007Eu);
  constexpr std::int32_t kProcNotFound = static_cast<std::int32_t>(0x8007007Fu);
  const std::optional<std::string> content = ReadWhole(path);
  Note("register " + path);
  if (!content) return kModNotFound;
  return content->find("DllRegisterServer") == std::string::npos ? kProcNotFound : 0;
}

bool HostMachine::RegisterWindowClass(platform::Instance, const platform::WindowClass& wc,
                                      platform::WindowProc proc) {
  window_.proc = proc;
  window_.background = wc.background;
  Note("class " + wc.name + " style=" + Hex(wc.style) + " icon=" + wc.icon +
       " background=" + std::to_string(wc.background));
  return true;
}

platform::Window HostMachine::CreateWindow(platform::Instance, const platform::WindowParams& params) {
  Note("window class=" + params.className + " title=" + Quoted(params.title) + " style=" +
       Hex(params.style) + " exstyle=" + Hex(params.exStyle) + " x=" + std::to_string(params.x) +
       " y=" + std::to_string(params.y) + " w=" + std::to_string(params.width) +
       " h=" + std::to_string(params.height) + (window_.createFails ? " failed" : ""));
  if (window_.createFails) return 0;
  painting_.StartWindow(params, window_.background, SystemMetric(platform::kSmCyCaption));
  window_.window = 1;
  return window_.window;
}

void HostMachine::ShowWindow(platform::Window window, int command) {
  const bool shown = !window_.visible && command != platform::kSwHide;
  window_.visible = command != platform::kSwHide;
  Note(window_.visible ? "show " + std::to_string(command) : "hide");
  // A window that appears has its frame drawn, as Windows does.
  if (shown && window_.proc != nullptr) window_.proc(window, platform::kWmNcPaint, 1, 0);
}

void HostMachine::UpdateWindow(platform::Window window) {
  if (window_.visible && window_.proc != nullptr) window_.proc(window, platform::kWmPaint, 0, 0);
}

std::intptr_t HostMachine::DefWindowProc(platform::Window, std::uint32_t message, std::uintptr_t,
                                         std::intptr_t) {
  Note("default " + Hex(message));
  return 0;
}

bool HostMachine::SetTimer(platform::Window, std::uintptr_t id, unsigned ms) {
  Note("timer " + std::to_string(id) + " " + std::to_string(ms) + "ms" +
       (window_.timerFails ? " failed" : ""));
  if (window_.timerFails) return false;
  window_.timers[id] = ms;
  return true;
}

void HostMachine::KillTimer(platform::Window, std::uintptr_t id) {
  window_.timers.erase(id);
  Note("kill timer " + std::to_string(id));
}

void HostMachine::PostQuit(int exitCode) {
  Note("quit " + std::to_string(exitCode));
  if (!window_.quit) window_.quit = exitCode;
}

void HostMachine::Tick() {
  processes_.Tick();
  const auto timers = window_.timers;
  for (const auto& [id, ms] : timers) {
    if (window_.proc != nullptr) window_.proc(window_.window, platform::kWmTimer, id, 0);
  }
}

int HostMachine::RunMessageLoop() {
  for (int tick = 0; tick < kMaxTicks; ++tick) {
    if (window_.quit) break;
    if (window_.timers.empty()) {
      Fail("message loop has nothing left to wait for");
      return 0;
    }
    Tick();
  }
  if (!window_.quit) {
    Fail("message loop did not end");
    return 0;
  }
  Note("loop ended");
  return *window_.quit;
}

// The simulated machine queues no messages: paints are delivered when they
// are asked for, and timers tick only in the main loop.
void HostMachine::PumpMessages() {}

int HostMachine::SystemMetric(int index) {
  switch (index) {
    case platform::kSmCxScreen:
      return facts_.Number("Machine", "ScreenWidth", 640);
    case platform::kSmCyScreen:
      return facts_.Number("Machine", "ScreenHeight", 480);
    case platform::kSmCyCaption:
      return facts_.Number("Machine", "CaptionHeight", 19);
    default:
      return 0;
  }
}

int HostMachine::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  int answer = platform::kIdOk;
  if (const std::optional<int> scripted = person_.NextAnswer()) {
    answer = *scripted;
  } else {
    Fail("unexpected box: " + text);
    if ((type & 0xF) != platform::kMbOk) answer = platform::kIdCancel;
  }
  Note("box " + Quoted(text) + " caption=" + Quoted(caption) + " type=" + Hex(type) +
       " answer=" + std::to_string(answer));
  if (answer == platform::kIdOk) InsertRequestedDisk(text);
  if (person_.ClosesProgramsOnBox()) faults_.inUse.clear();
  for (const std::string& path : person_.TakeSupplies()) {
    WriteWholeFile(Locate(path), "supplied by the user");
    Note("supplied " + path);
  }
  return answer;
}

platform::Dc HostMachine::BeginPaint(platform::Window) {
  Note("paint");
  painting_.Begin();
  return kPaintDc;
}

void HostMachine::EndPaint(platform::Window, platform::Dc) {
  if (window_.window != 0) painting_.End();
}

void HostMachine::SetBkMode(platform::Dc, int mode) { Note("bkmode " + std::to_string(mode)); }

int HostMachine::DrawText(platform::Dc, const std::string& text, const platform::Rect& box,
                          unsigned format) {
  Note("text " + Quoted(text) + " box=(" + std::to_string(box.left) + "," +
       std::to_string(box.top) + "," + std::to_string(box.right) + "," +
       std::to_string(box.bottom) + ") format=" + Hex(format));
  painting_.Write({text, box, format});
  return 16;
}

bool HostMachine::DrawIcon(platform::Dc, int x, int y, platform::Gdi icon) {
  Note("icon " + Hex(static_cast<std::uint32_t>(icon)) + " at " + std::to_string(x) + "," +
       std::to_string(y));
  // Drawn at the system's icon size, whatever the image's.
  if (const PaintedImage* image = painting_.Image(icon)) painting_.Draw(*image, x, y, 32, 32);
  return true;
}

platform::Dc HostMachine::CreateCompatibleDc(platform::Dc) { return kMemoryDc; }

platform::Gdi HostMachine::SelectObject(platform::Dc dc, platform::Gdi object) {
  if (dc == kMemoryDc) painting_.Select(object);
  return 0;
}

bool HostMachine::Drawable(const image::Dib& dib, std::uint64_t maskBytes, std::uint64_t mask) {
  const DibReads reads = PlatformReads(dib.info);
  // Past what it was given the platform reads other memory, or faults.
  if (reads.info > dib.info.size() || reads.bits > dib.bits.size() || maskBytes > mask) {
    Fail("the picture's header promises more than its bytes: info " + std::to_string(reads.info) + " of " +
         std::to_string(dib.info.size()) + ", bits " + std::to_string(reads.bits) + " of " +
         std::to_string(dib.bits.size()) + ", mask " + std::to_string(maskBytes) + " of " + std::to_string(mask));
    return false;
  }
  // The sizes the platform refuses to make a bitmap of.
  return dib.width > 0 && dib.height != 0 && dib.height != std::numeric_limits<int>::min();
}

platform::Gdi HostMachine::CreateBitmap(const image::Dib& dib) {
  if (!Drawable(dib, 0, 0)) return 0;
  const int height = dib.height < 0 ? -dib.height : dib.height;
  Note("bitmap " + std::to_string(dib.width) + "x" + std::to_string(height) +
       " checksum=" + Hex(Checksum({dib.info, dib.bits})));
  return painting_.Keep({0, 0, dib.width, height, dib.info, std::string(dib.bits), {}, false});
}

platform::Gdi HostMachine::CreateIcon(platform::Instance, const image::Icon& icon) {
  const image::Dib& colour = icon.colour;
  if (!Drawable(colour, MaskBytes(colour.width, colour.height), icon.mask.size()) || colour.height < 0) return 0;
  Note("icon image " + std::to_string(colour.width) + "x" + std::to_string(colour.height) +
       " checksum=" + Hex(Checksum({colour.info, colour.bits, icon.mask})));
  return painting_.Keep({0, 0, colour.width, colour.height, colour.info, std::string(colour.bits), icon.mask, true});
}

std::optional<std::pair<int, int>> HostMachine::BitmapSize(platform::Gdi bitmap) {
  const PaintedImage* image = painting_.Image(bitmap);
  if (image == nullptr || image->icon) return std::nullopt;
  return std::pair{image->width, image->height};
}

bool HostMachine::BitBlt(platform::Dc, int x, int y, int width, int height, platform::Dc, int, int,
                         std::uint32_t rop) {
  Note("bitblt at " + std::to_string(x) + "," + std::to_string(y) + " size " +
       std::to_string(width) + "x" + std::to_string(height) + " rop=" + Hex(rop));
  if (const PaintedImage* image = painting_.Selected()) painting_.Draw(*image, x, y, width, height);
  return true;
}

void HostMachine::DeleteDc(platform::Dc) {}

void HostMachine::DeleteObject(platform::Gdi object) {
  Note("delete object " + Hex(static_cast<std::uint32_t>(object)));
  painting_.Delete(object);
}

}  // namespace host
