// The simulated Windows machine: a directory tree with drive folders
// (<root>/c, <root>/d, ...), a description in <root>/machine.ini, and a
// journal of every observable act. It is as strict as Windows where that
// protects data: read-only and in-use files, full and write-protected
// drives, drive roots and device names; failures set Windows' error codes.
// Its state lies in parts by concern (the tree, open files, profile files,
// libraries, processes, the window, painting, the person at it); the
// operations here join them. The files of the tree may change between
// calls, but profile files stay parsed in memory from their first read
// until the machine itself writes them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "disk_drive.h"
#include "file_faults.h"
#include "file_tree.h"
#include "sim_libraries.h"
#include "machine_facts.h"
#include "open_files.h"
#include "sim_painting.h"
#include "person.h"
#include "os.h"
#include "processes.h"
#include "profile_files.h"
#include "run_journal.h"
#include "window_picture.h"
#include "window_state.h"

namespace host {

class HostMachine : public platform::ProfileFiles,
                          public platform::SystemFacts,
                          public platform::FileSystem,
                          public platform::LzFiles,
                          public platform::Versions,
                          public platform::Libraries,
                          public platform::Processes,
                          public platform::Windowing,
                          public platform::Painting {
 public:
  // This object as the seam's bundle, every part of it.
  platform::Os Os() {
    return {this, this, this, this, this, this, this, this, this};
  }

  explicit HostMachine(std::filesystem::path root);

  const std::vector<std::string>& Journal() const { return journal_.Lines(); }
  // Acts that a real run would not survive: unexpected boxes, a message
  // loop that would wait for ever.
  const std::vector<std::string>& Errors() const { return journal_.Errors(); }
  std::string CommandLine() const { return facts_.commandLine; }
  // Where a Windows path lies in the tree (components matched without
  // regard to case, as Windows resolves names).
  std::filesystem::path Resolve(const std::string& windowsPath) const;
  struct Section {
    std::string file;
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // in file order
  };
  // The section of the last profile write, as the file now holds it: the
  // log of the run.
  std::optional<Section> LastWrittenSection() const;
  // The file that a profile call with this name uses.
  std::string ProfilePath(const std::string& file) const;
  // The window as its last finished paint left it; none before that.
  const std::optional<WindowPicture>& Picture() const { return painting_.Picture(); }

  std::string ReadProfileString(const std::string& section, const std::string& key,
                                const std::string& defaultText, std::size_t capacity,
                                const std::string& file) override;
  std::uint32_t ReadProfileInt(const std::string& section, const std::string& key,
                               int defaultValue, const std::string& file) override;
  bool WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) override;
  std::string LoadString(platform::Instance instance, int id, std::size_t capacity) override;

  std::string ModuleFileName() override { return facts_.program; }
  std::string WindowsDirectory() override { return facts_.winDir; }
  std::string SystemDirectory() override { return facts_.sysDir; }
  std::uint32_t Version() override { return facts_.version; }
  std::optional<std::uint16_t> NetworkCaps(int index) override;
  platform::SystemTime SystemTimeUtc() override { return facts_.clock; }
  // The error code of the last operation, as the machine keeps it.
  std::uint32_t LastError() const { return lastError_; }

  bool CreateDirectory(const std::string& path);
  platform::Status CreateProtectedDirectory(const std::string& path, std::span<const platform::AccessEntry> entries) override;
  platform::Status RemoveDirectory(const std::string& path) override;
  platform::Status SetCurrentDirectory(const std::string& path) override;
  platform::Status SetCurrentDrive(int drive) override;

  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  platform::Status DeleteFile(const std::string& path) override;
  platform::Result<std::optional<boot::Block>> ReadFile(const std::string& path, std::size_t limit) override;
  // The whole file however large, for the machine's own use.
  std::optional<std::string> ReadWhole(const std::string& path);
  platform::Status ReplaceFile(const std::string& from, const std::string& to) override;
  platform::Result<platform::File> OpenForRead(const std::string& path) override;
  platform::Result<platform::File> CreateForWrite(const std::string& path) override;
  std::optional<std::string> ReadBytes(platform::File file, std::size_t count) override;
  platform::Status WriteBytes(platform::File file, const std::string& bytes) override;
  platform::Status SetFileLength(platform::File file, std::uint64_t length) override;
  void CloseFile(platform::File file) override;
  std::optional<platform::SystemTime> LastWriteTime(const std::string& path) override;

  platform::Result<platform::LzFile> LzOpenRead(const std::string& path) override;
  platform::Result<platform::LzFile> LzCreate(const std::string& path) override;
  platform::Result<std::int64_t> LzCopy(platform::LzFile source, platform::LzFile destination) override;
  void LzClose(platform::LzFile file) override;
  std::optional<std::string> ExpandedName(const std::string& path) override;
  std::optional<boot::Block> LzReadAll(platform::LzFile file, std::size_t limit) override;

  platform::Result<std::optional<platform::VersionInfo>> FileVersion(platform::Library versionLibrary, const std::string& path) override;
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
  // The operations as the machine does them, recording their error for
  // the results above.
  bool DoCreateProtectedDirectory(const std::string& path,
                                std::span<const platform::AccessEntry> entries);
  bool DoRemoveDirectory(const std::string& path);
  bool DoSetCurrentDirectory(const std::string& path);
  bool DoSetCurrentDrive(int drive);
  bool DoDeleteFile(const std::string& path);
  bool DoReplaceFile(const std::string& from, const std::string& to);
  bool DoWriteBytes(platform::File file, const std::string& bytes);
  bool DoSetFileLength(platform::File file, std::uint64_t length);
  std::optional<boot::Block> DoReadFile(const std::string& path, std::size_t limit);
  platform::File DoOpenForRead(const std::string& path);
  platform::File DoCreateForWrite(const std::string& path);
  platform::LzFile DoLzOpenRead(const std::string& path);
  platform::LzFile DoLzCreate(const std::string& path);
  std::int64_t DoLzCopy(platform::LzFile source, platform::LzFile destination);
  std::optional<platform::VersionInfo> DoFileVersion(platform::Library versionLibrary,
                                                   const std::string& path);
  platform::Status Reported(bool ok) const { return {ok, ok ? 0u : lastError_}; }
  template <typename T>
  platform::Result<T> Reported(T value, bool failed) const {
    return {std::move(value), failed ? lastError_ : 0u};
  }


  void LoadFaults();
  std::string Setting(const std::string& section, const std::string& key,
                      const std::string& fallback) const {
    return facts_.Setting(section, key, fallback);
  }
  Target Locate(const std::string& windowsPath) const { return tree_.Locate(windowsPath); }
  void Note(const std::string& line) { journal_.Note(line); }
  void Fail(const std::string& line) { journal_.Fail(line); }
  bool Refuse(std::uint32_t error);  // sets the last error, gives false
  // False for a picture the platform refuses or that promises more bytes
  // than it has (an error: the platform would read past them).
  bool Drawable(const image::Dib& dib, std::uint64_t maskBytes, std::uint64_t mask);

  // Why an act on a target cannot be done, as a Windows error code; 0
  // when it can.
  std::uint32_t MissingError(const Target& target) const;
  std::uint32_t ReadRefusal(const Target& target) const;
  std::uint32_t WriteRefusal(const Target& target) const;
  std::uint32_t DeleteRefusal(const Target& target) const;
  std::uint32_t MakeDirectoryRefusal(const Target& target) const;
  std::uint32_t RemoveDirectoryRefusal(const Target& target) const;
  bool IsReadOnly(const Target& target) const;
  bool IsInUse(const Target& target) const;
  bool IsFull(const Target& target, std::size_t newSize) const;
  bool IsWriteProtected(char drive) const { return faults_.WriteProtected(drive); }

  bool MakeDirectory(const std::string& path, const std::string& note);
  bool WriteWholeFile(const Target& target, const std::string& content);
  bool WriteThrough(const Target& target, const std::string& bytes, bool append);
  // A block holding `content`, with the errors of a read limited to `limit`.
  std::optional<boot::Block> BlockOf(const std::string& content, std::size_t limit);
  const profile::Document& Profile(const std::string& file);
  void Forget(const Target& target) { profiles_.Forget(target.key); }
  // Installing by version, step by step; each gives kVif... bits.
  std::optional<platform::VersionInfo> VersionOf(const Target& target) const;
  std::uint32_t Install(const platform::InstallRequest& request, std::string& tempName);
  std::uint32_t MakeTemp(const platform::InstallRequest& request, const Target& destination,
                         const std::string& tempName, Target& temp);
  std::optional<Target> FreeTempName(const std::string& directory);
  std::uint32_t CopyToTemp(platform::LzFile source, const Target& temp);
  std::int64_t Expand(platform::LzFile source, platform::LzFile destination, bool wholeOnly);
  std::uint32_t Compare(const Target& destination, const Target& temp) const;
  std::uint32_t Replace(const platform::InstallRequest& request, const Target& temp,
                        const Target& destination);
  std::optional<std::string> FindProgram(const std::string& commandLine) const;
  std::intptr_t RegisterServer(const std::string& path);
  // Swaps disks as a person does who is asked for one by `boxText`.
  void InsertRequestedDisk(const std::string& boxText);
  void Tick();

  MachineFacts facts_;
  RunJournal journal_;
  FileTree tree_;
  FileFaults faults_;
  DiskDrive disks_;
  OpenFiles open_;
  ProfileStore profiles_;
  LoadedLibraries libraries_;
  ProcessTable processes_;
  Person person_;
  WindowState window_;
  Canvas painting_;
  std::uint32_t lastError_ = 0;
  unsigned nextTemp_ = 1;  // the version library's next temporary name's number
};

}  // namespace host
