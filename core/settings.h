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

// Every key of the BootSetup section that the program reads, by the string
// id of its name; a numbered key (DialogMessage1, File2, Requires3) is read
// with a decimal suffix from 1 up. The media tools check settings against it.
struct SettingKey {
  int id;
  bool numbered;
};
inline constexpr SettingKey kBootSetupKeys[] = {
    {ids::kDialogTitle, false},          {ids::kDialogColor, false},
    {ids::kDialogWidth, false},          {ids::kDialogHeight, false},
    {ids::kDialogMessage, true},         {ids::kDialogStyle, false},
    {ids::kSetupDistName, false},        {ids::kSetupFileName, false},
    {ids::kErrorMessageLaunch, false},   {ids::kFile, true},
    {ids::kErrorMessageInstall, false},  {ids::kVersionCheck, false},
    {ids::kErrorMessageInstallOther, false}, {ids::kUseTempDir, false},
    {ids::kErrorMessageTempDir, false},  {ids::kNoIgnore, false},
    {ids::kTempDir, false},              {ids::kSetupLog, false},
    {ids::kSetupLogFile, false},         {ids::kDeleteSetup, false},
    {ids::kImageFile, false},            {ids::kDialog3d, false},
    {ids::kVBCompatible, false},         {ids::kRequires, true},
    {ids::kErrorMessageRequires, false}, {ids::kFileSubDir, false},
    {ids::kExcludeWinOS, false},         {ids::kExcludeWinOSMessage, false},
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

}  // namespace boot
