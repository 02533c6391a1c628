// The state of one run, in named parts. Each part is filled by the phase
// that owns it and read by name by the phases after it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "file_record.h"
#include "os.h"

namespace boot {

// Forms of the list of bootstrap files.
inline constexpr int kOwnList = 0;
inline constexpr int kPlainList = 3;
inline constexpr int kSectionedList = 4;

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
  int imageIsIcon = 0;
  int imageX = 0;
  int imageY = 0;
  int imageStatus = 0;
  std::string imagePath;  // the described copy, the log's key; empty without ImageFile
};

struct SetupList {
  int mode = kOwnList;
  std::string sourcePath;    // SETUP.LST in the source directory
  std::string setupFileName;
  std::string programPath;   // the placed main setup program
  std::string setupKeyName;  // sectioned list: the program its Setup key names
  std::string installOtherText;
  std::vector<FileRecord> files;
};

struct Log {
  int enabled = 0;
  std::string section;
  std::string path;
  // Entries that arose before the section existed.
  std::vector<std::pair<std::string, std::string>> held;
};

// The setup toolkit library that registers DLLs; it lies beside the program.
inline constexpr char kToolkitFileName[] = "ZAVEZ432.DLL";

struct Libraries {
  int dialog3d = 0;
  int ctl3dCopy = 0;  // how the copy of the 3-D library went, for the log
  platform::Library ctl3d = 0;
  platform::Library version = 0;
  platform::Library toolkit = 0;
  bool released = false;
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
  int dialogColor = 0;
  int versionCheck = 0;
  int noIgnore = 0;
  int useTempDir = 0;
  int deleteSetup = 0;
  std::string tempDirSetting;
  std::string tempDirMessage;

  int winVersionCode = 0;
  std::string winVersionText;

  Directories dirs;
  Splash splash;
  SetupList list;
  Log log;
  Libraries libraries;

  std::string registerList;
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
