// The real Windows calls behind the seam, one class per concern: each
// operation is the call of the same name, nothing more.
#pragma once

#include "windows_api.h"

#include <string>
#include <vector>

#include "os.h"

namespace win32 {

// A handful of open handles at most: a list costs less program than a tree.
template <typename Key, typename Value>
class FewEntries {
 public:
  Value& operator[](Key key) {
    if (Value* found = Find(key)) return *found;
    return entries_.emplace_back(key, Value{}).second;
  }
  Value* Find(Key key) {
    for (auto& entry : entries_) {
      if (entry.first == key) return &entry.second;
    }
    return nullptr;
  }
  void Erase(Key key) {
    std::erase_if(entries_, [key](const auto& entry) { return entry.first == key; });
  }

 private:
  std::vector<std::pair<Key, Value>> entries_;
};

using platform::AccessEntry;
using platform::Dc;
using platform::File;
using platform::Gdi;
using platform::InstallRequest;
using platform::Instance;
using platform::Library;
using platform::LzFile;
using platform::Process;
using platform::Rect;
using platform::SystemTime;
using platform::VersionInfo;
using platform::Window;
using platform::WindowClass;
using platform::WindowParams;
using platform::WindowProc;

class Win32ProfileFiles final : public platform::ProfileFiles {
 public:
  std::string ReadProfileString(const std::string& section, const std::string& key,
                                const std::string& defaultText, std::size_t capacity,
                                const std::string& file) override;
  std::uint32_t ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                               const std::string& file) override;
  bool WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) override;
};

class Win32SystemFacts final : public platform::SystemFacts {
 public:
  std::string LoadString(Instance instance, int id, std::size_t capacity) override;
  std::string ModuleFileName() override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::uint32_t Version() override;
  std::optional<std::uint16_t> NetworkCaps(int index) override;
  SystemTime SystemTimeUtc() override;
};

class Win32FileSystem final : public platform::FileSystem {
 public:
  platform::Status CreateProtectedDirectory(const std::string& path,
                                            std::span<const AccessEntry> entries) override;
  platform::Status RemoveDirectory(const std::string& path) override;
  platform::Status SetCurrentDirectory(const std::string& path) override;
  platform::Status SetCurrentDrive(int drive) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  platform::Status DeleteFile(const std::string& path) override;
  platform::Result<std::optional<boot::Block>> ReadFile(const std::string& path,
                                                        std::size_t limit) override;
  platform::Status ReplaceFile(const std::string& from, const std::string& to) override;
  platform::Result<File> OpenForRead(const std::string& path) override;
  platform::Result<File> CreateForWrite(const std::string& path) override;
  std::optional<std::string> ReadBytes(File file, std::size_t count) override;
  platform::Status WriteBytes(File file, const std::string& bytes) override;
  platform::Status SetFileLength(File file, std::uint64_t length) override;
  void CloseFile(File file) override;
  std::optional<SystemTime> LastWriteTime(const std::string& path) override;

 private:
  static std::optional<boot::Block> ReadWhole(const std::string& path, std::size_t limit);
};

class Win32LzFiles final : public platform::LzFiles {
 public:
  Win32LzFiles() = default;
  ~Win32LzFiles();
  Win32LzFiles(const Win32LzFiles&) = delete;
  Win32LzFiles& operator=(const Win32LzFiles&) = delete;

  platform::Result<LzFile> LzOpenRead(const std::string& path) override;
  platform::Result<LzFile> LzCreate(const std::string& path) override;
  platform::Result<std::int64_t> LzCopy(LzFile source, LzFile destination) override;
  void LzClose(LzFile file) override;
  std::optional<boot::Block> LzReadAll(LzFile file, std::size_t limit) override;
  std::optional<std::string> ExpandedName(const std::string& path) override;

 private:
  struct LzLibrary;
  LzLibrary& Lz();
  LzFile Open(const std::string& path);
  std::int64_t Copy(LzFile source, LzFile destination);

  LzLibrary* lz_ = nullptr;
  FewEntries<LzFile, std::string> lzSources_;  // path each read handle opened
};

class Win32Versions final : public platform::Versions {
 public:
  platform::Result<std::optional<VersionInfo>> FileVersion(Library versionLibrary,
                                                           const std::string& path) override;

 private:
  static std::optional<VersionInfo> ReadVersion(Library versionLibrary, const std::string& path);
  std::uint32_t InstallFile(Library versionLibrary, const InstallRequest& request,
                            std::string& tempName) override;
};

class Win32Libraries final : public platform::Libraries {
 public:
  Library LoadLibrary(const std::string& path) override;
  Library LoadSystemLibrary(const std::string& name) override;
  bool RestrictLibrarySearch() override;
  void FreeLibrary(Library library) override;
  platform::Entry FindEntry(Library library, const char* name, int ordinal) override;
  std::intptr_t CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) override;
};

class Win32Processes final : public platform::Processes {
 public:
  Win32Processes() = default;
  ~Win32Processes();
  Win32Processes(const Win32Processes&) = delete;
  Win32Processes& operator=(const Win32Processes&) = delete;

  Started StartProcess(const std::string& commandLine) override;
  bool ProcessEnded(Process process) override;
  void WaitForProcessOrMessage(Process process) override;

 private:
  std::vector<PROCESS_INFORMATION> processes_;
};

class Win32Windowing final : public platform::Windowing {
 public:
  bool RegisterWindowClass(Instance instance, const WindowClass& wc, WindowProc proc) override;
  Window CreateWindow(Instance instance, const WindowParams& params) override;
  void ShowWindow(Window window, int command) override;
  void UpdateWindow(Window window) override;
  std::intptr_t DefWindowProc(Window window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
  bool SetTimer(Window window, std::uintptr_t id, unsigned ms) override;
  void KillTimer(Window window, std::uintptr_t id) override;
  void PostQuit(int exitCode) override;
  int RunMessageLoop() override;
  void PumpMessages() override;
  int SystemMetric(int index) override;
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
};

class Win32Painting final : public platform::Painting {
 public:
  Dc BeginPaint(Window window) override;
  void EndPaint(Window window, Dc dc) override;
  void SetBkMode(Dc dc, int mode) override;
  int DrawText(Dc dc, const std::string& text, const Rect& box, unsigned format) override;
  bool DrawIcon(Dc dc, int x, int y, Gdi icon) override;
  Dc CreateCompatibleDc(Dc dc) override;
  Gdi SelectObject(Dc dc, Gdi object) override;
  Gdi CreateBitmap(const image::Dib& dib) override;
  Gdi CreateIcon(Instance instance, const image::Icon& icon) override;
  std::optional<std::pair<int, int>> BitmapSize(Gdi bitmap) override;
  bool BitBlt(Dc dc, int x, int y, int width, int height, Dc source, int sx, int sy,
              std::uint32_t rop) override;
  void DeleteDc(Dc dc) override;
  void DeleteObject(Gdi object) override;

 private:
  FewEntries<HWND, PAINTSTRUCT> paints_;
};

// The whole backend: one part per concern, handed to the program as the
// seam's bundle.
struct Backend {
  Win32ProfileFiles profiles;
  Win32SystemFacts system;
  Win32FileSystem files;
  Win32LzFiles lz;
  Win32Versions versions;
  Win32Libraries libraries;
  Win32Processes processes;
  Win32Windowing windows;
  Win32Painting painting;

  platform::Os Os() {
    return {&profiles,  &system,    &files,   &lz,      &versions,
            &libraries, &processes, &windows, &painting};
  }
};

}  // namespace win32
