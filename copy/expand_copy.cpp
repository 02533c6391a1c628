#include "expand_copy.h"

#include "constants.h"
#include "os_owned.h"
#include "settings.h"
#include "setup_log.h"
#include "string_ids.h"
#include "text.h"

namespace boot {
namespace {

// Staging names tried beside a destination before the copy gives up.
constexpr int kMaxStagingNames = 100;

void ReportFailure(BootState& state, int messageId, const std::string& source,
                   const std::string& destination) {
  const std::string extra = ReadTextSetting(state, ids::kErrorMessageInstall, "*", kExtraTextCapacity);
  std::string text = LoadText(state, messageId) + source;
  WriteLogEntry(state, destination, logged::kCopyFailed);
  if (IsSet(extra)) text += "\n\n" + extra;
  state.Os().windows->MessageBox(text, state.errorCaption, platform::kMbOk | platform::kMbIconError);
}

// A name beside the destination that no file has yet, so that staging
// never overwrites a file of the machine.
std::string FreeStagingName(platform::FileSystem& files, const std::string& destination) {
  for (int n = 1; n <= kMaxStagingNames; ++n) {
    const std::string name = destination + "~" + (n == 1 ? std::string() : Decimal(n));
    if (!files.FileExists(name)) return name;
  }
  return {};
}


std::string InstallErrorDetail(const BootState& state, std::uint32_t error) {
  switch (error) {
    case platform::kErrorSharingViolation:
      return LoadText(state, ids::kFileInUse);
    case platform::kErrorDiskFull:
      return LoadText(state, ids::kOutOfDiskSpace);
    case platform::kErrorAccessDenied:
    case platform::kErrorWriteProtect:
      return LoadText(state, ids::kWriteProtected);
    default:
      return LoadText(state, ids::kGeneralCopyError) + Decimal(error);
  }
}

void ReportSourceFailure(BootState& state, CopyOutcome outcome, const std::string& source,
                         const std::string& destination);

}  // namespace

void ReportExpansionError(BootState& state, const std::string& source, const std::string& destination) {
  ReportFailure(state, ids::kGeneralCopyError, source, destination);
}

int SourceFailureId(const std::string& source) {
  return source.size() > platform::kLongestPath ? ids::kPathTooLong : ids::kUnableToLocateSource;
}

void ReportCopyError(BootState& state, const std::string& source, const std::string& destination) {
  ReportFailure(state, SourceFailureId(source), source, destination);
}

namespace {

// The box of a copy that failed for its source; nothing for other outcomes.
void ReportSourceFailure(BootState& state, CopyOutcome outcome, const std::string& source,
                         const std::string& destination) {
  if (outcome == CopyOutcome::kSourceUnreadable) ReportCopyError(state, source, destination);
  if (outcome == CopyOutcome::kExpansionFailed) ReportExpansionError(state, source, destination);
}

}  // namespace

CopyResult ExpandToStaging(BootState& state, const std::string& source, const std::string& destination,
                           bool overwrite, std::string& staging) {
  const platform::Os& os = state.Os();
  platform::OwnedLzFile in(*os.lz, os.lz->LzOpenRead(source).value);
  if (!in) return {CopyOutcome::kSourceUnreadable};
  if (!overwrite && os.files->FileExists(destination)) return {CopyOutcome::kNotCopied};
  const std::string name = FreeStagingName(*os.files, destination);
  const platform::Result<platform::LzFile> created =
      name.empty() ? platform::Result<platform::LzFile>{platform::kLzErrorBadOutHandle} : os.lz->LzCreate(name);
  if (created.value < 0) return {CopyOutcome::kDestinationFailed, created.error};
  platform::OwnedLzFile out(*os.lz, created.value);
  const auto [copied, copyError] = os.lz->LzCopy(in.Get(), out.Get());
  // Both are closed before the staged file is kept or deleted.
  out.Reset();
  in.Reset();
  if (copied >= 0) {
    staging = name;
    return {CopyOutcome::kCopied};
  }
  os.files->DeleteFile(name);
  // A full disk is the destination's fault, not the media's.
  if (copied == platform::kLzErrorWrite) return {CopyOutcome::kDestinationFailed, copyError};
  return {CopyOutcome::kExpansionFailed};
}

CopyResult ExpandCopyWithError(BootState& state, const std::string& source, const std::string& destination,
                               bool overwrite) {
  std::string staging;
  const CopyResult staged = ExpandToStaging(state, source, destination, overwrite, staging);
  if (staged.outcome != CopyOutcome::kCopied) return staged;
  const platform::Os& os = state.Os();
  if (const platform::Status replaced = os.files->ReplaceFile(staging, destination); !replaced) {
    os.files->DeleteFile(staging);
    return {CopyOutcome::kDestinationFailed, replaced.error};
  }
  NoteWritten(state, destination);
  return {CopyOutcome::kCopied};
}

CopyOutcome ExpandCopy(BootState& state, const std::string& source, const std::string& destination,
                       bool overwrite) {
  const CopyOutcome outcome = ExpandCopyWithError(state, source, destination, overwrite).outcome;
  ReportSourceFailure(state, outcome, source, destination);
  return outcome;
}

int ShowInstallError(BootState& state, const std::string& source, const std::string& destination,
                     const std::string& detail, const std::string& extra) {
  std::string text = LoadText(state, ids::kUnableToInstall) + "\n\n" + source +
                     LoadText(state, ids::kInstallTo) + "\n" + destination + "\n\n" + detail;
  if (IsSet(extra)) text += "\n\n" + extra;
  const unsigned type =
      state.noIgnore ? platform::kMbRetryCancelWarning : platform::kMbAbortRetryIgnoreWarning;
  return state.Os().windows->MessageBox(text, state.errorCaption, type);
}

CopyOutcome ExpandCopyAsking(BootState& state, const std::string& source, const std::string& destination,
                             bool overwrite, int& answer, std::string* staged) {
  while (true) {
    const CopyResult copy = staged ? ExpandToStaging(state, source, destination, overwrite, *staged)
                                   : ExpandCopyWithError(state, source, destination, overwrite);
    ReportSourceFailure(state, copy.outcome, source, destination);
    if (copy.outcome != CopyOutcome::kDestinationFailed) return copy.outcome;
    const std::string extra = ReadTextSetting(state, ids::kErrorMessageInstallOther, "*", kExtraTextCapacity);
    answer = ShowInstallError(state, source, destination, InstallErrorDetail(state, copy.error), extra);
    WriteLogEntry(state, destination, logged::kCopyFailed);
    if (answer != platform::kIdRetry) return CopyOutcome::kDestinationFailed;
  }
}

}  // namespace boot
