// Classification of the running Windows version into one bit per family.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {
class SystemFacts;
}

namespace boot {

inline constexpr int kWin30 = 1;
inline constexpr int kWin31 = 2;
inline constexpr int kWinWorkgroups = 4;
inline constexpr int kWin95 = 8;
inline constexpr int kWinNt = 16;

struct WinVersion {
  int code = 0;
  std::string text;  // "major.minor " and the family suffix
};

// `networkCaps` is asked only on a system outside the NT family whose
// version needs the network type to tell Windows 3.1 from Workgroups.
WinVersion ClassifyWinVersion(
    std::uint32_t version,
    const std::function<std::optional<std::uint16_t>()>& networkCaps);

WinVersion GetWinVersion(platform::SystemFacts& system);

}  // namespace boot
