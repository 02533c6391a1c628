#include "list_forms.h"

#include "file_names.h"

namespace boot {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsLineBreak(char c) { return c == '\n' || c == '\r' || c == '\f' || c == '\x1a'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

// The platform's profile calls read a file with a UTF-16 byte-order mark
// as sections and keys, so such a list is never a plain one.
bool IsUtf16(std::string_view content) {
  return content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF");
}

PlainScan ScanContent(std::string_view content) {
  PlainScan scan;
  std::size_t cursor = 0;
  while (const auto next = NextLineStart(content, cursor)) {
    if (*next - cursor > kPlainLineStretch) {
      scan.result = kScanLineTooLong;
      scan.list.clear();
      return scan;
    }
    for (std::size_t i = cursor; i < *next; ++i) {
      if (!IsLineBreak(content[i])) scan.list += content[i];
    }
    scan.list += ';';
    cursor = *next;
  }
  scan.list.append(content.substr(cursor));
  scan.result = kScanDone;
  return scan;
}

}  // namespace

std::vector<std::string> PlainListItems(const std::string& joined) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find(';', start);
    if (end == std::string::npos) end = joined.size();
    items.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

PlainScan ScanListContent(std::string_view content) {
  if (IsUtf16(content)) return {kScanLineTooLong, {}};
  return ScanPlainList(content);
}

std::optional<std::size_t> NextLineStart(std::string_view content, std::size_t pos) {
  while (pos < content.size() && !IsLineBreak(content[pos])) ++pos;
  if (pos >= content.size()) return std::nullopt;
  while (pos < content.size() && IsLineBreak(content[pos])) ++pos;
  return pos;
}

PlainScan ScanPlainList(std::optional<std::string_view> content) {
  if (!content || content->size() <= 2) return {};
  // The list is text: whatever follows a NUL byte is not part of it.
  std::string_view text = *content;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return ScanContent(text.substr(0, text.find('\0')));
}

void AddSectionedEntry(std::vector<FileRecord>& files, std::string_view entry, const ListMacros& macros,
                       bool& splitPending) {
  const auto field = [entry](int n, std::size_t length) { return GetField(entry, n, ',').substr(0, length); };
  if (splitPending && !files.empty()) {
    splitPending = false;
    files.back().secondSource = field(3, kShortFieldLength);
    files.back().secondDisk = ParseLeadingInt(field(1, kShortFieldLength));
    return;
  }
  const std::string place = field(5, kShortFieldLength);
  const std::string reg = field(6, kShortFieldLength);
  FileRecord record;
  record.destName = field(4, kDestNameLength);
  record.destCode = StartsWith(place, macros.winSysPath) ? 0 : StartsWith(place, macros.winPath) ? 1 : 0;
  record.version = field(10, kVersionLength);
  record.disk = ParseLeadingInt(field(1, kShortFieldLength));
  record.sourceName = field(3, kShortFieldLength);
  if (StartsWith(reg, macros.dllSelfRegister)) {
    record.registration = "1";
  } else if (StartsWith(reg, macros.exeSelfRegister)) {
    record.registration = "2";
  } else {
    record.registration = IsSet(reg) ? reg : "0";
  }
  splitPending = !GetField(entry, 2, ',').empty();
  files.push_back(record);
}

bool RefusesDestination(const FileRecord& record) {
  if (record.secondPartMissing) return true;
  return RegisterKindOf(record.registration) == RegisterKind::kProgram && !(IsPlainFileName(record.destName) && HasExtension(record.destName));
}

const std::string* FirstUnplainName(const FileRecord& record) {
  const bool registryFile = record.registration.size() >= 3;
  if (!IsPlainFileName(record.destName)) return &record.destName;
  if (!record.sourceName.empty() && !IsPlainFileName(record.sourceName)) return &record.sourceName;
  if (record.IsSplit() && !IsPlainFileName(record.secondSource)) return &record.secondSource;
  if (registryFile && !IsPlainFileName(record.registration)) return &record.registration;
  return nullptr;
}

}  // namespace boot
