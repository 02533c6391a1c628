// Finding a bootstrap file on the media, disk by disk, and joining a file
// that is split over two disks.
#pragma once

#include <string>

#include "boot_state.h"

namespace boot {

enum class Search { kFound, kSkipped, kStopped };

// Where a file is read from: the media's source directory, or the Windows
// directory for a joined file.
struct SourcePlace {
  std::string dir;
  std::string name;
  std::string Path() const { return dir + name; }
};

// The disk now in the drive: the disk of the last source found.
struct Drive {
  int currentDisk = 1;  // the bootstrapper runs from disk 1
};

// Looks for `name` in the source directory, then for its twin whose last
// character is that of `destName` (SETUP1.EXE for SETUP1.EX_). A file of
// another disk brings the disk request; otherwise the user retries, skips
// the file or stops the run. `name` receives the name found.
Search FindSource(BootState& state, const Drive& drive, int disk, const std::string& destName,
                  std::string& name);

// The missing-source box for `path`, after its "402" entry; the answer.
int AskMissingSource(BootState& state, const std::string& path);

// Finds both parts of a split record and joins them into the run's join
// file, which `place` then names. A part that cannot be read, or a join
// file that cannot be written, is reported like a missing part: a partial
// join is never used.
Search JoinSplitFile(BootState& state, Drive& drive, const FileRecord& record, SourcePlace& place);

}  // namespace boot
