#include "source_media.h"

#include <cstdint>
#include <optional>

#include "constants.h"
#include "expand_copy.h"
#include "file_names.h"
#include "settings.h"
#include "setup_list.h"
#include "setup_log.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

constexpr std::size_t kJoinPiece = 32767;
constexpr int kMaxJoinNames = 999;

// The uncompressed twin's name; empty when there is none to try.
std::string TwinName(const std::string& name, const std::string& destName) {
  if (name.empty() || destName.empty()) return {};
  std::string twin = name;
  twin.back() = destName.back();
  return twin != name && IsPlainFileName(twin) ? twin : std::string();
}

// True when the user has put the disk in and answers OK.
bool AskForDisk(BootState& state, int disk) {
  const std::string text = LoadText(state, ids::kInsertDisk) + Decimal(disk);
  return state.Os().windows->MessageBox(text, state.splash.title, platform::kMbOkCancelWarning) == platform::kIdOk;
}

Search AfterGivingUp(int answer) { return answer == platform::kIdIgnore ? Search::kSkipped : Search::kStopped; }

// SETUP000.001, or the next name that no file of the machine has: a join
// never truncates a file that was there before the run.
std::string FreeJoinName(BootState& state) {
  for (int n = 1; n <= kMaxJoinNames; ++n) {
    std::string name = WithNumberExtension(kJoinFileStem, n);
    if (!state.Os().files->FileExists(state.dirs.win + name)) return name;
  }
  return {};
}

// The join file while the parts of one record are copied into it.
class JoinFile {
 public:
  explicit JoinFile(BootState& state) : state_(state) {}
  ~JoinFile() { Close(); }
  JoinFile(const JoinFile&) = delete;
  JoinFile& operator=(const JoinFile&) = delete;

  // Copies the part at `path` to the end. False when it could not be
  // copied whole; the file then holds the earlier parts only.
  bool Append(const std::string& path);
  void Close();

 private:
  bool Open();
  bool CopyFrom(platform::File in, std::uint64_t& added);

  BootState& state_;
  platform::File file_ = 0;
  std::uint64_t length_ = 0;  // bytes of the parts copied whole
  bool broken_ = false;       // an earlier part was lost with a cut that failed
};

bool JoinFile::Open() {
  if (file_ != 0) return true;
  std::string& path = state_.joinedFile;
  if (path.empty()) {
    const std::string name = FreeJoinName(state_);
    if (name.empty()) return false;
    path = state_.dirs.win + name;
  }
  file_ = state_.Os().files->CreateForWrite(path).value;
  if (file_ == 0) {
    // The next try looks for a free name again.
    if (!WasWritten(state_, path)) path.clear();
    return false;
  }
  NoteWritten(state_, path);
  length_ = 0;
  return true;
}

void JoinFile::Close() {
  if (file_ != 0) state_.Os().files->CloseFile(file_);
  file_ = 0;
}

bool JoinFile::CopyFrom(platform::File in, std::uint64_t& added) {
  const platform::Os& os = state_.Os();
  while (true) {
    const std::optional<std::string> piece = os.files->ReadBytes(in, kJoinPiece);
    if (!piece) return false;
    if (piece->empty()) return true;
    if (!os.files->WriteBytes(file_, *piece)) return false;
    added += piece->size();
  }
}

bool JoinFile::Append(const std::string& path) {
  if (broken_ || !Open()) return false;
  const platform::Os& os = state_.Os();
  const platform::File in = os.files->OpenForRead(path).value;
  std::uint64_t added = 0;
  const bool whole = in != 0 && CopyFrom(in, added);
  if (in != 0) os.files->CloseFile(in);
  if (whole) {
    length_ += added;
    return true;
  }
  if (added > 0 && !os.files->SetFileLength(file_, length_)) {
    // A first part is simply copied again into a new file; a later one
    // cannot be, as its earlier parts are on another disk.
    Close();
    broken_ = length_ > 0;
  }
  return false;
}

}  // namespace

int AskMissingSource(BootState& state, const std::string& path) {
  WriteLogEntry(state, path, path.size() > platform::kLongestPath ? logged::kPathTooLong : logged::kSourceMissing);
  const unsigned type =
      state.noIgnore ? platform::kMbRetryCancelWarning : platform::kMbAbortRetryIgnoreWarning;
  return state.Os().windows->MessageBox(LoadText(state, SourceFailureId(path)) + path, state.errorCaption, type);
}

Search FindSource(BootState& state, const Drive& drive, int disk, const std::string& destName,
                  std::string& name) {
  const platform::Os& os = state.Os();
  const std::string& dir = state.dirs.source;
  while (true) {
    if (os.files->FileExists(dir + name)) return Search::kFound;
    const std::string twin = TwinName(name, destName);
    if (!twin.empty() && os.files->FileExists(dir + twin)) {
      name = twin;
      return Search::kFound;
    }
    if (disk > 0 && disk != drive.currentDisk) {
      if (!AskForDisk(state, disk)) return Search::kStopped;
      continue;
    }
    const int answer = AskMissingSource(state, dir + name);
    if (answer != platform::kIdRetry) return AfterGivingUp(answer);
  }
}

Search JoinSplitFile(BootState& state, Drive& drive, const FileRecord& record, SourcePlace& place) {
  struct Part {
    std::string name;
    int disk;
  };
  Part parts[2] = {{place.name, record.disk}, {record.secondSource, record.secondDisk}};
  JoinFile join(state);
  for (Part& part : parts) {
    while (true) {
      const Search found = FindSource(state, drive, part.disk, record.destName, part.name);
      if (found != Search::kFound) return found;
      // The disk of this part is now in the drive.
      drive.currentDisk = part.disk;
      const std::string path = state.dirs.source + part.name;
      if (join.Append(path)) break;
      const int answer = AskMissingSource(state, path);
      if (answer != platform::kIdRetry) return AfterGivingUp(answer);
    }
  }
  join.Close();
  place = {state.dirs.win, state.joinedFile.substr(state.dirs.win.size())};
  return Search::kFound;
}

}  // namespace boot
