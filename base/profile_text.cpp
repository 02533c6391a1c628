#include "profile_text.h"

#include <limits>

namespace profile {
namespace {

constexpr std::string_view kBreak = "\r\n";

// One line of a file: [begin, end) is its text, next is where the following
// line starts. CR, LF and CRLF all end a line, so CR-only files read too.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

Line LineAt(std::string_view text, std::size_t begin) {
  const std::size_t end = text.find_first_of(kBreak, begin);
  if (end == std::string_view::npos) return {begin, text.size(), text.size()};
  std::size_t next = end + 1;
  if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
  return {begin, end, next};
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view SkipBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view DropTrailingBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimBlanks(std::string_view s) {
  return DropTrailingBlanks(SkipBlanks(s));
}

// Names passed by the caller lose spaces only: a tab stays part of the name.
std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Case is folded for ASCII letters only: Wine's profile calls match accented
// letters of the ANSI code page exactly, and the simulated machine follows.
char Fold(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

enum class Kind { kBlank, kComment, kHeader, kEntry };

struct Parsed {
  Kind kind = Kind::kBlank;
  std::string_view name;        // section of a header, key of an entry
  bool hasValue = false;        // the entry has an "="
  std::size_t valueOffset = 0;  // within the line, just after the "="
};

// "[name]": the name ends at the first "]" (or at the end of the line).
std::string_view HeaderName(std::string_view fromBracket) {
  std::string_view name = fromBracket.substr(1);
  name = name.substr(0, name.find(']'));
  return TrimBlanks(name);
}

Parsed ParseLine(std::string_view line) {
  const std::string_view rest = SkipBlanks(line);
  if (rest.empty()) return {};
  if (rest.front() == ';') return {Kind::kComment, {}, false, 0};
  if (rest.front() == '[') return {Kind::kHeader, HeaderName(rest), false, 0};
  const std::size_t equals = rest.find('=');
  if (equals == std::string_view::npos) return {Kind::kEntry, {}, false, 0};
  return {Kind::kEntry, DropTrailingBlanks(rest.substr(0, equals)), true,
          line.size() - rest.size() + equals + 1};
}

// Where a section and a key of it are. Only the first section of that name
// is searched, and the first line of the key wins.
struct Match {
  bool sectionFound = false;
  bool keyFound = false;
  std::size_t valueBegin = 0;  // the key's value, up to the line break
  std::size_t valueEnd = 0;
  std::size_t insertAt = 0;  // just after the section's last entry or header
};

void NoteEntry(const Line& line, const Parsed& parsed, std::string_view key,
               Match& match) {
  match.insertAt = line.next;
  if (!parsed.hasValue || !SameName(parsed.name, key)) return;
  match.keyFound = true;
  match.valueBegin = line.begin + parsed.valueOffset;
  match.valueEnd = line.end;
}

Match Find(std::string_view text, std::string_view section,
           std::string_view key) {
  Match match;
  for (Line line = LineAt(text, 0); line.begin < text.size();
       line = LineAt(text, line.next)) {
    const Parsed parsed =
        ParseLine(text.substr(line.begin, line.end - line.begin));
    if (parsed.kind == Kind::kHeader) {
      if (match.sectionFound) break;
      match.sectionFound = SameName(parsed.name, section);
      match.insertAt = line.next;
    } else if (match.sectionFound && parsed.kind == Kind::kEntry) {
      NoteEntry(line, parsed, key, match);
      if (match.keyFound) break;
    }
  }
  return match;
}

// Outer quotes of the same kind are removed, so that a value can keep
// leading or trailing blanks.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\''))
    return value.substr(1, value.size() - 2);
  return value;
}

std::optional<std::string_view> StoredValue(
    const std::optional<std::string>& fileText, std::string_view section,
    std::string_view key) {
  if (!fileText || key.empty()) return std::nullopt;
  const std::string_view text = *fileText;
  const Match match = Find(text, section, key);
  if (!match.keyFound) return std::nullopt;
  const std::string_view raw =
      text.substr(match.valueBegin, match.valueEnd - match.valueBegin);
  return Unquote(TrimBlanks(raw));
}

std::string_view DefaultValue(std::string_view defaultText) {
  while (!defaultText.empty() && defaultText.back() == ' ')
    defaultText.remove_suffix(1);
  return defaultText;
}

std::uint32_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != '\0' &&
         static_cast<unsigned char>(text[i]) <= ' ')
    ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::uint32_t number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    number = number * 10u + static_cast<std::uint32_t>(text[i] - '0');
  return negative ? 0u - number : number;
}

std::string Spliced(std::string_view text, std::size_t from,
                    std::string_view insert, std::size_t to) {
  std::string result;
  result.reserve(text.size() - (to - from) + insert.size());
  result.append(text.substr(0, from));
  result.append(insert);
  result.append(text.substr(to));
  return result;
}

// What is inserted at `at` must start on a line of its own.
std::string BrokenLine(std::string_view text, std::size_t at,
                       std::string lines) {
  if (at == 0 || text[at - 1] == '\r' || text[at - 1] == '\n') return lines;
  return std::string(kBreak) + lines;
}

}  // namespace

std::string ReadString(const std::optional<std::string>& fileText,
                       std::string_view section, std::string_view key,
                       std::string_view defaultText, std::size_t capacity) {
  if (capacity == 0) return {};
  const std::string_view value =
      StoredValue(fileText, TrimSpaces(section), TrimSpaces(key))
          .value_or(DefaultValue(defaultText));
  return std::string(value.substr(0, capacity - 1));
}

std::uint32_t ReadInt(const std::optional<std::string>& fileText,
                      std::string_view section, std::string_view key,
                      int defaultValue) {
  const std::string text = ReadString(fileText, section, key, "",
                                      std::numeric_limits<std::size_t>::max());
  if (text.empty()) return static_cast<std::uint32_t>(defaultValue);
  return LeadingNumber(text);
}

std::string WriteString(const std::optional<std::string>& fileText,
                        std::string_view section, std::string_view key,
                        std::string_view value) {
  section = TrimSpaces(section);
  key = TrimSpaces(key);
  const std::string entry =
      std::string(key) + "=" + std::string(value) + std::string(kBreak);
  const std::string header =
      "[" + std::string(section) + "]" + std::string(kBreak);
  if (!fileText) return header + entry;
  const std::string_view text = *fileText;
  const Match match = Find(text, section, key);
  if (!match.sectionFound)
    return Spliced(text, text.size(),
                   BrokenLine(text, text.size(), header + entry), text.size());
  if (match.keyFound)
    return Spliced(text, match.valueBegin, value, match.valueEnd);
  return Spliced(text, match.insertAt, BrokenLine(text, match.insertAt, entry),
                 match.insertAt);
}

}  // namespace profile
