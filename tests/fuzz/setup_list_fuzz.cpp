// A setup list on the media is outside data: the plain-list scan and the
// sectioned-entry conversion must take any bytes without harm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(bytes), size);

  const boot::PlainScan scan = boot::ScanPlainList(input);
  if (scan.result == boot::kScanDone && scan.list.size() > input.size() * 2 + 1) std::abort();

  const boot::ListMacros macros{"$(WinSysPath)", "$(WinPath)", "$(DLLSelfRegister)",
                                "$(EXESelfRegister)"};
  bool pending = false;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    const std::string record = boot::ConvertSectionedEntry(input.substr(start, end - start), macros, pending);
    // A record is closed unless its file continues on the next entry.
    if (!pending && record.back() != '|') std::abort();
    start = end + 1;
  }
  return 0;
}
