// Reading the settings of the setup list. Key names and default texts come
// from the string table by id at the moment of use; nothing is cached.
#pragma once

#include <cstddef>
#include <string>

#include "boot_state.h"
#include "capacities.h"
#include "string_ids.h"

namespace boot {

std::string LoadText(const BootState& state, int id);

// The keys of the settings section that the program reads, by string id,
// with the capacity of a text key (0 for a number). A numbered key is read
// as its name with 1, 2, ... appended. The media tools warn about any other
// key, which the program would ignore, and about a value it would cut.
struct SettingKey {
  int id;
  bool numbered;
  std::size_t capacity;
};
inline constexpr SettingKey kSettingKeys[] = {
    {ids::kDialogTitle, false, kTitleCapacity},
    {ids::kDialogColor, false, 0},
    {ids::kDialogWidth, false, 0},
    {ids::kDialogHeight, false, 0},
    {ids::kDialogMessage, true, kLineCapacity},
    {ids::kDialogStyle, false, 0},
    {ids::kDialog3d, false, 0},
    {ids::kImageFile, false, kImageFileCapacity},
    {ids::kSetupDistName, false, kSetupFileNameCapacity},
    {ids::kSetupFileName, false, kSetupFileNameCapacity},
    {ids::kFile, true, kOwnEntryCapacity},
    {ids::kVBCompatible, false, 0},
    {ids::kVersionCheck, false, 0},
    {ids::kUseTempDir, false, 0},
    {ids::kTempDir, false, kTempDirCapacity},
    {ids::kNoIgnore, false, 0},
    {ids::kSetupLog, false, 0},
    {ids::kSetupLogFile, false, kLogFileCapacity},
    {ids::kDeleteSetup, false, 0},
    {ids::kFileSubDir, false, kFileSubDirCapacity},
    {ids::kRequires, true, kRequiresCapacity},
    {ids::kExcludeWinOS, false, kExcludeCapacity},
    {ids::kExcludeWinOSMessage, false, kExtraTextCapacity},
    {ids::kErrorMessageLaunch, false, kExtraTextCapacity},
    {ids::kErrorMessageInstall, false, kExtraTextCapacity},
    {ids::kErrorMessageInstallOther, false, kExtraTextCapacity},
    {ids::kErrorMessageTempDir, false, kTempDirMessageCapacity},
    {ids::kErrorMessageRequires, false, kRequiresMessageCapacity},
};

// A text key of BootSetup; `key` is the key's string id, `suffix` is
// appended to it for numbered keys.
std::string ReadTextSetting(const BootState& state, int key, const std::string& defaultText,
                            std::size_t capacity, const std::string& suffix = {});
// Same, with the default text loaded from the string table.
std::string ReadTextSettingById(const BootState& state, int key, int defaultId,
                                std::size_t capacity);
// An integer key of BootSetup, as the platform's profile-integer read gives it.
int ReadIntSetting(const BootState& state, int key, int defaultValue);
// A switch that is on only when it reads exactly 1.
bool ReadOneSetting(const BootState& state, int key, bool defaultOn);
// A switch, default off, that is on whenever it reads other than 0.
bool ReadNonZeroSetting(const BootState& state, int key);
// VersionCheck, default 0; any number but 0, 1 and 2 installs nothing.
VersionMethod ReadVersionMethod(const BootState& state);
// VBCompatible, default 3 (the plain list).
ListMode ReadListMode(const BootState& state);
// The list form a VBCompatible number asks for.
ListMode ListModeOf(int vbCompatible);

}  // namespace boot
