// Layout of one splash line "text;x;y".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os.h"

namespace boot {

struct SplashLineLayout {
  std::string text;
  platform::Rect box;
  unsigned format = 0;
};

// At most `most` pieces between runs of ";", empty ones dropped.
std::vector<std::string_view> SplitPieces(std::string_view line, std::size_t most);

// Nothing when the line draws nothing (shorter than 2 characters, or
// without text). A missing x or y counts as -1, centred.
std::optional<SplashLineLayout> LayOutSplashLine(std::string_view line, int width, int height);

}  // namespace boot
