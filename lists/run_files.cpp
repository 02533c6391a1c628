#include "run_files.h"

namespace boot {

const std::string& DestinationOf(int destCode, bool useTempDir, const std::string& dest, const std::string& win,
                                 const std::string& sys) {
  if (destCode == 0) return dest;
  if (destCode == 1) return useTempDir ? dest : win;
  return sys;
}

}  // namespace boot
