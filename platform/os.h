// The seam's parts by concern, bundled for the program's entry. A function
// takes the parts it uses; the bundle only carries them there.
#pragma once

#include "os_files.h"
#include "os_libraries.h"
#include "os_lz.h"
#include "os_painting.h"
#include "os_processes.h"
#include "os_profiles.h"
#include "os_system.h"
#include "os_versions.h"
#include "os_windows.h"

namespace platform {

struct Os {
  ProfileFiles* profiles = nullptr;
  SystemFacts* system = nullptr;
  FileSystem* files = nullptr;
  LzFiles* lz = nullptr;
  Versions* versions = nullptr;
  Libraries* libraries = nullptr;
  Processes* processes = nullptr;
  Windowing* windows = nullptr;
  Painting* painting = nullptr;
};

}  // namespace platform
