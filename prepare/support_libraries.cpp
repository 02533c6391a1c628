#include "support_libraries.h"

#include "ctl3d.h"
#include "expand_copy.h"
#include "libraries.h"
#include "setup_log.h"
#include "szdd.h"

namespace boot {
namespace {

constexpr char kCtl3dFile[] = "CTL3DV2.DLL";
constexpr char kCtl3dLibrary[] = "CTL3D32.DLL";
constexpr char kVerFile[] = "VER.DLL";
constexpr char kVersionLibrary[] = "VERSION.DLL";

bool Present(BootState& state, const std::string& name) {
  const platform::Os& os = state.Os();
  return os.files->FileExists(state.dirs.osSys + name) || os.files->FileExists(state.dirs.win + name);
}

// Expands the compressed copy from the media into the system directory,
// never over a file that is there; a source failure comes after its box,
// and a destination that cannot be written counts as nothing written.
CopyOutcome ExpandFromMedia(BootState& state, const std::string& name) {
  const CopyOutcome outcome =
      ExpandCopy(state, state.dirs.source + szdd::CompressedName(name), state.dirs.sys + name, false);
  return outcome == CopyOutcome::kDestinationFailed ? CopyOutcome::kNotCopied : outcome;
}

// The log's value for a support library's copy.
const char* CopyStatus(CopyOutcome copy) { return copy == CopyOutcome::kCopied ? logged::kCopied : logged::kCopyFailed; }

}  // namespace

void PrepareCtl3d(BootState& state) {
  Libraries& libraries = state.libraries;
  if (!libraries.dialog3d) return;
  libraries.ctl3dCopy = CopyOutcome::kNotCopied;
  if (!Present(state, kCtl3dFile)) {
    libraries.ctl3dCopy = ExpandFromMedia(state, kCtl3dFile);
    if (IsSourceFailure(libraries.ctl3dCopy)) libraries.dialog3d = false;
  }
  if (!libraries.dialog3d) return;
  libraries.ctl3d = LoadAuthorLibrary(state, kCtl3dLibrary);
  if (StartCtl3d(state)) return;
  // A library that cannot be registered with counts as not loaded.
  libraries.ctl3d.Reset();
  libraries.dialog3d = false;
}

void LogCtl3dCopy(BootState& state) {
  const CopyOutcome copy = state.libraries.ctl3dCopy;
  if (copy == CopyOutcome::kNotCopied) return;
  WriteLogEntry(state, logged::kCtl3dCopy + state.dirs.sys + kCtl3dFile, CopyStatus(copy));
}

void PrepareVersionLibrary(BootState& state) {
  if (!Present(state, kVerFile)) {
    const CopyOutcome copy = ExpandFromMedia(state, kVerFile);
    if (IsSourceFailure(copy)) state.versionCheck = VersionMethod::kByDate;
    WriteLogEntry(state, logged::kVersionCopy + state.dirs.sys + kVerFile, CopyStatus(copy));
  }
  if (state.versionCheck != VersionMethod::kByVersion) return;
  platform::Libraries& loader = *state.Os().libraries;
  state.libraries.version = platform::OwnedLibrary(loader, loader.LoadSystemLibrary(kVersionLibrary));
  if (state.libraries.version) return;
  // Versions cannot be read without the library: dates decide instead.
  state.versionCheck = VersionMethod::kByDate;
  WriteLogEntry(state, logged::kVersionLibrary, logged::kNo);
}

}  // namespace boot
