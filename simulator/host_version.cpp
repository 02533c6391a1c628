// The simulated machine's version library: version information read from
// the files' own version resources, and installing by version as the
// platform's library does it.
#include <cstdio>
#include <system_error>

#include "constants.h"
#include "host_machine.h"
#include "tree_io.h"

namespace fs = std::filesystem;

namespace host {
namespace {

using namespace platform;

// The fixed part of a version resource, and the longest path (with its
// end) of the open-file structure through which the library opens its
// source and creates its copy.
constexpr std::uint32_t kFixedInfoSize = 52;
constexpr std::size_t kOpenFilePath = 128;

std::string InDirectory(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory.back() == '\\' ? directory + name : directory + "\\" + name;
}

std::string DestinationDirectory(const InstallRequest& request) {
  return request.destDir.empty() ? request.sourceDir : request.destDir;
}

std::string FileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// The cause bit of a failed act. A write-protected medium counts as denied
// access, not as sharing: like error 5 it will not pass by waiting, only
// by changing the disk, and the caller should not treat it as a file in use.
std::uint32_t CauseBits(std::uint32_t error) {
  if (error == kErrorAccessDenied || error == kErrorWriteProtect) return kVifAccessViolation;
  if (error == kErrorSharingViolation) return kVifSharingViolation;
  return 0;
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// An LZ handle of the machine, closed when it goes out of scope, so that
// the files it holds are free again for deleting and renaming.
class LzHandle {
 public:
  LzHandle(HostMachine& machine, LzFile file) : machine_(machine), file_(file) {}
  ~LzHandle() {
    if (file_ >= 0) machine_.LzClose(file_);
  }
  LzHandle(const LzHandle&) = delete;
  LzHandle& operator=(const LzHandle&) = delete;
  LzFile File() const { return file_; }

 private:
  HostMachine& machine_;
  LzFile file_;
};

}  // namespace

std::optional<VersionInfo> HostMachine::DoFileVersion(Library versionLibrary,
                                                    const std::string& path) {
  if (!libraries_.Loaded(versionLibrary)) {
    Refuse(kErrorInvalidHandle);
    return std::nullopt;
  }
  const std::optional<std::string> content = ReadWhole(path);
  if (!content) return std::nullopt;
  // Only images carry the resource: a compressed file has none, as the
  // library maps files as images rather than expanding them. Like the
  // backend, a value too short for the fixed part counts as none.
  std::uint32_t valueLength = 0;
  std::optional<VersionInfo> info = pe::ReadFixedFileInfoAsLibrary(*content, valueLength);
  if (!info || valueLength < kFixedInfoSize) {
    Refuse(kErrorResourceDataNotFound);
    return std::nullopt;
  }
  return info;
}

std::optional<VersionInfo> HostMachine::VersionOf(const Target& target) const {
  if (target.device) return std::nullopt;
  const std::optional<std::string> content = ReadHostFile(target.host);
  std::uint32_t valueLength = 0;
  return content ? pe::ReadFixedFileInfoAsLibrary(*content, valueLength) : std::nullopt;
}

std::uint32_t HostMachine::InstallFile(Library versionLibrary, const InstallRequest& request,
                                       std::string& tempName) {
  // Without the library's entry nothing is read, let alone installed.
  const std::uint32_t result =
      libraries_.Loaded(versionLibrary) ? Install(request, tempName) : kVifCannotReadSrc;
  Note("install " + InDirectory(request.sourceDir, request.sourceName) + " -> " +
       InDirectory(DestinationDirectory(request), request.destName) + " result=" + Hex(result));
  return result;
}

// Every refusal leaves the old file as it was; a kept temporary file is
// the caller's to use or delete. `tempName` has no capacity, so the
// platform's "buffer too small" result cannot arise.
std::uint32_t HostMachine::Install(const InstallRequest& request, std::string& tempName) {
  if (request.sourceName.empty()) return kVifCannotReadSrc;
  const Target destination = Locate(InDirectory(DestinationDirectory(request), request.destName));
  Target temp;
  if (const std::uint32_t failed = MakeTemp(request, destination, tempName, temp)) return failed;
  // A file the system itself uses is replaced only on restart, from the
  // temporary copy.
  std::uint32_t bits = faults_.InUse(destination.key) ? kVifFileInUse : 0;
  if ((request.flags & kViffForceInstall) == 0) bits |= Compare(destination, temp);
  if (bits == 0) return Replace(request, temp, destination);
  tempName = FileName(temp.path);
  return bits | kVifTempFile;
}

std::uint32_t HostMachine::MakeTemp(const InstallRequest& request, const Target& destination,
                                    const std::string& tempName, Target& temp) {
  const std::string sourcePath = InDirectory(request.sourceDir, request.sourceName);
  if (sourcePath.size() >= kOpenFilePath) return kVifCannotReadSrc;
  const LzHandle source(*this, DoLzOpenRead(sourcePath));
  if (source.File() < 0) return kVifCannotReadSrc;
  if (IsReadOnly(destination)) return kVifWriteProt;
  const std::string directory = DestinationDirectory(request);
  // Only a plain name: the kept file lies in the destination directory.
  const bool plain = tempName.find_first_of("\\/:") == std::string::npos;
  if ((request.flags & kViffForceInstall) != 0 && !tempName.empty() && plain) {
    temp = Locate(InDirectory(directory, tempName));
    if (!temp.device && ReadRefusal(temp) == 0) return 0;
  }
  const std::optional<Target> free = FreeTempName(directory);
  if (!free) return kVifCannotCreate;
  temp = *free;
  return CopyToTemp(source.File(), temp);
}

// "verXXXX.tmp": numbered from the machine's counter, skipping names taken.
std::optional<Target> HostMachine::FreeTempName(const std::string& directory) {
  for (unsigned tries = 0; tries < 0xFFFF; ++tries) {
    char name[16];
    std::snprintf(name, sizeof name, "ver%04X.tmp", nextTemp_);
    nextTemp_ = nextTemp_ % 0xFFFF + 1;
    Target target = Locate(InDirectory(directory, name));
    if (!Exists(target.host)) return target;
  }
  return std::nullopt;
}

std::uint32_t HostMachine::CopyToTemp(LzFile source, const Target& temp) {
  // The name is reserved by an empty file before the library opens it.
  if (temp.path.size() >= kOpenFilePath) {
    WriteWholeFile(temp, "");
    return kVifCannotCreate;
  }
  std::uint32_t bits = 0;
  {
    const LzHandle out(*this, DoLzCreate(temp.path));
    if (out.File() < 0) return kVifCannotCreate | CauseBits(lastError_);
    Note("write " + temp.path);
    const std::int64_t copied = Expand(source, out.File(), false);
    if (copied >= 0) return 0;
    const bool writing = copied == kLzErrorWrite || copied == kLzErrorBadOutHandle;
    bits = writing ? kVifOutOfSpace : kVifCannotReadSrc;
  }
  // Part of a file is of no use to anyone: it goes, and only the cause is told.
  DeleteFile(temp.path);
  return bits;
}

// Only a versioned destination can object to the new file.
std::uint32_t HostMachine::Compare(const Target& destination, const Target& temp) const {
  const std::optional<VersionInfo> old = VersionOf(destination);
  if (!old) return 0;
  const std::optional<VersionInfo> fresh = VersionOf(temp);
  if (!fresh) return kVifMismatch | kVifSrcOld;
  std::uint32_t bits = 0;
  if (old->FileVersion() > fresh->FileVersion()) bits |= kVifMismatch | kVifSrcOld;
  if (old->fileType != fresh->fileType || old->fileSubtype != fresh->fileSubtype) {
    bits |= kVifMismatch | kVifDiffType;
  }
  return bits;
}

std::uint32_t HostMachine::Replace(const InstallRequest& request, const Target& temp,
                                   const Target& destination) {
  if ((destination.device || Exists(destination.host)) && !DeleteFile(destination.path)) {
    const std::uint32_t bits = kVifCannotDelete | CauseBits(lastError_);
    DeleteFile(temp.path);
    return bits;
  }
  std::uint32_t bits = 0;
  const bool elsewhere = !request.currentDir.empty() &&
                         Locate(request.currentDir).key != Locate(DestinationDirectory(request)).key;
  if ((request.flags & kViffDontDeleteOld) == 0 && elsewhere) {
    const Target current = Locate(InDirectory(request.currentDir, request.destName));
    if (Exists(current.host) && !DeleteFile(current.path)) {
      bits |= kVifCannotDeleteCur | CauseBits(lastError_);
    }
  }
  if (!ReplaceFile(temp.path, destination.path)) {
    bits |= kVifCannotRename | CauseBits(lastError_);
    DeleteFile(temp.path);
  }
  return bits;
}

}  // namespace host
