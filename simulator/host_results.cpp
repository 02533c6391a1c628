// The seam's results of the simulated machine: each operation as the
// machine does it, with the error code it recorded when it failed.
#include "host_machine.h"

namespace host {

platform::Status HostMachine::CreateProtectedDirectory(
    const std::string& path, std::span<const platform::AccessEntry> entries) {
  return Reported(DoCreateProtectedDirectory(path, entries));
}

platform::Status HostMachine::RemoveDirectory(const std::string& path) {
  return Reported(DoRemoveDirectory(path));
}

platform::Status HostMachine::SetCurrentDirectory(const std::string& path) {
  return Reported(DoSetCurrentDirectory(path));
}

platform::Status HostMachine::SetCurrentDrive(int drive) {
  return Reported(DoSetCurrentDrive(drive));
}

platform::Status HostMachine::DeleteFile(const std::string& path) {
  return Reported(DoDeleteFile(path));
}

platform::Status HostMachine::ReplaceFile(const std::string& from, const std::string& to) {
  return Reported(DoReplaceFile(from, to));
}

platform::Status HostMachine::WriteBytes(platform::File file, const std::string& bytes) {
  return Reported(DoWriteBytes(file, bytes));
}

platform::Status HostMachine::SetFileLength(platform::File file, std::uint64_t length) {
  return Reported(DoSetFileLength(file, length));
}

platform::Result<std::optional<boot::Block>> HostMachine::ReadFile(const std::string& path,
                                                                   std::size_t limit) {
  auto value = DoReadFile(path, limit);
  const bool failed = !value;
  return Reported(std::move(value), failed);
}

platform::Result<platform::File> HostMachine::OpenForRead(const std::string& path) {
  auto value = DoOpenForRead(path);
  const bool failed = value == 0;
  return Reported(std::move(value), failed);
}

platform::Result<platform::File> HostMachine::CreateForWrite(const std::string& path) {
  auto value = DoCreateForWrite(path);
  const bool failed = value == 0;
  return Reported(std::move(value), failed);
}

platform::Result<platform::LzFile> HostMachine::LzOpenRead(const std::string& path) {
  auto value = DoLzOpenRead(path);
  const bool failed = value < 0;
  return Reported(std::move(value), failed);
}

platform::Result<platform::LzFile> HostMachine::LzCreate(const std::string& path) {
  auto value = DoLzCreate(path);
  const bool failed = value < 0;
  return Reported(std::move(value), failed);
}

platform::Result<std::int64_t> HostMachine::LzCopy(platform::LzFile source,
                                                   platform::LzFile destination) {
  auto value = DoLzCopy(source, destination);
  const bool failed = value < 0;
  return Reported(std::move(value), failed);
}

platform::Result<std::optional<platform::VersionInfo>> HostMachine::FileVersion(
    platform::Library versionLibrary, const std::string& path) {
  auto value = DoFileVersion(versionLibrary, path);
  const bool failed = !value;
  return Reported(std::move(value), failed);
}

}  // namespace host
