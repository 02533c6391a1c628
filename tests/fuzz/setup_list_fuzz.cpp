// A setup list on the media is outside data: the plain-list scan and the
// sectioned-entry conversion must take any bytes without harm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "setup_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(bytes), size);

  const boot::PlainScan scan = boot::ScanPlainList(input);
  if (scan.result == boot::kScanDone && scan.list.size() > input.size() * 2 + 1) std::abort();

  const boot::ListMacros macros{"$(WinSysPath)", "$(WinPath)", "$(DLLSelfRegister)",
                                "$(EXESelfRegister)"};
  bool pending = false;
  std::vector<boot::FileRecord> files;
  std::size_t records = 0;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    // Every entry adds a record, except the one that completes a split file.
    if (!pending || files.empty()) ++records;
    boot::AddSectionedEntry(files, input.substr(start, end - start), macros, pending);
    if (files.size() != records) std::abort();
    const boot::FileRecord& last = files.back();
    if (last.destName.size() > boot::kDestNameLength || last.version.size() > boot::kVersionLength) std::abort();
    start = end + 1;
  }
  return 0;
}
