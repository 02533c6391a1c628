// What the program keeps of each text it reads, in characters including
// the terminator (a profile read cuts a longer value to one less). The
// media tools warn against the same figures, so they live here once.
#pragma once

#include <cstddef>

namespace boot {

// Files read whole are at most this large; beyond it they are refused
// before they are read.
inline constexpr std::size_t kWholeFileLimit = 16u << 20;

// The settings section's name, loaded from the string table.
inline constexpr std::size_t kSectionNameCapacity = 35;

// Settings of the program's own list.
inline constexpr std::size_t kTitleCapacity = 60;
inline constexpr std::size_t kLineCapacity = 60;
inline constexpr std::size_t kFileSubDirCapacity = 60;
inline constexpr std::size_t kTempDirCapacity = 20;
inline constexpr std::size_t kTempDirMessageCapacity = 100;
inline constexpr std::size_t kLogFileCapacity = 35;
inline constexpr std::size_t kExtraTextCapacity = 160;
inline constexpr std::size_t kSetupFileNameCapacity = 15;
inline constexpr std::size_t kOwnEntryCapacity = 40;
inline constexpr std::size_t kExcludeCapacity = 35;
inline constexpr std::size_t kRequiresCapacity = 20;
inline constexpr std::size_t kRequiresMessageCapacity = 100;
inline constexpr std::size_t kImageFileCapacity = 60;
// The described program splits ImageFile in a working copy of this size,
// so media meant for it keep the value shorter than it.
inline constexpr std::size_t kImageFileRoom = 40;

// Keys of the sectioned list.
inline constexpr std::size_t kSectionedEntryCapacity = 100;
inline constexpr std::size_t kListSetupNameCapacity = 20;

// A plain list's line together with the break that ends it, in bytes;
// a longer one makes the list count as sectioned.
inline constexpr std::size_t kPlainLineStretch = 20;

// Characters a record field holds at most.
inline constexpr std::size_t kDestNameLength = 39;
inline constexpr std::size_t kVersionLength = 59;
inline constexpr std::size_t kShortFieldLength = 19;

}  // namespace boot
