#include "settings.h"

namespace boot {
namespace {

// Generous: string resources are short, and a cut would change key names.
constexpr std::size_t kResourceCapacity = 256;

}  // namespace

std::string LoadText(const BootState& state, int id) {
  return state.Os().system->LoadString(state.instance, id, kResourceCapacity);
}

std::string ReadTextSetting(const BootState& state, int key, const std::string& defaultText,
                            std::size_t capacity, const std::string& suffix) {
  return state.Os().profiles->ReadProfileString(state.sectionName, LoadText(state, key) + suffix,
                                      defaultText, capacity, state.listPath);
}

std::string ReadTextSettingById(const BootState& state, int key, int defaultId,
                                std::size_t capacity) {
  return ReadTextSetting(state, key, LoadText(state, defaultId), capacity);
}

int ReadIntSetting(const BootState& state, int key, int defaultValue) {
  return static_cast<int>(
      state.Os().profiles->ReadProfileInt(state.sectionName, LoadText(state, key), defaultValue, state.listPath));
}

bool ReadOneSetting(const BootState& state, int key, bool defaultOn) {
  return ReadIntSetting(state, key, defaultOn ? 1 : 0) == 1;
}

bool ReadNonZeroSetting(const BootState& state, int key) { return ReadIntSetting(state, key, 0) != 0; }

VersionMethod ReadVersionMethod(const BootState& state) {
  const int method = ReadIntSetting(state, ids::kVersionCheck, 0);
  return method >= 0 && method <= 2 ? static_cast<VersionMethod>(method) : VersionMethod::kNothing;
}

ListMode ReadListMode(const BootState& state) {
  return ListModeOf(ReadIntSetting(state, ids::kVBCompatible, 3));
}

ListMode ListModeOf(int vbCompatible) {
  switch (vbCompatible) {
    case 0:
      return ListMode::kOwn;
    case 3:
      return ListMode::kPlain;
    case 4:
      return ListMode::kSectioned;
    default:
      return ListMode::kOwnNamedBySetupFile;
  }
}

}  // namespace boot
