#include "faulty_platform.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "constants.h"
#include "profile_text.h"

namespace host {
namespace {

constexpr std::array<std::string_view, 39> kOperations = {
    "ReadProfileString", "ReadProfileInt", "WriteProfileString", "NetworkCaps",
    "CreateDirectory", "CreateProtectedDirectory", "RemoveDirectory", "SetCurrentDirectory",
    "SetCurrentDrive", "FileExists", "DeleteFile", "ReadFile",
    "ReplaceFile", "OpenForRead", "CreateForWrite", "ReadBytes",
    "WriteBytes", "SetFileLength", "LastWriteTime", "LzOpenRead", "LzCreate",
    "LzCopy", "LzReadAll", "ExpandedName", "FileVersion", "InstallFile",
    "LoadLibrary", "LoadSystemLibrary", "RestrictLibrarySearch", "FindEntry", "CallEntry",
    "StartProcess", "ProcessEnded", "RegisterWindowClass", "CreateWindow",
    "SetTimer", "MessageBox", "CreateBitmap", "CreateIcon"};

bool IsOperation(std::string_view name) {
  return std::find(kOperations.begin(), kOperations.end(), name) != kOperations.end();
}

}  // namespace

std::span<const std::string_view> FaultyPlatform::Operations() { return kOperations; }

void FaultyPlatform::FailCall(std::string_view operation, int n, Repeat repeat,
                              std::uint32_t error) {
  if (!IsOperation(operation) || n < 1) {
    throw std::invalid_argument("no call " + std::to_string(n) + " of " +
                                std::string(operation) + " can be made to fail");
  }
  target_ = operation;
  n_ = n;
  repeat_ = repeat;
  error_ = error;
}

int FaultyPlatform::Calls(std::string_view operation) const {
  const auto found = calls_.find(operation);
  return found == calls_.end() ? 0 : found->second;
}

bool FaultyPlatform::Fails(std::string_view operation) {
  auto count = calls_.find(operation);
  if (count == calls_.end()) count = calls_.emplace(std::string(operation), 0).first;
  const int call = ++count->second;
  const bool fails = operation == target_ &&
                     (call == n_ || (repeat_ == Repeat::kFromThenOn && call > n_));
  // A forwarded call leaves the wrapped platform's own error.
  injected_.reset();
  if (fails) {
    injected_ = error_;
    ++failures_;
  }
  return fails;
}

std::string FaultyPlatform::ReadProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultText,
                                              std::size_t capacity, const std::string& file) {
  // A file that cannot be read gives what a missing one gives.
  if (Fails("ReadProfileString")) {
    return profile::ReadString(std::nullopt, section, key, defaultText, capacity);
  }
  return inner_.ReadProfileString(section, key, defaultText, capacity, file);
}

std::uint32_t FaultyPlatform::ReadProfileInt(const std::string& section, const std::string& key,
                                             int defaultValue, const std::string& file) {
  if (Fails("ReadProfileInt")) return static_cast<std::uint32_t>(defaultValue);
  return inner_.ReadProfileInt(section, key, defaultValue, file);
}

bool FaultyPlatform::WriteProfileString(const std::string& section, const std::string& key,
                                        const std::string& value, const std::string& file) {
  return !Fails("WriteProfileString") && inner_.WriteProfileString(section, key, value, file);
}

std::optional<std::uint16_t> FaultyPlatform::NetworkCaps(int index) {
  if (Fails("NetworkCaps")) return std::nullopt;
  return inner_.NetworkCaps(index);
}

bool FaultyPlatform::CreateDirectory(const std::string& path) {
  return !Fails("CreateDirectory") && inner_.CreateDirectory(path);
}

bool FaultyPlatform::CreateProtectedDirectory(const std::string& path,
                                              std::span<const platform::AccessEntry> entries) {
  return !Fails("CreateProtectedDirectory") && inner_.CreateProtectedDirectory(path, entries);
}

bool FaultyPlatform::RemoveDirectory(const std::string& path) {
  return !Fails("RemoveDirectory") && inner_.RemoveDirectory(path);
}

bool FaultyPlatform::SetCurrentDirectory(const std::string& path) {
  return !Fails("SetCurrentDirectory") && inner_.SetCurrentDirectory(path);
}

bool FaultyPlatform::SetCurrentDrive(int drive) {
  return !Fails("SetCurrentDrive") && inner_.SetCurrentDrive(drive);
}

bool FaultyPlatform::FileExists(const std::string& path) {
  return !Fails("FileExists") && inner_.FileExists(path);
}

bool FaultyPlatform::DeleteFile(const std::string& path) {
  return !Fails("DeleteFile") && inner_.DeleteFile(path);
}

std::optional<boot::Block> FaultyPlatform::ReadFile(const std::string& path, std::size_t limit) {
  if (Fails("ReadFile")) return std::nullopt;
  return inner_.ReadFile(path, limit);
}

bool FaultyPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  return !Fails("ReplaceFile") && inner_.ReplaceFile(from, to);
}

platform::File FaultyPlatform::OpenForRead(const std::string& path) {
  return Fails("OpenForRead") ? 0 : inner_.OpenForRead(path);
}

platform::File FaultyPlatform::CreateForWrite(const std::string& path) {
  return Fails("CreateForWrite") ? 0 : inner_.CreateForWrite(path);
}

std::optional<std::string> FaultyPlatform::ReadBytes(platform::File file, std::size_t count) {
  if (Fails("ReadBytes")) return std::nullopt;
  return inner_.ReadBytes(file, count);
}

bool FaultyPlatform::WriteBytes(platform::File file, const std::string& bytes) {
  return !Fails("WriteBytes") && inner_.WriteBytes(file, bytes);
}

std::optional<platform::SystemTime> FaultyPlatform::LastWriteTime(const std::string& path) {
  if (Fails("LastWriteTime")) return std::nullopt;
  return inner_.LastWriteTime(path);
}

platform::LzFile FaultyPlatform::LzOpenRead(const std::string& path) {
  return Fails("LzOpenRead") ? platform::kLzErrorRead : inner_.LzOpenRead(path);
}

platform::LzFile FaultyPlatform::LzCreate(const std::string& path) {
  return Fails("LzCreate") ? platform::kLzErrorRead : inner_.LzCreate(path);
}

std::int64_t FaultyPlatform::LzCopy(platform::LzFile source, platform::LzFile destination) {
  return Fails("LzCopy") ? platform::kLzErrorWrite : inner_.LzCopy(source, destination);
}

bool FaultyPlatform::SetFileLength(platform::File file, std::uint64_t length) {
  return !Fails("SetFileLength") && inner_.SetFileLength(file, length);
}

std::optional<boot::Block> FaultyPlatform::LzReadAll(platform::LzFile file, std::size_t limit) {
  if (Fails("LzReadAll")) return std::nullopt;
  return inner_.LzReadAll(file, limit);
}

std::optional<std::string> FaultyPlatform::ExpandedName(const std::string& path) {
  if (Fails("ExpandedName")) return std::nullopt;
  return inner_.ExpandedName(path);
}

std::optional<platform::VersionInfo> FaultyPlatform::FileVersion(platform::Library versionLibrary,
                                                                 const std::string& path) {
  if (Fails("FileVersion")) return std::nullopt;
  return inner_.FileVersion(versionLibrary, path);
}

// A failed install has touched nothing, as when its source cannot be read:
// no temporary file is left and `tempName` keeps what it held.
std::uint32_t FaultyPlatform::InstallFile(platform::Library versionLibrary,
                                          const platform::InstallRequest& request,
                                          std::string& tempName) {
  if (Fails("InstallFile")) return platform::kVifCannotReadSrc;
  return inner_.InstallFile(versionLibrary, request, tempName);
}

platform::Library FaultyPlatform::LoadLibrary(const std::string& path) {
  return Fails("LoadLibrary") ? 0 : inner_.LoadLibrary(path);
}

platform::Library FaultyPlatform::LoadSystemLibrary(const std::string& name) {
  return Fails("LoadSystemLibrary") ? 0 : inner_.LoadSystemLibrary(name);
}

bool FaultyPlatform::RestrictLibrarySearch() {
  return !Fails("RestrictLibrarySearch") && inner_.RestrictLibrarySearch();
}

FaultyPlatform::Started FaultyPlatform::StartProcess(const std::string& commandLine) {
  if (Fails("StartProcess")) return Started{false, 0, error_};
  return inner_.StartProcess(commandLine);
}

platform::Entry FaultyPlatform::FindEntry(platform::Library library, const char* name, int ordinal) {
  return Fails("FindEntry") ? 0 : inner_.FindEntry(library, name, ordinal);
}

std::intptr_t FaultyPlatform::CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) {
  return Fails("CallEntry") ? 0 : inner_.CallEntry(entry, args);
}

void FaultyPlatform::WaitForProcessOrMessage(platform::Process process) {
  inner_.WaitForProcessOrMessage(process);
}

bool FaultyPlatform::ProcessEnded(platform::Process process) {
  // A wait that fails reports the process as ended, as the real backend does.
  return Fails("ProcessEnded") || inner_.ProcessEnded(process);
}

bool FaultyPlatform::RegisterWindowClass(platform::Instance instance,
                                         const platform::WindowClass& wc,
                                         platform::WindowProc proc) {
  return !Fails("RegisterWindowClass") && inner_.RegisterWindowClass(instance, wc, proc);
}

platform::Window FaultyPlatform::CreateWindow(platform::Instance instance,
                                              const platform::WindowParams& params) {
  return Fails("CreateWindow") ? 0 : inner_.CreateWindow(instance, params);
}

bool FaultyPlatform::SetTimer(platform::Window window, std::uintptr_t id, unsigned ms) {
  return !Fails("SetTimer") && inner_.SetTimer(window, id, ms);
}

int FaultyPlatform::MessageBox(const std::string& text, const std::string& caption,
                               unsigned type) {
  return Fails("MessageBox") ? 0 : inner_.MessageBox(text, caption, type);
}

platform::Gdi FaultyPlatform::CreateBitmap(const image::Dib& dib) {
  return Fails("CreateBitmap") ? 0 : inner_.CreateBitmap(dib);
}

platform::Gdi FaultyPlatform::CreateIcon(platform::Instance instance, const image::Icon& icon) {
  return Fails("CreateIcon") ? 0 : inner_.CreateIcon(instance, icon);
}

}  // namespace host
