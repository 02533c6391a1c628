#include "boot_state.h"

#include <algorithm>

#include "text.h"

namespace boot {

void NoteWritten(BootState& state, const std::string& path) {
  if (!WasWritten(state, path)) state.written.push_back(ToUpperAscii(path));
}

bool WasWritten(const BootState& state, const std::string& path) {
  return std::find(state.written.begin(), state.written.end(), ToUpperAscii(path)) != state.written.end();
}

}  // namespace boot
