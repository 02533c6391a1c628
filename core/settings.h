// Reading the settings of the setup list. Key names and default texts come
// from the string table by id at the moment of use; nothing is cached.
#pragma once

#include <cstddef>
#include <string>

#include "boot_state.h"
#include "string_ids.h"

namespace boot {

std::string LoadText(const BootState& state, int id);

// Files read whole are at most this large; beyond it they are refused
// before they are read.
inline constexpr std::size_t kWholeFileLimit = 16u << 20;

// Capacities of the settings, in characters including the terminator.
inline constexpr std::size_t kTitleCapacity = 60;
inline constexpr std::size_t kLineCapacity = 60;
inline constexpr std::size_t kFileSubDirCapacity = 60;
inline constexpr std::size_t kTempDirCapacity = 20;
inline constexpr std::size_t kTempDirMessageCapacity = 100;
inline constexpr std::size_t kLogFileCapacity = 35;
inline constexpr std::size_t kExtraTextCapacity = 160;
inline constexpr std::size_t kSetupFileNameCapacity = 15;
inline constexpr std::size_t kOwnEntryCapacity = 40;
inline constexpr std::size_t kSectionedEntryCapacity = 100;
inline constexpr std::size_t kListSetupNameCapacity = 20;

// The keys of the settings section that the program reads, by string id.
// A numbered key is read as its name with 1, 2, ... appended. The media
// tools warn about any other key, which the program would ignore.
struct SettingKey {
  int id;
  bool numbered;
};
inline constexpr SettingKey kSettingKeys[] = {
    {ids::kDialogTitle, false},   {ids::kDialogColor, false},     {ids::kDialogWidth, false},
    {ids::kDialogHeight, false},  {ids::kDialogMessage, true},    {ids::kDialogStyle, false},
    {ids::kDialog3d, false},      {ids::kImageFile, false},       {ids::kSetupDistName, false},
    {ids::kSetupFileName, false}, {ids::kFile, true},             {ids::kVBCompatible, false},
    {ids::kVersionCheck, false},  {ids::kUseTempDir, false},      {ids::kTempDir, false},
    {ids::kNoIgnore, false},      {ids::kSetupLog, false},        {ids::kSetupLogFile, false},
    {ids::kDeleteSetup, false},   {ids::kFileSubDir, false},      {ids::kRequires, true},
    {ids::kExcludeWinOS, false},  {ids::kExcludeWinOSMessage, false}, {ids::kErrorMessageLaunch, false},
    {ids::kErrorMessageInstall, false}, {ids::kErrorMessageInstallOther, false},
    {ids::kErrorMessageTempDir, false}, {ids::kErrorMessageRequires, false},
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

}  // namespace boot
