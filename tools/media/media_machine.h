// A simulated machine for trying media: a preset Windows version, or an own
// machine.ini; the first disk in drive D:, the others waiting to be asked for.
#pragma once

#include <filesystem>
#include <string>

namespace media {

// The names of the presets: win95, nt4, xp, win10.
const char* PresetNames();

// Lays out the machine in the empty folder `root` from the media folder
// `mediaDir` (DISK1, DISK2, ... or the files of one disk). `machine` is a
// preset name or the path of a machine.ini. False with `error` when it is
// neither.
bool PrepareMachine(const std::filesystem::path& mediaDir, const std::string& machine,
                    const std::filesystem::path& root, std::string& error);

}  // namespace media
