#include "expand_copy.h"

#include "settings.h"
#include "string_ids.h"
#include "text.h"
#include "setup_log.h"
#include "constants.h"

namespace boot {
namespace {

constexpr char kCopyFailedStatus[] = "400";

void ReportFailure(BootState& state, int messageId, const std::string& source,
                   const std::string& destination) {
  const std::string extra = ReadTextSetting(state, ids::kErrorMessageInstall, "*", kExtraTextCapacity);
  std::string text = LoadText(state, messageId) + source;
  WriteLogEntry(state, destination, kCopyFailedStatus);
  if (IsSet(extra)) text += "\n\n" + extra;
  state.Os().MessageBox(text, state.errorCaption, platform::kMbOk | platform::kMbIconError);
}

// Copies an open source into a new file: done, file not creatable, or the
// expansion failed.
enum class Staged { kDone, kNotCreated, kFailed };
Staged CopyInto(platform::Platform& os, platform::LzFile source, const std::string& path) {
  const platform::LzFile out = os.LzCreate(path);
  if (out < 0) return Staged::kNotCreated;
  const std::int64_t written = os.LzCopy(source, out);
  os.LzClose(out);
  return written < 0 ? Staged::kFailed : Staged::kDone;
}

}  // namespace

void ReportCopyError(BootState& state, const std::string& source, const std::string& destination) {
  ReportFailure(state, ids::kUnableToLocateSource, source, destination);
}

int ExpandCopy(BootState& state, const std::string& source, const std::string& destination,
               bool overwrite) {
  platform::Platform& os = state.Os();
  const platform::LzFile in = os.LzOpenRead(source);
  if (in < 0) {
    ReportCopyError(state, source, destination);
    return kCopyFailed;
  }
  if (!overwrite && os.FileExists(destination)) {
    os.LzClose(in);
    return kNotCopied;
  }
  const std::string staging = destination + "~";
  const Staged staged = CopyInto(os, in, staging);
  os.LzClose(in);
  if (staged == Staged::kNotCreated) return kNotCopied;
  if (staged == Staged::kFailed) {
    os.DeleteFile(staging);
    ReportFailure(state, ids::kGeneralCopyError, source, destination);
    return kCopyFailed;
  }
  if (!os.ReplaceFile(staging, destination)) {
    os.DeleteFile(staging);
    return kNotCopied;
  }
  return kCopied;
}

}  // namespace boot
