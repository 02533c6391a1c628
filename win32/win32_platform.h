// The real Windows calls behind the seam: each operation is the call of the
// same name, nothing more.
#pragma once

#include "windows_api.h"

#include <string>
#include <vector>

#include "platform.h"

namespace win32 {

class Win32Platform : public platform::Platform {
 public:
  Win32Platform() = default;
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  std::string ReadProfileString(const std::string& section, const std::string& key,
                                const std::string& defaultText, std::size_t capacity,
                                const std::string& file) override;
  std::uint32_t ReadProfileInt(const std::string& section, const std::string& key,
                               int defaultValue, const std::string& file) override;
  bool WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) override;
  std::string LoadString(platform::Instance instance, int id, std::size_t capacity) override;

  std::string ModuleFileName() override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::uint32_t Version() override;
  std::optional<std::uint16_t> NetworkCaps(int index) override;
  platform::SystemTime SystemTimeUtc() override;
  std::uint32_t LastError() override { return ::GetLastError(); }

  bool CreateDirectory(const std::string& path) override;
  bool CreateProtectedDirectory(const std::string& path,
                                std::span<const platform::AccessEntry> entries) override;
  bool RemoveDirectory(const std::string& path) override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool SetCurrentDrive(int drive) override;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  std::optional<boot::Block> ReadFile(const std::string& path, std::size_t limit) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  platform::File OpenForRead(const std::string& path) override;
  platform::File CreateForWrite(const std::string& path) override;
  std::optional<std::string> ReadBytes(platform::File file, std::size_t count) override;
  bool WriteBytes(platform::File file, const std::string& bytes) override;
  bool SetFileLength(platform::File file, std::uint64_t length) override;
  void CloseFile(platform::File file) override;
  std::optional<platform::SystemTime> LastWriteTime(const std::string& path) override;

  platform::LzFile LzOpenRead(const std::string& path) override;
  platform::LzFile LzCreate(const std::string& path) override;
  std::int64_t LzCopy(platform::LzFile source, platform::LzFile destination) override;
  void LzClose(platform::LzFile file) override;
  std::optional<std::string> ExpandedName(const std::string& path) override;
  std::optional<boot::Block> LzReadAll(platform::LzFile file, std::size_t limit) override;

  std::optional<platform::VersionInfo> FileVersion(platform::Library versionLibrary,
                                                   const std::string& path) override;
  std::uint32_t InstallFile(platform::Library versionLibrary,
                            const platform::InstallRequest& request,
                            std::string& tempName) override;

  platform::Library LoadLibrary(const std::string& path) override;
  platform::Library LoadSystemLibrary(const std::string& name) override;
  bool RestrictLibrarySearch() override;
  void FreeLibrary(platform::Library library) override;
  platform::Entry FindEntry(platform::Library library, const char* name, int ordinal) override;
  std::intptr_t CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) override;

  Started StartProcess(const std::string& commandLine) override;
  bool ProcessEnded(platform::Process process) override;
  void WaitForProcessOrMessage(platform::Process process) override;

  bool RegisterWindowClass(platform::Instance instance, const platform::WindowClass& wc,
                           platform::WindowProc proc) override;
  platform::Window CreateWindow(platform::Instance instance,
                                const platform::WindowParams& params) override;
  void ShowWindow(platform::Window window, int command) override;
  void UpdateWindow(platform::Window window) override;
  std::intptr_t DefWindowProc(platform::Window window, std::uint32_t message,
                              std::uintptr_t wParam, std::intptr_t lParam) override;
  bool SetTimer(platform::Window window, std::uintptr_t id, unsigned ms) override;
  void KillTimer(platform::Window window, std::uintptr_t id) override;
  void PostQuit(int exitCode) override;
  int RunMessageLoop() override;
  void PumpMessages() override;
  int SystemMetric(int index) override;
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  platform::Dc BeginPaint(platform::Window window) override;
  void EndPaint(platform::Window window, platform::Dc dc) override;
  void SetBkMode(platform::Dc dc, int mode) override;
  int DrawText(platform::Dc dc, const std::string& text, const platform::Rect& box,
               unsigned format) override;
  bool DrawIcon(platform::Dc dc, int x, int y, platform::Gdi icon) override;
  platform::Dc CreateCompatibleDc(platform::Dc dc) override;
  platform::Gdi SelectObject(platform::Dc dc, platform::Gdi object) override;
  platform::Gdi CreateBitmap(const image::Dib& dib) override;
  platform::Gdi CreateIcon(platform::Instance instance, const image::Icon& icon) override;
  std::optional<std::pair<int, int>> BitmapSize(platform::Gdi bitmap) override;
  bool BitBlt(platform::Dc dc, int x, int y, int width, int height, platform::Dc source, int sx,
              int sy, std::uint32_t rop) override;
  void DeleteDc(platform::Dc dc) override;
  void DeleteObject(platform::Gdi object) override;

 private:
  struct LzLibrary;
  LzLibrary& Lz();

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

  LzLibrary* lz_ = nullptr;
  FewEntries<platform::LzFile, std::string> lzSources_;  // path each read handle opened
  std::vector<PROCESS_INFORMATION> processes_;
  FewEntries<HWND, PAINTSTRUCT> paints_;
};

}  // namespace win32
