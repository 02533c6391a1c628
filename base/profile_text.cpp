#include "profile_text.h"

#include <limits>

namespace profile {
namespace {

constexpr std::string_view kBreak = "\r\n";
constexpr std::string_view kWideMark = "\xFF\xFE";  // UTF-16 LE

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

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = Fold(c);
  return folded;
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

// --- UTF-16 files ------------------------------------------------------------
// Their text is handled as UTF-8, in which the bytes that the parser looks
// for ("[", "]", "=", ";", blanks, line breaks) mean what they mean in ANSI.
// Lone surrogates are carried through as three-byte sequences, so that a
// write keeps every unit of the file that it does not change.
// A UTF-8 byte-order mark is not recognised: as with the platform's ANSI
// profile calls, its bytes are part of the first line.

bool IsWide(std::string_view bytes) {
  return bytes.substr(0, kWideMark.size()) == kWideMark;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
  const auto put = [&out](std::uint32_t byte) {
    out += static_cast<char>(byte);
  };
  if (c < 0x80) return put(c);
  if (c < 0x800) {
    put(0xC0 | c >> 6);
  } else if (c < 0x10000) {
    put(0xE0 | c >> 12);
    put(0x80 | (c >> 6 & 0x3F));
  } else {
    put(0xF0 | c >> 18);
    put(0x80 | (c >> 12 & 0x3F));
    put(0x80 | (c >> 6 & 0x3F));
  }
  put(0x80 | (c & 0x3F));
}

// The character at `pos` and its length. A malformed byte stands for itself
// rather than lead a read past the end.
std::pair<std::uint32_t, std::size_t> NextUtf8(std::string_view s,
                                               std::size_t pos) {
  const auto lead = static_cast<unsigned char>(s[pos]);
  const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length == 1 || pos + length > s.size()) return {lead, 1};
  std::uint32_t c = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(s[pos + i]);
    if ((next & 0xC0) != 0x80) return {lead, 1};
    c = c << 6 | (next & 0x3Fu);
  }
  return {c, length};
}

struct Decoded {
  bool wide = false;
  std::string text;
  std::string tail;  // an odd last byte of a UTF-16 file
};

Decoded Decode(const std::string& bytes) {
  if (!IsWide(bytes)) return {false, bytes, {}};
  Decoded decoded{true, {}, {}};
  const auto unit = [&bytes](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
  };
  std::size_t i = kWideMark.size();
  for (; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = unit(i);
    const std::uint32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
    if (c >= 0xD800 && c < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(decoded.text, c);
  }
  decoded.tail = bytes.substr(i);
  return decoded;
}

std::string EncodeWide(std::string_view text) {
  std::string out(kWideMark);
  const auto put = [&out](std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8 & 0xFF);
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto [c, length] = NextUtf8(text, i);
    i += length;
    if (c < 0x10000) {
      put(c);
    } else {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

// Names and values that the caller passes are ANSI.
std::string Inward(std::string_view ansi, bool wide) {
  if (!wide) return std::string(ansi);
  std::string text;
  for (const char c : ansi) AppendUtf8(text, static_cast<unsigned char>(c));
  return text;
}

std::string Outward(std::string_view text, bool wide) {
  if (!wide) return std::string(text);
  std::string ansi;
  for (std::size_t i = 0; i < text.size();) {
    const auto [c, length] = NextUtf8(text, i);
    i += length;
    ansi += c <= 0xFF ? static_cast<char>(c) : '?';
  }
  return ansi;
}

// --- answers -------------------------------------------------------------------

std::string StoredText(std::string_view raw, bool wide) {
  return Outward(Unquote(TrimBlanks(raw)), wide);
}

std::optional<std::string> StoredValue(const Decoded& file,
                                       std::string_view section,
                                       std::string_view key) {
  const std::string name = Inward(TrimSpaces(key), file.wide);
  if (name.empty()) return std::nullopt;
  const std::string_view text = file.text;
  const Match match = Find(text, Inward(TrimSpaces(section), file.wide), name);
  if (!match.keyFound) return std::nullopt;
  return StoredText(
      text.substr(match.valueBegin, match.valueEnd - match.valueBegin),
      file.wide);
}

std::string Answer(const std::optional<std::string>& stored,
                   std::string_view defaultText, std::size_t capacity) {
  if (capacity == 0) return {};
  std::string value = stored ? *stored : std::string(DefaultValue(defaultText));
  if (value.size() > capacity - 1) value.resize(capacity - 1);
  return value;
}

std::uint32_t NumberOr(const std::string& text, int defaultValue) {
  if (text.empty()) return static_cast<std::uint32_t>(defaultValue);
  return LeadingNumber(text);
}

constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

std::string Edit(std::optional<std::string_view> fileText,
                 std::string_view section, std::string_view key,
                 std::string_view value) {
  section = TrimSpaces(section);
  key = TrimSpaces(key);
  const std::string entry =
      std::string(key) + "=" + std::string(value) + std::string(kBreak);
  std::string header = "[";
  header.append(section).append("]").append(kBreak);
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

}  // namespace

std::string ReadString(const std::optional<std::string>& fileText,
                       std::string_view section, std::string_view key,
                       std::string_view defaultText, std::size_t capacity) {
  std::optional<std::string> stored;
  if (fileText && capacity > 0) stored = StoredValue(Decode(*fileText), section, key);
  return Answer(stored, defaultText, capacity);
}

std::uint32_t ReadInt(const std::optional<std::string>& fileText,
                      std::string_view section, std::string_view key,
                      int defaultValue) {
  return NumberOr(ReadString(fileText, section, key, "", kWhole), defaultValue);
}

std::string WriteString(const std::optional<std::string>& fileText,
                        std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!fileText || !IsWide(*fileText)) return Edit(fileText, section, key, value);
  const Decoded file = Decode(*fileText);
  return EncodeWide(Edit(file.text, Inward(section, true), Inward(key, true),
                         Inward(value, true))) +
         file.tail;
}

std::optional<Tail> TailOf(const std::optional<std::string>& fileText) {
  if (!fileText || IsWide(*fileText)) return std::nullopt;
  const std::string_view text = *fileText;
  if (text.empty() || (text.back() != '\r' && text.back() != '\n')) return std::nullopt;
  std::unordered_set<std::string> seen;
  std::optional<Tail> tail;
  Kind last = Kind::kBlank;
  for (Line line = LineAt(text, 0); line.begin < text.size();
       line = LineAt(text, line.next)) {
    const Parsed parsed =
        ParseLine(text.substr(line.begin, line.end - line.begin));
    last = parsed.kind;
    if (parsed.kind == Kind::kHeader) {
      // Only the first section of a name is ever searched.
      std::string name = Folded(parsed.name);
      tail.reset();
      if (seen.insert(name).second) tail = Tail{std::move(name), {}};
    } else if (tail && parsed.kind == Kind::kEntry && parsed.hasValue) {
      tail->keys.insert(Folded(parsed.name));
    }
  }
  if (last != Kind::kHeader && last != Kind::kEntry) return std::nullopt;
  return tail;
}

std::optional<Appending> Appended(const Tail& tail, std::string_view section,
                                  std::string_view key, std::string_view value) {
  key = TrimSpaces(key);
  if (Folded(TrimSpaces(section)) != tail.section || tail.keys.contains(Folded(key)))
    return std::nullopt;
  std::string line = std::string(key) + "=" + std::string(value);
  if (line.find_first_of(kBreak) != std::string::npos) return std::nullopt;
  const Parsed parsed = ParseLine(line);
  if (parsed.kind != Kind::kEntry || !parsed.hasValue) return std::nullopt;
  std::string folded = Folded(parsed.name);
  return Appending{line.append(kBreak), std::move(folded)};
}

// --- a parsed file ---------------------------------------------------------------

Document::Document(const std::optional<std::string>& fileText) {
  if (!fileText) return;
  Decoded file = Decode(*fileText);
  wide_ = file.wide;
  text_ = std::move(file.text);
  const std::string_view text = text_;
  Section* current = nullptr;
  std::size_t number = 0;
  for (Line line = LineAt(text, 0); line.begin < text.size();
       line = LineAt(text, line.next)) {
    ++number;
    const std::string_view whole = text.substr(line.begin, line.end - line.begin);
    const Parsed parsed = ParseLine(whole);
    if (parsed.kind == Kind::kHeader) {
      headers_.push_back({Outward(parsed.name, wide_), number,
                          whole.find(']') != std::string_view::npos});
      // Only the first section of a name is ever searched.
      const auto [at, isNew] = sections_.try_emplace(Folded(parsed.name));
      current = isNew ? &at->second : nullptr;
    } else if (current != nullptr && parsed.kind == Kind::kEntry &&
               parsed.hasValue) {
      const std::size_t valueBegin = line.begin + parsed.valueOffset;
      current->entries.push_back(
          {static_cast<std::size_t>(parsed.name.data() - text.data()),
           parsed.name.size(), valueBegin, line.end - valueBegin, number});
      current->firstByName.try_emplace(Folded(parsed.name),
                                       current->entries.size() - 1);
    }
  }
}

std::optional<std::string> Document::Stored(std::string_view section,
                                            std::string_view key) const {
  const auto found =
      sections_.find(Folded(Inward(TrimSpaces(section), wide_)));
  if (found == sections_.end()) return std::nullopt;
  const Section& entries = found->second;
  const std::string name = Folded(Inward(TrimSpaces(key), wide_));
  const auto entry = entries.firstByName.find(name);
  if (name.empty() || entry == entries.firstByName.end()) return std::nullopt;
  const Entry& at = entries.entries[entry->second];
  return StoredText(std::string_view(text_).substr(at.valueBegin, at.valueSize),
                    wide_);
}

std::string Document::ReadString(std::string_view section,
                                 std::string_view key,
                                 std::string_view defaultText,
                                 std::size_t capacity) const {
  return Answer(Stored(section, key), defaultText, capacity);
}

std::uint32_t Document::ReadInt(std::string_view section, std::string_view key,
                                int defaultValue) const {
  return NumberOr(ReadString(section, key, "", kWhole), defaultValue);
}

std::vector<std::pair<std::string, std::string>> Document::Entries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  const auto found = sections_.find(Folded(Inward(TrimSpaces(section), wide_)));
  if (found == sections_.end()) return entries;
  const std::string_view text = text_;
  for (const Entry& entry : found->second.entries) {
    entries.emplace_back(
        Outward(text.substr(entry.nameBegin, entry.nameSize), wide_),
        Outward(text.substr(entry.valueBegin, entry.valueSize), wide_));
  }
  return entries;
}

std::vector<Document::Header> Document::Headers() const { return headers_; }

std::vector<std::pair<std::string, std::size_t>> Document::KeyLines(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::size_t>> keys;
  const auto found = sections_.find(Folded(Inward(TrimSpaces(section), wide_)));
  if (found == sections_.end()) return keys;
  const Section& entries = found->second;
  const std::string_view text = text_;
  for (std::size_t i = 0; i < entries.entries.size(); ++i) {
    const Entry& entry = entries.entries[i];
    const std::string_view name = text.substr(entry.nameBegin, entry.nameSize);
    const auto first = entries.firstByName.find(Folded(name));
    if (!name.empty() && first != entries.firstByName.end() && first->second == i)
      keys.emplace_back(Outward(name, wide_), entry.line);
  }
  return keys;
}

}  // namespace profile
