#include "win_version.h"

#include <cstring>

#include "os_system.h"
#include "text.h"

namespace boot {
namespace {

constexpr int kNetworkTypeQuery = 2;
constexpr std::uint16_t kSeveralNetworks = 0x8000;
constexpr std::uint16_t kWorkgroupsNetwork = 0x0004;

}  // namespace

WinVersion ClassifyWinVersion(
    std::uint32_t version,
    const std::function<std::optional<std::uint16_t>()>& networkCaps) {
  WinVersion result;
  result.text = Decimal(version & 0xFF) + "." +
                Decimal((version >> 8) & 0xFF) + " ";
  const std::string head = result.text.substr(0, 3);
  if (head == "3.0") {
    result.code = kWin30;
    return result;
  }
  const int order = std::strncmp(head.c_str(), "3.1", 3);
  if (order > 0) {
    result.code = kWin95;
    result.text += "95";
    return result;
  }
  if ((version & 0x80000000u) == 0) {
    result.code = kWinNt;
    result.text += "NT";
    return result;
  }
  // Outside the NT family; a version below 3.1 would otherwise get no code
  // at all, and the oldest family that the rules know is the safe choice.
  result.code = kWin31;
  const std::optional<std::uint16_t> caps = networkCaps();
  if (caps && (*caps & kSeveralNetworks) && (*caps & kWorkgroupsNetwork)) {
    result.code = kWinWorkgroups;
    result.text += "WFW";
  }
  return result;
}

WinVersion GetWinVersion(platform::SystemFacts& system) {
  return ClassifyWinVersion(system.Version(), [&system] { return system.NetworkCaps(kNetworkTypeQuery); });
}

}  // namespace boot
