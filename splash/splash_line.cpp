#include "splash_line.h"

#include <vector>

#include "text.h"
#include "constants.h"

namespace boot {
namespace {

constexpr int kCentred = -1;

}  // namespace

std::vector<std::string_view> SplitPieces(std::string_view line, std::size_t most) {
  std::vector<std::string_view> pieces;
  std::size_t pos = 0;
  while (pos < line.size() && pieces.size() < most) {
    const std::size_t start = line.find_first_not_of(';', pos);
    if (start == std::string_view::npos) break;
    const std::size_t end = line.find(';', start);
    pieces.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    pos = end == std::string_view::npos ? line.size() : end;
  }
  return pieces;
}

std::optional<SplashLineLayout> LayOutSplashLine(std::string_view line, int width, int height) {
  if (line.size() < 2) return std::nullopt;
  const std::vector<std::string_view> pieces = SplitPieces(line, 3);
  if (pieces.empty()) return std::nullopt;
  const int x = pieces.size() > 1 ? ParseLeadingInt(pieces[1]) : kCentred;
  const int y = pieces.size() > 2 ? ParseLeadingInt(pieces[2]) : kCentred;

  using namespace platform;
  SplashLineLayout layout;
  layout.text = std::string(pieces[0]);
  layout.box = {x == kCentred ? 0 : x, y == kCentred ? 0 : y, width, height};
  layout.format = kDtNoPrefix;
  if (x == kCentred) layout.format |= kDtCenter;
  if (y == kCentred) layout.format |= kDtVCenter | kDtSingleLine;
  return layout;
}

}  // namespace boot
