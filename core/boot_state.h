// The state of one run, in named parts. Each part is filled by the phase
// that owns it and read by name by the phases after it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "file_record.h"
#include "os.h"
#include "os_owned.h"

namespace boot {

// Forms of the list of bootstrap files (VBCompatible 0, 3 and 4). Any
// other number reads the own list but takes the main setup program from
// SetupFileName.
enum class ListMode { kOwn, kPlain, kSectioned, kOwnNamedBySetupFile };

// How a bootstrap file replaces an installed one (VersionCheck 0, 1 and 2);
// any other number installs none.
enum class VersionMethod { kByVersion = 0, kByDate = 1, kIfMissing = 2, kNothing };

// Every directory ends with a backslash.
struct Directories {
  std::string program; // where SETUP.EXE itself lies
  std::string win;     // upper case
  std::string sys;     // where system files are installed
  std::string osSys;   // as the platform reports it
  std::string source;  // where the media files are read from
  std::string temp;    // empty unless this run made one
  std::string dest;    // default destination of bootstrap files
  std::string setup;   // where the main setup program is placed
};

struct Splash {
  std::string title;
  // The lines as drawn: the four DialogMessage values, split further at
  // any "|" inside them, at most four in all.
  std::vector<std::string> lines;
  int width = 0;
  int height = 0;
  int style = 0;
  platform::Window window = 0;
  platform::Gdi image = 0;
  bool imageIsIcon = false;
  int imageX = 0;
  int imageY = 0;
  int imageStatus = 0;
  std::string imagePath;  // the described copy, the log's key; empty without ImageFile
};

struct SetupList {
  ListMode mode = ListMode::kOwn;
  std::string sourcePath;    // SETUP.LST in the source directory
  std::string setupFileName;
  std::string programPath;   // the placed main setup program
  std::string setupKeyName;  // sectioned list: the program its Setup key names
  std::string installOtherText;
  std::vector<FileRecord> files;
};

struct Log {
  bool enabled = false;
  std::string section;
  std::string path;
  // Entries that arose before the section existed.
  std::vector<std::pair<std::string, std::string>> held;
};

// The setup toolkit library that registers DLLs; it lies beside the program.
inline constexpr char kToolkitFileName[] = "ZAVEZ432.DLL";

// What a copy from the media came to.
enum class CopyOutcome {
  kCopied,
  kNotCopied,          // the destination is there and may not be replaced
  kSourceUnreadable,   // the source cannot be opened
  kExpansionFailed,    // the source opened but did not expand whole
  kDestinationFailed,  // the destination cannot be created or replaced
};

struct Libraries {
  bool dialog3d = false;
  CopyOutcome ctl3dCopy = CopyOutcome::kNotCopied;  // how the 3-D library's copy went, for the log
  platform::OwnedLibrary ctl3d;
  platform::OwnedLibrary version;
  platform::OwnedLibrary toolkit;
};

// An installed file to register once every bootstrap file is in place.
struct Registration {
  RegisterKind kind = RegisterKind::kNone;
  std::string path;      // the installed file; a registry file beside it
  std::string listName;  // a registry file as the list names it, for the log
};

struct BootState {
  platform::Os os;
  platform::Instance instance = 0;
  std::string sectionName;
  std::string listPath;
  std::string errorCaption;
  std::string commandLine;  // the program's own arguments, passed on
  int showCommand = 0;

  // Settings read once by the settings block.
  bool dialogColor = false;
  VersionMethod versionCheck = VersionMethod::kByVersion;
  bool noIgnore = false;
  bool useTempDir = false;
  bool deleteSetup = false;
  std::string tempDirSetting;
  std::string tempDirMessage;

  int winVersionCode = 0;
  std::string winVersionText;

  Directories dirs;
  Splash splash;
  SetupList list;
  Log log;
  Libraries libraries;

  std::vector<Registration> registrations;  // by the installation loop, in its order
  std::string joinedFile;  // where split files are joined; empty until one is
  bool installFailed = false;
  platform::Process setupProcess = 0;
  // Files this run created or replaced; the clean-up deletes no others.
  std::vector<std::string> written;

  const platform::Os& Os() const { return os; }
};

// Records that this run wrote the file at `path`.
void NoteWritten(BootState& state, const std::string& path);
bool WasWritten(const BootState& state, const std::string& path);

}  // namespace boot
