#include "win32_platform.h"

#include <direct.h>

#include <optional>
#include <span>
#include <vector>

#include "szdd.h"
#include "constants.h"

namespace win32 {
namespace {

constexpr DWORD kPathCapacity = MAX_PATH + 1;

template <typename T>
T As(platform::Handle handle) {
  return reinterpret_cast<T>(handle);
}

template <typename T>
platform::Handle Out(T handle) {
  return reinterpret_cast<platform::Handle>(handle);
}

// Entry points come back untyped; the caller names their type.
template <typename Fn>
Fn Entry(HMODULE module, LPCSTR name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

std::string SystemPath(const std::string& name) {
  char dir[kPathCapacity] = {};
  ::GetSystemDirectoryA(dir, kPathCapacity);
  std::string path = dir;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + name;
}

platform::WindowProc g_proc = nullptr;

LRESULT CALLBACK Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return g_proc(Out(window), message, wParam, lParam);
}

// A closed-on-destruction file or token handle.
struct FileHandle {
  HANDLE handle;
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) ::CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
};

// A library of the system directory, freed on destruction.
struct SystemLibrary {
  HMODULE module;
  explicit SystemLibrary(const char* name) : module(::LoadLibraryA(SystemPath(name).c_str())) {}
  ~SystemLibrary() {
    if (module != nullptr) ::FreeLibrary(module);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  template <typename Fn>
  Fn Find(LPCSTR name) const {
    return module != nullptr ? Entry<Fn>(module, name) : nullptr;
  }
};

// Memory that the system allocated for the caller to free.
struct LocalMemory {
  HLOCAL memory;
  explicit LocalMemory(HLOCAL m) : memory(m) {}
  ~LocalMemory() { ::LocalFree(memory); }
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
};

// Access lists: ADVAPI32's calls, absent on systems without access lists.
struct AccessCalls {
  using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using TokenInfoFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  using SidTextFn = BOOL(WINAPI*)(PSID, LPSTR*);
  using DescriptorFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
  static constexpr DWORD kSddlRevision = 1;

  SystemLibrary advapi{"ADVAPI32.DLL"};
  OpenTokenFn openToken = advapi.Find<OpenTokenFn>("OpenProcessToken");
  TokenInfoFn tokenInfo = advapi.Find<TokenInfoFn>("GetTokenInformation");
  SidTextFn sidText = advapi.Find<SidTextFn>("ConvertSidToStringSidA");
  DescriptorFn descriptor =
      advapi.Find<DescriptorFn>("ConvertStringSecurityDescriptorToSecurityDescriptorA");

  bool Ready() const { return openToken && tokenInfo && sidText && descriptor; }

  // The running user's SID as text.
  std::optional<std::string> UserSid() const {
    HANDLE token = nullptr;
    if (!openToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::nullopt;
    const FileHandle owned(token);
    DWORD size = 0;
    tokenInfo(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    LPSTR text = nullptr;
    if (size == 0 || !tokenInfo(token, TokenUser, user.data(), size, &size) ||
        !sidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) {
      return std::nullopt;
    }
    const LocalMemory freed(text);
    return std::string(text);
  }
};

// The list as a descriptor's text: protected ("P") so that nothing of the
// parent's list is merged in, each entry inherited by files and directories
// created inside ("OICI").
std::string DescriptorText(std::span<const platform::AccessEntry> entries, const std::string& user) {
  std::string text = "D:P";
  for (const platform::AccessEntry& entry : entries) {
    text += entry.rights == platform::Access::kFull ? "(A;OICI;FA;;;" : "(A;OICI;0x1200a9;;;";
    switch (entry.who) {
      case platform::Trustee::kAdministrators: text += "BA"; break;
      case platform::Trustee::kSystem: text += "SY"; break;
      case platform::Trustee::kUsers: text += "BU"; break;
      case platform::Trustee::kCreatingUser: text += user; break;
    }
    text += ")";
  }
  return text;
}

// The first bytes of a file, at most `size`.
std::optional<std::string> ReadHead(const std::string& path, DWORD size) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string head(size, '\0');
  DWORD got = 0;
  if (!::ReadFile(file.handle, head.data(), size, &got, nullptr)) return std::nullopt;
  head.resize(got);
  return head;
}

}  // namespace

// The platform's LZ expansion library, taken from the system directory
// only, so that a planted copy beside the program is never loaded. Files
// are opened here and handed to it: its own opens keep a path in 128
// characters, shorter than the paths a run names.
struct Win32Platform::LzLibrary {
  using InitFn = INT(WINAPI*)(INT);
  using CopyFn = LONG(WINAPI*)(INT, INT);
  using CloseFn = void(WINAPI*)(INT);
  using SeekFn = LONG(WINAPI*)(INT, LONG, INT);
  using ReadFn = INT(WINAPI*)(INT, LPSTR, INT);

  HMODULE module = nullptr;
  InitFn init = nullptr;
  CopyFn copy = nullptr;
  CloseFn close = nullptr;
  SeekFn seek = nullptr;
  ReadFn read = nullptr;

  LzLibrary() {
    module = ::LoadLibraryA(SystemPath("LZ32.DLL").c_str());
    if (module == nullptr) return;
    init = Entry<InitFn>(module, "LZInit");
    copy = Entry<CopyFn>(module, "LZCopy");
    close = Entry<CloseFn>(module, "LZClose");
    seek = Entry<SeekFn>(module, "LZSeek");
    read = Entry<ReadFn>(module, "LZRead");
  }
  ~LzLibrary() {
    if (module != nullptr) ::FreeLibrary(module);
  }
  bool Ready() const { return init && copy && close && seek && read; }
};

Win32Platform::~Win32Platform() {
  for (const PROCESS_INFORMATION& info : processes_) {
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
  }
  delete lz_;
}

Win32Platform::LzLibrary& Win32Platform::Lz() {
  if (lz_ == nullptr) lz_ = new LzLibrary();
  return *lz_;
}

std::string Win32Platform::ReadProfileString(const std::string& section, const std::string& key,
                                             const std::string& defaultText, std::size_t capacity,
                                             const std::string& file) {
  std::string buffer(capacity + 1, '\0');
  const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(),
                                                  buffer.data(), static_cast<DWORD>(capacity),
                                                  file.c_str());
  buffer.resize(length);
  return buffer;
}

std::uint32_t Win32Platform::ReadProfileInt(const std::string& section, const std::string& key,
                                            int defaultValue, const std::string& file) {
  return ::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str());
}

bool Win32Platform::WriteProfileString(const std::string& section, const std::string& key,
                                       const std::string& value, const std::string& file) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

std::string Win32Platform::LoadString(platform::Instance instance, int id, std::size_t capacity) {
  std::string buffer(capacity + 1, '\0');
  const int length = ::LoadStringA(As<HINSTANCE>(instance), static_cast<UINT>(id), buffer.data(),
                                   static_cast<int>(capacity));
  buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return buffer;
}

std::string Win32Platform::ModuleFileName() {
  // A path may be longer than MAX_PATH: grow until it fits.
  for (std::string path(kPathCapacity, '\0');; path.resize(path.size() * 2)) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
  }
}

std::string Win32Platform::WindowsDirectory() {
  char path[kPathCapacity] = {};
  ::GetWindowsDirectoryA(path, kPathCapacity);
  return path;
}

std::string Win32Platform::SystemDirectory() {
  char path[kPathCapacity] = {};
  ::GetSystemDirectoryA(path, kPathCapacity);
  return path;
}

std::uint32_t Win32Platform::Version() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return ::GetVersion();
#pragma GCC diagnostic pop
}

std::optional<std::uint16_t> Win32Platform::NetworkCaps(int index) {
  using CapsFn = WORD(WINAPI*)(WORD);
  HMODULE user = ::LoadLibraryA(SystemPath("USER32.DLL").c_str());
  if (user == nullptr) return std::nullopt;
  std::optional<std::uint16_t> caps;
  if (auto fn = Entry<CapsFn>(user, "WNetGetCaps")) {
    caps = fn(static_cast<WORD>(index));
  }
  ::FreeLibrary(user);
  return caps;
}

platform::SystemTime Win32Platform::SystemTimeUtc() {
  SYSTEMTIME t;
  ::GetSystemTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32Platform::CreateDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr);
}

bool Win32Platform::CreateProtectedDirectory(const std::string& path,
                                             std::span<const platform::AccessEntry> entries) {
  const AccessCalls calls;
  if (!calls.Ready()) return CreateDirectory(path);
  const std::optional<std::string> user = calls.UserSid();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!user || !calls.descriptor(DescriptorText(entries, *user).c_str(), AccessCalls::kSddlRevision,
                                 &descriptor, nullptr)) {
    return false;
  }
  const LocalMemory freed(descriptor);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  return ::CreateDirectoryA(path.c_str(), &attributes);
}

bool Win32Platform::RemoveDirectory(const std::string& path) {
  return ::RemoveDirectoryA(path.c_str());
}

bool Win32Platform::SetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str());
}

bool Win32Platform::SetCurrentDrive(int drive) { return _chdrive(drive) == 0; }

bool Win32Platform::FileExists(const std::string& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Platform::DirectoryExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::DeleteFile(const std::string& path) {
  return !path.empty() && ::DeleteFileA(path.c_str());
}

namespace {

// A block for `size` bytes of a file, refused past `limit`; sets the
// error that the read reports.
std::optional<boot::Block> BlockFor(unsigned long long size, std::size_t limit) {
  if (size > limit) {
    ::SetLastError(ERROR_FILE_TOO_LARGE);
    return std::nullopt;
  }
  std::optional<boot::Block> block = boot::Block::Allocate(static_cast<std::size_t>(size));
  if (!block) ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

}  // namespace

std::optional<boot::Block> Win32Platform::ReadFile(const std::string& path, std::size_t limit) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.handle, &size)) return std::nullopt;
  std::optional<boot::Block> block = BlockFor(static_cast<unsigned long long>(size.QuadPart), limit);
  if (!block) return std::nullopt;
  std::size_t filled = 0;
  DWORD got = 0;
  while (filled < block->Size() &&
         ::ReadFile(file.handle, block->Data() + filled, static_cast<DWORD>(block->Size() - filled), &got, nullptr) &&
         got > 0) {
    filled += got;
  }
  block->Shrink(filled);
  return block;
}

bool Win32Platform::ReplaceFile(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
}

platform::File Win32Platform::OpenForRead(const std::string& path) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : Out(file);
}

platform::File Win32Platform::CreateForWrite(const std::string& path) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : Out(file);
}

std::optional<std::string> Win32Platform::ReadBytes(platform::File file, std::size_t count) {
  std::string bytes(count, '\0');
  DWORD got = 0;
  if (!::ReadFile(As<HANDLE>(file), bytes.data(), static_cast<DWORD>(count), &got, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(got);
  return bytes;
}

bool Win32Platform::WriteBytes(platform::File file, const std::string& bytes) {
  DWORD written = 0;
  return ::WriteFile(As<HANDLE>(file), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

bool Win32Platform::SetFileLength(platform::File file, std::uint64_t length) {
  LARGE_INTEGER position = {};
  position.QuadPart = static_cast<LONGLONG>(length);
  return ::SetFilePointerEx(As<HANDLE>(file), position, nullptr, FILE_BEGIN) &&
         ::SetEndOfFile(As<HANDLE>(file));
}

void Win32Platform::CloseFile(platform::File file) {
  if (file != 0) ::CloseHandle(As<HANDLE>(file));
}

std::optional<platform::SystemTime> Win32Platform::LastWriteTime(const std::string& path) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  FILETIME written;
  SYSTEMTIME t;
  if (file.handle == INVALID_HANDLE_VALUE || !::GetFileTime(file.handle, nullptr, nullptr, &written) ||
      !::FileTimeToSystemTime(&written, &t)) {
    return std::nullopt;
  }
  return platform::SystemTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

platform::LzFile Win32Platform::LzOpenRead(const std::string& path) {
  if (!Lz().Ready()) return platform::kLzErrorBadInHandle;
  // As the library's own open: the compressed twin when the name is not
  // there, with the twin's error when neither is.
  std::string opened = path;
  platform::File file = OpenForRead(opened);
  if (file == 0) file = OpenForRead(opened = szdd::TwinName(path));
  if (file == 0) return platform::kLzErrorBadInHandle;
  // The library takes a file as a handle in an int, as its own opens give them.
  const INT lz = Lz().init(static_cast<INT>(file));
  if (lz < 0) {
    CloseFile(file);
    return lz;
  }
  lzSources_[lz] = opened;
  return lz;
}

platform::LzFile Win32Platform::LzCreate(const std::string& path) {
  if (!Lz().Ready()) return platform::kLzErrorBadOutHandle;
  const platform::File file = CreateForWrite(path);
  return file == 0 ? platform::kLzErrorBadInHandle : static_cast<INT>(file);
}

std::int64_t Win32Platform::LzCopy(platform::LzFile source, platform::LzFile destination) {
  const LONG written = Lz().copy(static_cast<INT>(source), static_cast<INT>(destination));
  if (written < 0) return written;
  // The platform does not notice a compressed file that ends early; its
  // header says how long the expansion must be.
  const std::string* opened = lzSources_.Find(source);
  if (opened == nullptr) return written;
  const std::optional<std::string> head = ReadHead(*opened, szdd::kHeaderSize);
  if (!head) return platform::kLzErrorRead;
  const auto header = szdd::ParseHeader(*head);
  if (header && header->length != static_cast<std::uint32_t>(written)) return platform::kLzErrorRead;
  return written;
}

void Win32Platform::LzClose(platform::LzFile file) {
  lzSources_.Erase(file);
  Lz().close(static_cast<INT>(file));
}

std::optional<boot::Block> Win32Platform::LzReadAll(platform::LzFile file, std::size_t limit) {
  const INT handle = static_cast<INT>(file);
  // Seeking to the end gives the expanded length, not the stored one.
  const LONG size = Lz().seek(handle, 0, FILE_END);
  if (size < 0 || Lz().seek(handle, 0, FILE_BEGIN) != 0) return std::nullopt;
  std::optional<boot::Block> block = BlockFor(static_cast<unsigned long>(size), limit);
  if (!block) return std::nullopt;
  std::size_t filled = 0;
  while (filled < block->Size()) {
    const INT got = Lz().read(handle, block->Data() + filled, static_cast<INT>(block->Size() - filled));
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  block->Shrink(filled);
  return block;
}

std::optional<std::string> Win32Platform::ExpandedName(const std::string& path) {
  // The library's call opens the file within its 128 characters; the rule
  // it applies to the header is the program's own.
  const std::optional<std::string> head = ReadHead(path, szdd::kHeaderSize);
  if (!head) return std::nullopt;
  return szdd::ExpandedName(path, *head);
}

std::optional<platform::VersionInfo> Win32Platform::FileVersion(platform::Library versionLibrary,
                                                                const std::string& path) {
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  const HMODULE module = As<HMODULE>(versionLibrary);
  const auto size = Entry<SizeFn>(module, "GetFileVersionInfoSizeA");
  const auto info = Entry<InfoFn>(module, "GetFileVersionInfoA");
  const auto query = Entry<QueryFn>(module, "VerQueryValueA");
  if (module == nullptr || !size || !info || !query) return std::nullopt;
  DWORD ignored = 0;
  const DWORD bytes = size(path.c_str(), &ignored);
  std::string buffer(bytes, '\0');
  void* value = nullptr;
  UINT length = 0;
  if (bytes == 0 || !info(path.c_str(), 0, bytes, buffer.data()) ||
      !query(buffer.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  return platform::VersionInfo{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwFileType,
                               fixed->dwFileSubtype};
}

std::uint32_t Win32Platform::InstallFile(platform::Library versionLibrary,
                                         const platform::InstallRequest& request,
                                         std::string& tempName) {
  using InstallFn = DWORD(WINAPI*)(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT);
  const HMODULE module = As<HMODULE>(versionLibrary);
  const auto install = module ? Entry<InstallFn>(module, "VerInstallFileA") : nullptr;
  if (!install) return platform::kVifCannotReadSrc;
  // Room for any name the library may give back, and for the one passed in.
  std::string temp = tempName;
  temp.resize(temp.size() + kPathCapacity, '\0');
  UINT length = static_cast<UINT>(temp.size());
  const DWORD result = install(request.flags, request.sourceName.c_str(), request.destName.c_str(),
                               request.sourceDir.c_str(), request.destDir.c_str(),
                               request.currentDir.c_str(), temp.data(), &length);
  if (result & platform::kVifTempFile) tempName = temp.c_str();
  return result;
}

platform::Library Win32Platform::LoadLibrary(const std::string& path) {
  return Out(::LoadLibraryA(path.c_str()));
}

platform::Library Win32Platform::LoadSystemLibrary(const std::string& name) {
  return Out(::LoadLibraryA(SystemPath(name).c_str()));
}

bool Win32Platform::RestrictLibrarySearch() {
  using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  const auto set = Entry<SetDirectoriesFn>(::GetModuleHandleA("KERNEL32.DLL"), "SetDefaultDllDirectories");
  return set != nullptr && set(kSearchSystem32);
}

void Win32Platform::FreeLibrary(platform::Library library) {
  if (library != 0) ::FreeLibrary(As<HMODULE>(library));
}

platform::Entry Win32Platform::FindEntry(platform::Library library, const char* name, int ordinal) {
  if (library == 0) return 0;
  const HMODULE module = As<HMODULE>(library);
  FARPROC entry = name != nullptr ? ::GetProcAddress(module, name) : nullptr;
  if (entry == nullptr) entry = ::GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<platform::Entry>(reinterpret_cast<void*>(entry));
}

std::intptr_t Win32Platform::CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) {
  using One = LONG_PTR(WINAPI*)(UINT_PTR);
  using Two = LONG_PTR(WINAPI*)(UINT_PTR, UINT_PTR);
  using Four = LONG_PTR(WINAPI*)(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR);
  void* const code = reinterpret_cast<void*>(entry);
  // Every argument takes one stack slot, a WORD too: the count alone
  // decides what the callee pops.
  if (args.size() == 1) return reinterpret_cast<One>(code)(args[0]);
  if (args.size() == 2) return reinterpret_cast<Two>(code)(args[0], args[1]);
  if (args.size() == 4) return reinterpret_cast<Four>(code)(args[0], args[1], args[2], args[3]);
  return 0;
}

Win32Platform::Started Win32Platform::StartProcess(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string line = commandLine;
  Started started;
  started.ok = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info);
  if (!started.ok) {
    started.error = ::GetLastError();
    return started;
  }
  processes_.push_back(info);
  started.process = Out(info.hProcess);
  return started;
}

bool Win32Platform::ProcessEnded(platform::Process process) {
  // A process that cannot be waited for is not waited for for ever.
  return ::WaitForSingleObject(As<HANDLE>(process), 0) != WAIT_TIMEOUT;
}

void Win32Platform::WaitForProcessOrMessage(platform::Process process) {
#ifdef SETUP_BENCH_SPIN
  if (process != 0) return;
#endif
  const HANDLE handle = As<HANDLE>(process);
  ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
}

bool Win32Platform::RegisterWindowClass(platform::Instance instance,
                                        const platform::WindowClass& wc,
                                        platform::WindowProc proc) {
  g_proc = proc;
  WNDCLASSA cls = {};
  cls.style = wc.style;
  cls.lpfnWndProc = Dispatch;
  cls.hInstance = As<HINSTANCE>(instance);
  cls.hIcon = ::LoadIconA(As<HINSTANCE>(instance), wc.icon.c_str());
  cls.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(wc.background));
  cls.lpszClassName = wc.name.c_str();
  return ::RegisterClassA(&cls) != 0;
}

platform::Window Win32Platform::CreateWindow(platform::Instance instance,
                                             const platform::WindowParams& params) {
  return Out(::CreateWindowExA(params.exStyle, params.className.c_str(), params.title.c_str(), params.style,
                               params.x, params.y, params.width, params.height, nullptr, nullptr,
                               As<HINSTANCE>(instance), nullptr));
}

void Win32Platform::ShowWindow(platform::Window window, int command) {
  ::ShowWindow(As<HWND>(window), command);
}

void Win32Platform::UpdateWindow(platform::Window window) { ::UpdateWindow(As<HWND>(window)); }

std::intptr_t Win32Platform::DefWindowProc(platform::Window window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  return ::DefWindowProcA(As<HWND>(window), message, wParam, lParam);
}

bool Win32Platform::SetTimer(platform::Window window, std::uintptr_t id, unsigned ms) {
  return ::SetTimer(As<HWND>(window), id, ms, nullptr) != 0;
}

void Win32Platform::KillTimer(platform::Window window, std::uintptr_t id) {
  ::KillTimer(As<HWND>(window), id);
}

void Win32Platform::PostQuit(int exitCode) { ::PostQuitMessage(exitCode); }

int Win32Platform::RunMessageLoop() {
  MSG msg = {};
  BOOL got;
  while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

void Win32Platform::PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

int Win32Platform::SystemMetric(int index) { return ::GetSystemMetrics(index); }

int Win32Platform::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

platform::Dc Win32Platform::BeginPaint(platform::Window window) {
  PAINTSTRUCT& paint = paints_[As<HWND>(window)];
  return Out(::BeginPaint(As<HWND>(window), &paint));
}

void Win32Platform::EndPaint(platform::Window window, platform::Dc) {
  PAINTSTRUCT* paint = paints_.Find(As<HWND>(window));
  if (paint == nullptr) return;
  ::EndPaint(As<HWND>(window), paint);
  paints_.Erase(As<HWND>(window));
}

void Win32Platform::SetBkMode(platform::Dc dc, int mode) { ::SetBkMode(As<HDC>(dc), mode); }

int Win32Platform::DrawText(platform::Dc dc, const std::string& text, const platform::Rect& box,
                            unsigned format) {
  RECT rect;
  ::SetRect(&rect, box.left, box.top, box.right, box.bottom);
  return ::DrawTextA(As<HDC>(dc), text.c_str(), static_cast<int>(text.size()), &rect, format);
}

bool Win32Platform::DrawIcon(platform::Dc dc, int x, int y, platform::Gdi icon) {
  return ::DrawIcon(As<HDC>(dc), x, y, As<HICON>(icon));
}

platform::Dc Win32Platform::CreateCompatibleDc(platform::Dc dc) {
  return Out(::CreateCompatibleDC(As<HDC>(dc)));
}

platform::Gdi Win32Platform::SelectObject(platform::Dc dc, platform::Gdi object) {
  return Out(::SelectObject(As<HDC>(dc), As<HGDIOBJ>(object)));
}

platform::Gdi Win32Platform::CreateBitmap(const image::Dib& dib) {
  const HDC screen = ::GetDC(nullptr);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.info.data());
  const HBITMAP bitmap =
      ::CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.bits.data(), info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return Out(bitmap);
}

platform::Gdi Win32Platform::CreateIcon(platform::Instance, const image::Icon& icon) {
  ICONINFO parts = {};
  parts.fIcon = TRUE;
  parts.hbmColor = As<HBITMAP>(CreateBitmap(icon.colour));
  parts.hbmMask = ::CreateBitmap(icon.colour.width, icon.colour.height, 1, 1, icon.mask.data());
  const HICON made = parts.hbmColor != nullptr && parts.hbmMask != nullptr ? ::CreateIconIndirect(&parts) : nullptr;
  if (parts.hbmColor != nullptr) ::DeleteObject(parts.hbmColor);
  if (parts.hbmMask != nullptr) ::DeleteObject(parts.hbmMask);
  return Out(made);
}

std::optional<std::pair<int, int>> Win32Platform::BitmapSize(platform::Gdi bitmap) {
  BITMAP info = {};
  if (::GetObjectA(As<HGDIOBJ>(bitmap), sizeof info, &info) == 0) return std::nullopt;
  return std::make_pair(static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight));
}

bool Win32Platform::BitBlt(platform::Dc dc, int x, int y, int width, int height,
                           platform::Dc source, int sx, int sy, std::uint32_t rop) {
  return ::BitBlt(As<HDC>(dc), x, y, width, height, As<HDC>(source), sx, sy, rop);
}

void Win32Platform::DeleteDc(platform::Dc dc) { ::DeleteDC(As<HDC>(dc)); }

void Win32Platform::DeleteObject(platform::Gdi object) { ::DeleteObject(As<HGDIOBJ>(object)); }

}  // namespace win32
