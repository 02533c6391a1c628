#include "win32_backend.h"

#include <direct.h>

#include "constants.h"
#include "win32_common.h"

namespace win32 {
namespace {

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

}  // namespace


platform::Status Win32FileSystem::CreateProtectedDirectory(
    const std::string& path, std::span<const platform::AccessEntry> entries) {
  const AccessCalls calls;
  if (!calls.Ready()) return Checked(::CreateDirectoryA(path.c_str(), nullptr));
  const std::optional<std::string> user = calls.UserSid();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!user || !calls.descriptor(DescriptorText(entries, *user).c_str(), AccessCalls::kSddlRevision,
                                 &descriptor, nullptr)) {
    return Checked(FALSE);
  }
  const LocalMemory freed(descriptor);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  return Checked(::CreateDirectoryA(path.c_str(), &attributes));
}

platform::Status Win32FileSystem::RemoveDirectory(const std::string& path) {
  return Checked(::RemoveDirectoryA(path.c_str()));
}

platform::Status Win32FileSystem::SetCurrentDirectory(const std::string& path) {
  return Checked(::SetCurrentDirectoryA(path.c_str()));
}

platform::Status Win32FileSystem::SetCurrentDrive(int drive) { return Checked(_chdrive(drive) == 0); }

bool Win32FileSystem::FileExists(const std::string& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::DirectoryExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

platform::Status Win32FileSystem::DeleteFile(const std::string& path) {
  if (path.empty()) ::SetLastError(ERROR_PATH_NOT_FOUND);
  return Checked(!path.empty() && ::DeleteFileA(path.c_str()));
}

platform::Result<std::optional<boot::Block>> Win32FileSystem::ReadFile(const std::string& path,
                                                                       std::size_t limit) {
  std::optional<boot::Block> content = ReadWhole(path, limit);
  const bool failed = !content;
  return Returned(std::move(content), failed);
}

std::optional<boot::Block> Win32FileSystem::ReadWhole(const std::string& path, std::size_t limit) {
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

platform::Status Win32FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  return Checked(::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
}

platform::Result<platform::File> Win32FileSystem::OpenForRead(const std::string& path) {
  const platform::File file = OpenPlain(path);
  return Returned(file, file == 0);
}

platform::Result<platform::File> Win32FileSystem::CreateForWrite(const std::string& path) {
  const platform::File file = CreatePlain(path);
  return Returned(file, file == 0);
}

std::optional<std::string> Win32FileSystem::ReadBytes(platform::File file, std::size_t count) {
  std::string bytes(count, '\0');
  DWORD got = 0;
  if (!::ReadFile(As<HANDLE>(file), bytes.data(), static_cast<DWORD>(count), &got, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(got);
  return bytes;
}

platform::Status Win32FileSystem::WriteBytes(platform::File file, const std::string& bytes) {
  DWORD written = 0;
  return Checked(::WriteFile(As<HANDLE>(file), bytes.data(), static_cast<DWORD>(bytes.size()),
                             &written, nullptr) &&
                 written == bytes.size());
}

platform::Status Win32FileSystem::SetFileLength(platform::File file, std::uint64_t length) {
  LARGE_INTEGER position = {};
  position.QuadPart = static_cast<LONGLONG>(length);
  return Checked(::SetFilePointerEx(As<HANDLE>(file), position, nullptr, FILE_BEGIN) &&
                 ::SetEndOfFile(As<HANDLE>(file)));
}

void Win32FileSystem::CloseFile(platform::File file) { ClosePlain(file); }

std::optional<platform::SystemTime> Win32FileSystem::LastWriteTime(const std::string& path) {
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

}  // namespace win32
