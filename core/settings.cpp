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

}  // namespace boot
