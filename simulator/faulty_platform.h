// A platform that forwards every operation to another one, except that it
// fails chosen calls: the Nth call (counted from 1) of one operation, once
// or from then on. A failing call does not reach the wrapped platform; it
// gives the operation's failure value with the chosen error code. Calls are counted per operation, so that a test can run
// once, then walk a fault through every call of the run.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "os.h"

namespace host {

class FaultyPlatform final : public platform::ProfileFiles,
                             public platform::SystemFacts,
                             public platform::FileSystem,
                             public platform::LzFiles,
                             public platform::Versions,
                             public platform::Libraries,
                             public platform::Processes,
                             public platform::Windowing,
                             public platform::Painting {
 public:
  enum class Repeat { kOnce, kFromThenOn };

  explicit FaultyPlatform(const platform::Os& inner) : inner_(inner) {}

  // This object as the seam's bundle, every part of it.
  platform::Os Os() {
    return {this, this, this, this, this, this, this, this, this};
  }


  // Throws std::invalid_argument for a call number below 1. An operation
  // that cannot fail is never failed: Failures() stays 0.
  void FailCall(std::string_view operation, int n, Repeat repeat = Repeat::kOnce,
                std::uint32_t error = 5);
  // The operations called so far that can be made to fail, each named as
  // its function: the others always forward.
  std::vector<std::string> CalledOperations() const;
  int Calls(std::string_view operation) const;
  int Failures() const { return failures_; }

  std::string ReadProfileString(const std::string& section, const std::string& key,
                                const std::string& defaultText, std::size_t capacity,
                                const std::string& file) override;
  std::uint32_t ReadProfileInt(const std::string& section, const std::string& key,
                               int defaultValue, const std::string& file) override;
  bool WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) override;
  std::string LoadString(platform::Instance instance, int id, std::size_t capacity) override {
    return inner_.system->LoadString(instance, id, capacity);
  }

  std::string ModuleFileName() override { return inner_.system->ModuleFileName(); }
  std::string WindowsDirectory() override { return inner_.system->WindowsDirectory(); }
  std::string SystemDirectory() override { return inner_.system->SystemDirectory(); }
  std::uint32_t Version() override { return inner_.system->Version(); }
  std::optional<std::uint16_t> NetworkCaps(int index) override;
  platform::SystemTime SystemTimeUtc() override { return inner_.system->SystemTimeUtc(); }

  platform::Status CreateProtectedDirectory(const std::string& path,
                                std::span<const platform::AccessEntry> entries) override;
  platform::Status RemoveDirectory(const std::string& path) override;
  platform::Status SetCurrentDirectory(const std::string& path) override;
  platform::Status SetCurrentDrive(int drive) override;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override { return inner_.files->DirectoryExists(path); }
  platform::Status DeleteFile(const std::string& path) override;
  platform::Result<std::optional<boot::Block>> ReadFile(const std::string& path, std::size_t limit) override;
  platform::Status ReplaceFile(const std::string& from, const std::string& to) override;
  platform::Result<platform::File> OpenForRead(const std::string& path) override;
  platform::Result<platform::File> CreateForWrite(const std::string& path) override;
  std::optional<std::string> ReadBytes(platform::File file, std::size_t count) override;
  platform::Status WriteBytes(platform::File file, const std::string& bytes) override;
  platform::Status SetFileLength(platform::File file, std::uint64_t length) override;
  void CloseFile(platform::File file) override { inner_.files->CloseFile(file); }
  std::optional<platform::SystemTime> LastWriteTime(const std::string& path) override;

  platform::Result<platform::LzFile> LzOpenRead(const std::string& path) override;
  platform::Result<platform::LzFile> LzCreate(const std::string& path) override;
  platform::Result<std::int64_t> LzCopy(platform::LzFile source, platform::LzFile destination) override;
  void LzClose(platform::LzFile file) override { inner_.lz->LzClose(file); }
  std::optional<std::string> ExpandedName(const std::string& path) override;
  std::optional<boot::Block> LzReadAll(platform::LzFile file, std::size_t limit) override;

  platform::Result<std::optional<platform::VersionInfo>> FileVersion(platform::Library versionLibrary,
                                                   const std::string& path) override;
  std::uint32_t InstallFile(platform::Library versionLibrary,
                            const platform::InstallRequest& request,
                            std::string& tempName) override;

  platform::Library LoadLibrary(const std::string& path) override;
  platform::Library LoadSystemLibrary(const std::string& name) override;
  bool RestrictLibrarySearch() override;
  void FreeLibrary(platform::Library library) override { inner_.libraries->FreeLibrary(library); }
  platform::Entry FindEntry(platform::Library library, const char* name, int ordinal) override;
  std::intptr_t CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) override;

  Started StartProcess(const std::string& commandLine) override;
  bool ProcessEnded(platform::Process process) override;
  void WaitForProcessOrMessage(platform::Process process) override;

  bool RegisterWindowClass(platform::Instance instance, const platform::WindowClass& wc,
                           platform::WindowProc proc) override;
  platform::Window CreateWindow(platform::Instance instance,
                                const platform::WindowParams& params) override;
  void ShowWindow(platform::Window window, int command) override {
    inner_.windows->ShowWindow(window, command);
  }
  void UpdateWindow(platform::Window window) override { inner_.windows->UpdateWindow(window); }
  std::intptr_t DefWindowProc(platform::Window window, std::uint32_t message,
                              std::uintptr_t wParam, std::intptr_t lParam) override {
    return inner_.windows->DefWindowProc(window, message, wParam, lParam);
  }
  bool SetTimer(platform::Window window, std::uintptr_t id, unsigned ms) override;
  void KillTimer(platform::Window window, std::uintptr_t id) override {
    inner_.windows->KillTimer(window, id);
  }
  void PostQuit(int exitCode) override { inner_.windows->PostQuit(exitCode); }
  int RunMessageLoop() override { return inner_.windows->RunMessageLoop(); }
  void PumpMessages() override { inner_.windows->PumpMessages(); }
  int SystemMetric(int index) override { return inner_.windows->SystemMetric(index); }
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  platform::Dc BeginPaint(platform::Window window) override { return inner_.painting->BeginPaint(window); }
  void EndPaint(platform::Window window, platform::Dc dc) override { inner_.painting->EndPaint(window, dc); }
  void SetBkMode(platform::Dc dc, int mode) override { inner_.painting->SetBkMode(dc, mode); }
  int DrawText(platform::Dc dc, const std::string& text, const platform::Rect& box,
               unsigned format) override {
    return inner_.painting->DrawText(dc, text, box, format);
  }
  bool DrawIcon(platform::Dc dc, int x, int y, platform::Gdi icon) override {
    return inner_.painting->DrawIcon(dc, x, y, icon);
  }
  platform::Dc CreateCompatibleDc(platform::Dc dc) override { return inner_.painting->CreateCompatibleDc(dc); }
  platform::Gdi SelectObject(platform::Dc dc, platform::Gdi object) override {
    return inner_.painting->SelectObject(dc, object);
  }
  platform::Gdi CreateBitmap(const image::Dib& dib) override;
  platform::Gdi CreateIcon(platform::Instance instance, const image::Icon& icon) override;
  std::optional<std::pair<int, int>> BitmapSize(platform::Gdi bitmap) override {
    return inner_.painting->BitmapSize(bitmap);
  }
  bool BitBlt(platform::Dc dc, int x, int y, int width, int height, platform::Dc source, int sx,
              int sy, std::uint32_t rop) override {
    return inner_.painting->BitBlt(dc, x, y, width, height, source, sx, sy, rop);
  }
  void DeleteDc(platform::Dc dc) override { inner_.painting->DeleteDc(dc); }
  void DeleteObject(platform::Gdi object) override { inner_.painting->DeleteObject(object); }

 private:
  // Counts a call of `operation`; true when this call is to fail.
  bool Fails(std::string_view operation);

  platform::Os inner_;
  std::map<std::string, int, std::less<>> calls_;
  std::string target_;
  int n_ = 0;
  Repeat repeat_ = Repeat::kOnce;
  std::uint32_t error_ = 5;
  int failures_ = 0;
};

}  // namespace host
