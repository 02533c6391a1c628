// The one seam between the bootstrapper and the operating system.
// It carries values, not Windows types: texts, integers, small structs and
// opaque handles. Results keep the platform's meaning (message box answers,
// error codes, LZ error values), and capacities that change behaviour are
// parameters, so that both backends cut texts the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "block.h"
#include "image_files.h"
#include "pe_version.h"

namespace platform {

using Handle = std::uintptr_t;  // opaque; 0 means none
using Instance = Handle;
using Window = Handle;
using Dc = Handle;
using Library = Handle;
using Gdi = Handle;  // bitmap, icon or other drawing object
using Process = Handle;
using File = Handle;
using Entry = Handle;  // an entry point of a loaded library

struct SystemTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct WindowClass {
  std::string name;
  std::uint32_t style = 0;
  std::string icon;  // name of an icon resource of the program
  int background = 0;  // system colour index + 1
};

struct WindowParams {
  std::uint32_t exStyle = 0;
  std::string className;
  std::string title;
  std::uint32_t style = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

// The program's window procedure; each backend delivers messages to it.
using WindowProc = std::intptr_t (*)(Window, std::uint32_t message,
                                     std::uintptr_t wParam,
                                     std::intptr_t lParam);

// Result of an LZ open: a handle, or an LZERROR_/HFILE_ERROR value below 0.
using LzFile = std::int64_t;

// The fixed version information of a file.
using VersionInfo = pe::FixedFileInfo;

// A file to install by version: `sourceDir\sourceName` becomes
// `destDir\destName`; `currentDir` is where an older copy now lies.
struct InstallRequest {
  std::uint32_t flags = 0;  // kViff...
  std::string sourceName, destName, sourceDir, destDir, currentDir;
};

// One entry of a directory's access-control list.
enum class Trustee { kAdministrators, kSystem, kCreatingUser, kUsers };
enum class Access { kFull, kReadExecute };
struct AccessEntry {
  Trustee who;
  Access rights;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Profile files. A bare file name means a file in the Windows directory.
  virtual std::string ReadProfileString(const std::string& section,
                                        const std::string& key,
                                        const std::string& defaultText,
                                        std::size_t capacity,
                                        const std::string& file) = 0;
  virtual std::uint32_t ReadProfileInt(const std::string& section,
                                       const std::string& key, int defaultValue,
                                       const std::string& file) = 0;
  virtual bool WriteProfileString(const std::string& section,
                                  const std::string& key,
                                  const std::string& value,
                                  const std::string& file) = 0;

  // Resources of the program.
  virtual std::string LoadString(Instance instance, int id,
                                 std::size_t capacity) = 0;

  // System facts.
  // The program's whole path, however long.
  virtual std::string ModuleFileName() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::uint32_t Version() = 0;
  // USER32's "WNetGetCaps" looked up by name; nothing when it is absent.
  virtual std::optional<std::uint16_t> NetworkCaps(int index) = 0;
  virtual SystemTime SystemTimeUtc() = 0;
  virtual std::uint32_t LastError() = 0;

  // Directories.
  virtual bool CreateDirectory(const std::string& path) = 0;
  // A new directory whose access list is exactly `entries`, inherited by
  // what is created inside and not merged with the parent's. Where the
  // system has no access lists, a plain directory.
  virtual bool CreateProtectedDirectory(const std::string& path,
                                        std::span<const AccessEntry> entries) = 0;
  virtual bool RemoveDirectory(const std::string& path) = 0;
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
  virtual bool SetCurrentDrive(int drive) = 0;  // 1 = A:, 2 = B:, ...

  // Files. Every path up to kLongestPath characters is taken whole.
  // True for a file (not a directory) that is there.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Whole content, or nothing when the file cannot be opened or read.
  // Whole content of a file of at most `limit` bytes; nothing when it cannot
  // be opened or read, when it is larger (error 223), or when no block of
  // its size can be had (error 8).
  virtual std::optional<boot::Block> ReadFile(const std::string& path, std::size_t limit) = 0;
  // Moves a file over an existing one; false when that cannot be done.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Files read and written piece by piece (joining a file split over two
  // disks); an open gives 0 when it fails.
  virtual File OpenForRead(const std::string& path) = 0;
  virtual File CreateForWrite(const std::string& path) = 0;
  // Up to `count` bytes; empty at the end; nothing on a read error.
  virtual std::optional<std::string> ReadBytes(File file, std::size_t count) = 0;
  virtual bool WriteBytes(File file, const std::string& bytes) = 0;
  // Cuts a file open for writing back to `length` bytes; later writes go
  // to its new end.
  virtual bool SetFileLength(File file, std::uint64_t length) = 0;
  virtual void CloseFile(File file) = 0;
  virtual std::optional<SystemTime> LastWriteTime(const std::string& path) = 0;

  // LZ expansion, with the platform's rules for compressed twins and names.
  virtual LzFile LzOpenRead(const std::string& path) = 0;
  virtual LzFile LzCreate(const std::string& path) = 0;
  // Bytes written, or an LZERROR_ value below 0.
  virtual std::int64_t LzCopy(LzFile source, LzFile destination) = 0;
  virtual void LzClose(LzFile file) = 0;
  // The expanded content of a file opened by LzOpenRead, when it is at
  // most `limit` bytes; nothing on a read error or when it is larger.
  virtual std::optional<boot::Block> LzReadAll(LzFile file, std::size_t limit) = 0;
  // The name recorded in a compressed file's header (a plain file keeps its
  // own); nothing when the file cannot be opened.
  virtual std::optional<std::string> ExpandedName(const std::string& path) = 0;

  // The version library, through the entries of `versionLibrary` (a
  // loaded handle). Nothing when the file has no version information or
  // cannot be read.
  virtual std::optional<VersionInfo> FileVersion(Library versionLibrary,
                                                 const std::string& path) = 0;
  // The platform's kVif... bits, 0 when installed; kVifCannotReadSrc may
  // come for a source path longer than kLongestInstallSource. `tempName` gives the
  // temporary file to reuse under kViffForceInstall and receives the name
  // (without directory) of the one kept when kVifTempFile is set.
  virtual std::uint32_t InstallFile(Library versionLibrary, const InstallRequest& request,
                                    std::string& tempName) = 0;

  // Libraries loaded at run time: by full path, or platform libraries from
  // the system directory only.
  virtual Library LoadLibrary(const std::string& path) = 0;
  virtual Library LoadSystemLibrary(const std::string& name) = 0;
  // Limits where the platform looks for libraries that the program or its
  // libraries load by name to the system directory; false where the
  // platform cannot.
  virtual bool RestrictLibrarySearch() = 0;
  virtual void FreeLibrary(Library library) = 0;
  // The entry exported as `name` (none: by ordinal alone), or else the
  // one at `ordinal`; 0 when the library has neither.
  virtual Entry FindEntry(Library library, const char* name, int ordinal) = 0;
  // Calls a stdcall entry that FindEntry found with one, two or four
  // arguments, as many as it takes: another count would unbalance the
  // stack. 0 for other counts.
  virtual std::intptr_t CallEntry(Entry entry, std::span<const std::uintptr_t> args) = 0;

  // Processes.
  struct Started {
    bool ok = false;
    Process process = 0;
    std::uint32_t error = 0;
  };
  virtual Started StartProcess(const std::string& commandLine) = 0;
  // True when the process has ended, or when it cannot be waited for.
  virtual bool ProcessEnded(Process process) = 0;
  // Sleeps until the process ends or a message for the program arrives,
  // without using the processor meanwhile.
  virtual void WaitForProcessOrMessage(Process process) = 0;

  // Windows and messages.
  virtual bool RegisterWindowClass(Instance instance, const WindowClass& wc,
                                   WindowProc proc) = 0;
  virtual Window CreateWindow(Instance instance, const WindowParams& params) = 0;
  virtual void ShowWindow(Window window, int command) = 0;
  virtual void UpdateWindow(Window window) = 0;
  virtual std::intptr_t DefWindowProc(Window window, std::uint32_t message,
                                      std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
  virtual bool SetTimer(Window window, std::uintptr_t id, unsigned ms) = 0;
  virtual void KillTimer(Window window, std::uintptr_t id) = 0;
  virtual void PostQuit(int exitCode) = 0;
  // Runs until a quit request; returns its exit code.
  virtual int RunMessageLoop() = 0;
  // Dispatches the messages already waiting, without blocking; a quit
  // request among them stays for the main loop.
  virtual void PumpMessages() = 0;
  virtual int SystemMetric(int index) = 0;
  virtual int MessageBox(const std::string& text, const std::string& caption,
                         unsigned type) = 0;

  // Painting.
  virtual Dc BeginPaint(Window window) = 0;
  virtual void EndPaint(Window window, Dc dc) = 0;
  virtual void SetBkMode(Dc dc, int mode) = 0;
  virtual int DrawText(Dc dc, const std::string& text, const Rect& box,
                       unsigned format) = 0;
  virtual bool DrawIcon(Dc dc, int x, int y, Gdi icon) = 0;
  virtual Dc CreateCompatibleDc(Dc dc) = 0;
  virtual Gdi SelectObject(Dc dc, Gdi object) = 0;
  // A bitmap for the screen made from a DIB; 0 when the platform refuses it.
  virtual Gdi CreateBitmap(const image::Dib& dib) = 0;
  // An icon made from its colour image and its mask; 0 when refused.
  virtual Gdi CreateIcon(Instance instance, const image::Icon& icon) = 0;
  // Width and height of a bitmap; nothing when it is not one.
  virtual std::optional<std::pair<int, int>> BitmapSize(Gdi bitmap) = 0;
  virtual bool BitBlt(Dc dc, int x, int y, int width, int height, Dc source,
                      int sx, int sy, std::uint32_t rop) = 0;
  virtual void DeleteDc(Dc dc) = 0;
  virtual void DeleteObject(Gdi object) = 0;
};

}  // namespace platform
