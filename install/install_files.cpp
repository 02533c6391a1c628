#include "install_files.h"

#include <cstdint>

#include "constants.h"
#include "os_owned.h"
#include "expand_copy.h"
#include "file_names.h"
#include "settings.h"
#include "setup_list.h"
#include "setup_log.h"
#include "source_media.h"
#include "string_ids.h"
#include "szdd.h"
#include "text.h"
#include "version_texts.h"

namespace boot {
namespace {

// A record without a source name reads the compressed form of its
// destination name: VER.DLL from VER.DL_.
std::string SourceName(const FileRecord& record) {
  if (!record.sourceName.empty()) return record.sourceName;
  std::string name = record.destName;
  name.back() = '_';
  return name;
}

// A registry file is imported by its whole path, beside the file this
// record installed: REGEDIT would look for a bare name in the setup
// directory and import whatever another product left there.
void AddRegistration(BootState& state, const FileRecord& record, const std::string& destDir,
                     const std::string& destination) {
  const std::string& field = record.registration;
  const RegisterKind kind = RegisterKindOf(field);
  if (kind == RegisterKind::kNone) return;
  const bool registryFile = kind == RegisterKind::kRegistryFile;
  state.registrations.push_back({kind, registryFile ? destDir + field : destination, field});
}

// What the version method reads a compressed source from. The version
// library would install a stream that ends early without a word and reads
// no version from a compressed file, so the expansion is checked first:
// in memory, or for a file too large for that or whose path is too long
// for the library, expanded beside the destination (deleted when the
// record is done).
class ExpandedSource {
 public:
  explicit ExpandedSource(platform::FileSystem& files) : files_(files) {}
  ExpandedSource(const ExpandedSource&) = delete;
  ExpandedSource& operator=(const ExpandedSource&) = delete;
  ~ExpandedSource() {
    if (!staged.empty()) files_.DeleteFile(staged);
  }
  SourcePlace From(const SourcePlace& source, const std::string& destDir) const {
    return staged.empty() ? source : SourcePlace{destDir, staged.substr(destDir.size())};
  }

  std::string staged;
  std::optional<Block> content;

 private:
  platform::FileSystem& files_;
};

std::optional<szdd::Header> CompressedHeader(platform::FileSystem& files, const std::string& path) {
  const platform::OwnedFile file(files, files.OpenForRead(path).value);
  if (!file) return std::nullopt;
  const std::optional<std::string> head = files.ReadBytes(file.Get(), szdd::kHeaderSize);
  return head ? szdd::ParseHeader(*head) : std::nullopt;
}

std::optional<Block> ReadExpansion(platform::LzFiles& lz, const std::string& path) {
  const platform::OwnedLzFile file(lz, lz.LzOpenRead(path).value);
  if (!file) return std::nullopt;
  return lz.LzReadAll(file.Get(), kWholeFileLimit);
}

struct Decision {
  bool install;
  const char* status;  // why not, for the log
};

Decision CompareWithSource(BootState& state, const std::string& source, const std::string& versionSource,
                           const std::optional<Block>& expansion, const VersionTexts& destVersion,
                           const std::string& destDate) {
  const VersionTexts sourceVersion = GetSourceVersionText(state, versionSource, expansion);
  if (destVersion.Has()) {
    if (!sourceVersion.Has()) return {false, logged::kNoSourceVersion};
    return {sourceVersion.number > destVersion.number, logged::kNotNewerVersion};
  }
  if (sourceVersion.Has()) return {true, nullptr};
  return {GetFileDateText(state, source) > destDate, logged::kNotNewerDate};
}

// The detail of an install result that no other text describes: each
// name carries its own blank, and one more stands between the four.
std::string ResultNames(std::uint32_t result) {
  const auto name = [result](std::uint32_t bit, const char* text) { return (result & bit) != 0 ? text : ""; };
  return std::string(name(platform::kVifWriteProt, "VIF_WRITEPROT ")) + " " +
         name(platform::kVifSharingViolation, "VIF_SHARINGVIOLATION ") + " " +
         name(platform::kVifOutOfMemory, "VIF_OUTOFMEMORY ") + " " +
         name(platform::kVifCannotReadDst, "VIF_CANNOTREADDST ");
}

struct InstallError {
  std::string detail;
  std::string status;
  bool general = false;
};

InstallError DescribeInstallError(const BootState& state, std::uint32_t result) {
  if ((result & platform::kVifFileInUse) != 0) return {LoadText(state, ids::kFileInUse), logged::kInUse};
  if ((result & platform::kVifOutOfSpace) != 0) return {LoadText(state, ids::kOutOfDiskSpace), logged::kOutOfSpace};
  if ((result & platform::kVifAccessViolation) != 0) {
    return {LoadText(state, ids::kWriteProtected), logged::kWriteProtected};
  }
  const std::string names = ResultNames(result);
  return {names, names, true};
}

// The install-error box of the version method; the answer.
int AskAfterVersionInstall(BootState& state, const std::string& source, const std::string& destination,
                           const InstallError& error) {
  const std::string detail = error.general ? LoadText(state, ids::kGeneralCopyError) + error.detail : error.detail;
  const int answer = ShowInstallError(state, source, destination, detail, state.list.installOtherText);
  WriteLogEntry(state, destination, error.status);
  return answer;
}

enum class Outcome { kDone, kSkipped, kStopped };

// Checks that a compressed source expands whole; one too large to hold in
// memory is expanded beside the destination. A source that does not
// expand whole, or a destination that cannot take the expansion, is
// reported as the other methods report it and keeps the main setup
// program from starting.
Outcome ExpandForVersions(BootState& state, const std::string& source, const std::string& destination,
                          ExpandedSource& expanded) {
  const std::optional<szdd::Header> header = CompressedHeader(*state.Os().files, source);
  // A path too long for the version library's own open is staged too.
  const bool reachable = source.size() <= platform::kLongestInstallSource;
  if (!header && reachable) return Outcome::kDone;
  int answer = platform::kIdIgnore;
  if (header && reachable && header->length <= kWholeFileLimit) {
    expanded.content = ReadExpansion(*state.Os().lz, source);
    if (expanded.content && expanded.content->Size() == header->length) return Outcome::kDone;
    ReportExpansionError(state, source, destination);
  } else if (ExpandCopyAsking(state, source, destination, true, answer, &expanded.staged) == CopyOutcome::kCopied) {
    return Outcome::kDone;
  }
  state.installFailed = true;
  return answer == platform::kIdIgnore ? Outcome::kSkipped : Outcome::kStopped;
}

// The install loop of the version method, from `from`; boxes name the
// media's `source`. False when the run ends.
bool InstallByVersion(BootState& state, const FileRecord& record, const SourcePlace& source,
                      const SourcePlace& from, const std::string& destDir) {
  const std::string destination = destDir + record.destName;
  while (true) {
    const std::uint32_t result = VersionInstall(state, from.dir, from.name, destDir, record.destName);
    if (result == 0) {
      NoteWritten(state, destination);
      WriteLogEntry(state, destination, logged::kInstalled);
      AddRegistration(state, record, destDir, destination);
      return true;
    }
    const bool inUse = (result & platform::kVifFileInUse) != 0;
    if (inUse && record.skipIfInUse == 1) {
      WriteLogEntry(state, destination, logged::kInUseSkipped);
      return true;
    }
    const bool described = (result & (platform::kVifFileInUse | platform::kVifOutOfSpace |
                                      platform::kVifAccessViolation)) != 0;
    if (!described && (result & platform::kVifCannotReadSrc) != 0) {
      ReportCopyError(state, source.Path(), destination);
      return false;
    }
    const int answer = AskAfterVersionInstall(state, source.Path(), destination, DescribeInstallError(state, result));
    if (answer != platform::kIdRetry) return answer == platform::kIdIgnore;
  }
}

// The version method: the decision table, then the install loop. False
// when the run ends.
bool InstallWithVersions(BootState& state, const FileRecord& record, const SourcePlace& source,
                         const std::string& destDir) {
  const std::string destination = destDir + record.destName;
  const std::string destDate = GetFileDateText(state, destination);
  const VersionTexts destVersion = destDate.empty() ? VersionTexts{} : GetFileVersionText(state, destination);
  if (!destDate.empty() && !record.version.empty() && record.version == destVersion.plain) {
    WriteLogEntry(state, destination, logged::kSameVersion);
    return true;
  }
  ExpandedSource expanded(*state.Os().files);
  const Outcome expansion = ExpandForVersions(state, source.Path(), destination, expanded);
  if (expansion != Outcome::kDone) return expansion == Outcome::kSkipped;
  const SourcePlace from = expanded.From(source, destDir);
  if (!destDate.empty()) {
    const Decision decision = CompareWithSource(state, source.Path(), from.Path(), expanded.content, destVersion, destDate);
    if (!decision.install) {
      WriteLogEntry(state, destination, decision.status);
      return true;
    }
  }
  const bool goOn = InstallByVersion(state, record, source, from, destDir);
  state.Os().windows->UpdateWindow(state.splash.window);
  return goOn;
}

// The date and copy-if-missing methods. A copy that fails marks the run
// so that the main setup program is not started; the loop goes on unless
// the user stops it.
bool CopyByMethod(BootState& state, const std::string& source, const std::string& destination, bool overwrite,
              const char* status) {
  int answer = platform::kIdIgnore;
  const CopyOutcome outcome = ExpandCopyAsking(state, source, destination, overwrite, answer);
  if (outcome != CopyOutcome::kCopied && outcome != CopyOutcome::kNotCopied) {
    state.installFailed = true;
    return answer == platform::kIdIgnore;
  }
  WriteLogEntry(state, destination, status);
  return true;
}

bool InstallByMethod(BootState& state, const FileRecord& record, const SourcePlace& source,
                     const std::string& destDir) {
  const std::string destination = destDir + record.destName;
  switch (state.versionCheck) {
    case VersionMethod::kByVersion:
      return InstallWithVersions(state, record, source, destDir);
    case VersionMethod::kByDate:
      if (GetFileDateText(state, source.Path()) <= GetFileDateText(state, destination)) {
        WriteLogEntry(state, destination, logged::kSourceNotNewer);
        return true;
      }
      return CopyByMethod(state, source.Path(), destination, true, logged::kCopied);
    case VersionMethod::kIfMissing:
      return CopyByMethod(state, source.Path(), destination, false, logged::kKept);
    default:
      return true;
  }
}

// False when the run ends.
bool InstallRecord(BootState& state, Drive& drive, const FileRecord& record) {
  SourcePlace source{state.dirs.source, SourceName(record)};
  const Search found = record.IsSplit() ? JoinSplitFile(state, drive, record, source)
                                        : FindSource(state, drive, record.disk, record.destName, source.name);
  if (found != Search::kFound) return found == Search::kSkipped;
  drive.currentDisk = record.IsSplit() ? record.secondDisk : record.disk;
  return InstallByMethod(state, record, source, DestinationDirectory(state, record.destCode));
}

}  // namespace

bool InstallFiles(BootState& state) {
  Drive drive;
  for (const FileRecord& record : state.list.files) {
    if (!InstallRecord(state, drive, record)) return false;
  }
  return true;
}

}  // namespace boot
