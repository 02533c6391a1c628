#include "nearest_name.h"

#include <algorithm>
#include <numeric>

namespace boot {
namespace {

char Folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
  // Three rows of the optimal-string-alignment table: two back for a swap.
  std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
  std::iota(previous.begin(), previous.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = Folded(a[i - 1]) == Folded(b[j - 1]);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && Folded(a[i - 1]) == Folded(b[j - 2]) && Folded(a[i - 2]) == Folded(b[j - 1])) {
        row[j] = std::min(row[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(row);
  }
  return previous[b.size()];
}

std::string NearestName(std::string_view name, const std::vector<std::string>& known) {
  std::string best;
  std::size_t bestDistance = 0;
  for (const std::string& candidate : known) {
    const std::size_t distance = EditDistance(name, candidate);
    const std::size_t allowed = std::max<std::size_t>(1, std::max(name.size(), candidate.size()) / 3);
    if (distance <= allowed && (best.empty() || distance < bestDistance)) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace boot
