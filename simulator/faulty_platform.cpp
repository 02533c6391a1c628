#include "faulty_platform.h"

#include <algorithm>
#include <stdexcept>

#include "constants.h"
#include "profile_text.h"

namespace host {

std::vector<std::string> FaultyPlatform::CalledOperations() const {
  std::vector<std::string> names;
  for (const auto& [name, count] : calls_) names.push_back(name);
  return names;
}

void FaultyPlatform::FailCall(std::string_view operation, int n, Repeat repeat,
                              std::uint32_t error) {
  if (n < 1) {
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
  if (fails) ++failures_;
  return fails;
}

std::string FaultyPlatform::ReadProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultText,
                                              std::size_t capacity, const std::string& file) {
  // A file that cannot be read gives what a missing one gives.
  if (Fails(__func__)) {
    return profile::ReadString(std::nullopt, section, key, defaultText, capacity);
  }
  return inner_.profiles->ReadProfileString(section, key, defaultText, capacity, file);
}

std::uint32_t FaultyPlatform::ReadProfileInt(const std::string& section, const std::string& key,
                                             int defaultValue, const std::string& file) {
  if (Fails(__func__)) return static_cast<std::uint32_t>(defaultValue);
  return inner_.profiles->ReadProfileInt(section, key, defaultValue, file);
}

bool FaultyPlatform::WriteProfileString(const std::string& section, const std::string& key,
                                        const std::string& value, const std::string& file) {
  return !Fails(__func__) && inner_.profiles->WriteProfileString(section, key, value, file);
}

std::optional<std::uint16_t> FaultyPlatform::NetworkCaps(int index) {
  if (Fails(__func__)) return std::nullopt;
  return inner_.system->NetworkCaps(index);
}

platform::Status FaultyPlatform::CreateProtectedDirectory(const std::string& path,
                                              std::span<const platform::AccessEntry> entries) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->CreateProtectedDirectory(path, entries);
}

platform::Status FaultyPlatform::RemoveDirectory(const std::string& path) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->RemoveDirectory(path);
}

platform::Status FaultyPlatform::SetCurrentDirectory(const std::string& path) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->SetCurrentDirectory(path);
}

platform::Status FaultyPlatform::SetCurrentDrive(int drive) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->SetCurrentDrive(drive);
}

bool FaultyPlatform::FileExists(const std::string& path) {
  return !Fails(__func__) && inner_.files->FileExists(path);
}

platform::Status FaultyPlatform::DeleteFile(const std::string& path) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->DeleteFile(path);
}

platform::Result<std::optional<boot::Block>> FaultyPlatform::ReadFile(const std::string& path, std::size_t limit) {
  if (Fails(__func__)) return {std::nullopt, error_};
  return inner_.files->ReadFile(path, limit);
}

platform::Status FaultyPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->ReplaceFile(from, to);
}

platform::Result<platform::File> FaultyPlatform::OpenForRead(const std::string& path) {
  if (Fails(__func__)) return {0, error_};
  return inner_.files->OpenForRead(path);
}

platform::Result<platform::File> FaultyPlatform::CreateForWrite(const std::string& path) {
  if (Fails(__func__)) return {0, error_};
  return inner_.files->CreateForWrite(path);
}

std::optional<std::string> FaultyPlatform::ReadBytes(platform::File file, std::size_t count) {
  if (Fails(__func__)) return std::nullopt;
  return inner_.files->ReadBytes(file, count);
}

platform::Status FaultyPlatform::WriteBytes(platform::File file, const std::string& bytes) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->WriteBytes(file, bytes);
}

std::optional<platform::SystemTime> FaultyPlatform::LastWriteTime(const std::string& path) {
  if (Fails(__func__)) return std::nullopt;
  return inner_.files->LastWriteTime(path);
}

platform::Result<platform::LzFile> FaultyPlatform::LzOpenRead(const std::string& path) {
  if (Fails(__func__)) return {platform::kLzErrorRead, error_};
  return inner_.lz->LzOpenRead(path);
}

platform::Result<platform::LzFile> FaultyPlatform::LzCreate(const std::string& path) {
  if (Fails(__func__)) return {platform::kLzErrorRead, error_};
  return inner_.lz->LzCreate(path);
}

platform::Result<std::int64_t> FaultyPlatform::LzCopy(platform::LzFile source, platform::LzFile destination) {
  if (Fails(__func__)) return {platform::kLzErrorWrite, error_};
  return inner_.lz->LzCopy(source, destination);
}

platform::Status FaultyPlatform::SetFileLength(platform::File file, std::uint64_t length) {
  if (Fails(__func__)) return {false, error_};
  return inner_.files->SetFileLength(file, length);
}

std::optional<boot::Block> FaultyPlatform::LzReadAll(platform::LzFile file, std::size_t limit) {
  if (Fails(__func__)) return std::nullopt;
  return inner_.lz->LzReadAll(file, limit);
}

std::optional<std::string> FaultyPlatform::ExpandedName(const std::string& path) {
  if (Fails(__func__)) return std::nullopt;
  return inner_.lz->ExpandedName(path);
}

platform::Result<std::optional<platform::VersionInfo>> FaultyPlatform::FileVersion(platform::Library versionLibrary,
                                                                 const std::string& path) {
  if (Fails(__func__)) return {std::nullopt, error_};
  return inner_.versions->FileVersion(versionLibrary, path);
}

// A failed install has touched nothing, as when its source cannot be read:
// no temporary file is left and `tempName` keeps what it held.
std::uint32_t FaultyPlatform::InstallFile(platform::Library versionLibrary,
                                          const platform::InstallRequest& request,
                                          std::string& tempName) {
  if (Fails(__func__)) return platform::kVifCannotReadSrc;
  return inner_.versions->InstallFile(versionLibrary, request, tempName);
}

platform::Library FaultyPlatform::LoadLibrary(const std::string& path) {
  return Fails(__func__) ? 0 : inner_.libraries->LoadLibrary(path);
}

platform::Library FaultyPlatform::LoadSystemLibrary(const std::string& name) {
  return Fails(__func__) ? 0 : inner_.libraries->LoadSystemLibrary(name);
}

bool FaultyPlatform::RestrictLibrarySearch() {
  return !Fails(__func__) && inner_.libraries->RestrictLibrarySearch();
}

FaultyPlatform::Started FaultyPlatform::StartProcess(const std::string& commandLine) {
  if (Fails(__func__)) return Started{false, 0, error_};
  return inner_.processes->StartProcess(commandLine);
}

platform::Entry FaultyPlatform::FindEntry(platform::Library library, const char* name, int ordinal) {
  return Fails(__func__) ? 0 : inner_.libraries->FindEntry(library, name, ordinal);
}

std::intptr_t FaultyPlatform::CallEntry(platform::Entry entry, std::span<const std::uintptr_t> args) {
  return Fails(__func__) ? 0 : inner_.libraries->CallEntry(entry, args);
}

void FaultyPlatform::WaitForProcessOrMessage(platform::Process process) {
  inner_.processes->WaitForProcessOrMessage(process);
}

bool FaultyPlatform::ProcessEnded(platform::Process process) {
  // A wait that fails reports the process as ended, as the real backend does.
  return Fails(__func__) || inner_.processes->ProcessEnded(process);
}

bool FaultyPlatform::RegisterWindowClass(platform::Instance instance,
                                         const platform::WindowClass& wc,
                                         platform::WindowProc proc) {
  return !Fails(__func__) && inner_.windows->RegisterWindowClass(instance, wc, proc);
}

platform::Window FaultyPlatform::CreateWindow(platform::Instance instance,
                                              const platform::WindowParams& params) {
  return Fails(__func__) ? 0 : inner_.windows->CreateWindow(instance, params);
}

bool FaultyPlatform::SetTimer(platform::Window window, std::uintptr_t id, unsigned ms) {
  return !Fails(__func__) && inner_.windows->SetTimer(window, id, ms);
}

int FaultyPlatform::MessageBox(const std::string& text, const std::string& caption,
                               unsigned type) {
  return Fails(__func__) ? 0 : inner_.windows->MessageBox(text, caption, type);
}

platform::Gdi FaultyPlatform::CreateBitmap(const image::Dib& dib) {
  return Fails(__func__) ? 0 : inner_.painting->CreateBitmap(dib);
}

platform::Gdi FaultyPlatform::CreateIcon(platform::Instance instance, const image::Icon& icon) {
  return Fails(__func__) ? 0 : inner_.painting->CreateIcon(instance, icon);
}

}  // namespace host
