// Fuzz target of the profile engine. Input: section, key, value, a second
// section and key to probe, and the file text, separated by NUL bytes (the
// file text may hold NULs itself); fewer parts mean a missing file. Besides not crashing, it checks that
// reads respect their capacity, that a parsed document answers as the scan
// does, that a written value reads back, that nothing else in the file
// changes meaning, and that a new key only inserts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile_text.h"

namespace {

constexpr std::size_t kAll = 1 << 24;

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Input {
  std::vector<std::string_view> names;  // section, key, value, probes
  std::optional<std::string> file;
  std::size_t capacity = 0;
};

Input Parse(std::string_view data) {
  Input input;
  if (!data.empty()) {
    input.capacity = static_cast<unsigned char>(data.front());
    data.remove_prefix(1);
  }
  for (int part = 0; part < 5; ++part) {
    const std::size_t nul = data.find('\0');
    if (nul == std::string_view::npos) {
      input.names.push_back(data);
      input.names.resize(5);
      return input;
    }
    input.names.push_back(data.substr(0, nul));
    data.remove_prefix(nul + 1);
  }
  input.file = std::string(data);
  return input;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view Trim(std::string_view s, bool (*strip)(char)) {
  while (!s.empty() && strip(s.front())) s.remove_prefix(1);
  while (!s.empty() && strip(s.back())) s.remove_suffix(1);
  return s;
}

bool IsSpace(char c) { return c == ' '; }

bool HasAny(std::string_view s, std::string_view bytes) {
  return s.find_first_of(bytes) != std::string_view::npos;
}

// Names that a file line can carry back unchanged.
bool SaneSection(std::string_view section) {
  section = Trim(section, IsSpace);
  return !HasAny(section, std::string_view("\r\n]", 3)) &&
         Trim(section, IsBlank).size() == section.size();
}

bool SaneKey(std::string_view key) {
  key = Trim(key, IsSpace);
  return !key.empty() && !HasAny(key, "\r\n=") && key.front() != '[' &&
         key.front() != ';' && Trim(key, IsBlank).size() == key.size();
}

std::string Expected(std::string_view value) {
  value = Trim(value, IsBlank);
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\''))
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

// Looser than the engine's own matching, so that it never misses a pair
// the engine takes for the same name.
bool SameFolded(std::string_view a, std::string_view b) {
  a = Trim(a, IsSpace);
  b = Trim(b, IsSpace);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y && (x | 0x20) != (y | 0x20)) return false;
  }
  return true;
}

void CheckReads(const Input& in) {
  const std::string whole =
      profile::ReadString(in.file, in.names[0], in.names[1], "d", kAll);
  const std::string cut = profile::ReadString(in.file, in.names[0],
                                              in.names[1], "d", in.capacity);
  Require(cut.size() + 1 <= in.capacity || (cut.empty() && in.capacity == 0));
  Require(whole.compare(0, cut.size(), cut) == 0);
  const profile::Document document(in.file);
  Require(document.ReadString(in.names[0], in.names[1], "d", kAll) == whole);
  Require(document.ReadString(in.names[0], in.names[1], "d", in.capacity) == cut);
  Require(document.ReadInt(in.names[0], in.names[1], -1) ==
          profile::ReadInt(in.file, in.names[0], in.names[1], -1));
}

// Only an insertion: the old text is a prefix and a suffix of the new one.
bool OnlyInserted(std::string_view before, std::string_view after) {
  if (after.size() <= before.size()) return false;
  std::size_t prefix = 0;
  while (prefix < before.size() && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (prefix + suffix < before.size() &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  return prefix + suffix == before.size();
}

bool KeyAbsent(const std::optional<std::string>& file, std::string_view section,
               std::string_view key) {
  return profile::ReadString(file, section, key, "a", kAll) == "a" &&
         profile::ReadString(file, section, key, "b", kAll) == "b";
}

void CheckWrite(const Input& in) {
  const std::string_view section = in.names[0], key = in.names[1];
  const std::string_view value = in.names[2];
  const std::optional<std::string> written{
      profile::WriteString(in.file, section, key, value)};
  if (!SaneSection(section) || !SaneKey(key) || HasAny(value, "\r\n")) return;
  Require(profile::ReadString(written, section, key, "", kAll) ==
          Expected(value));
  Require(profile::WriteString(written, section, key, value) == *written);
  if (in.file && KeyAbsent(in.file, section, key))
    Require(OnlyInserted(*in.file, *written));
  const std::string_view otherSection = in.names[3], otherKey = in.names[4];
  if (SameFolded(section, otherSection) && SameFolded(key, otherKey)) return;
  Require(profile::ReadString(in.file, otherSection, otherKey, "d", kAll) ==
          profile::ReadString(written, otherSection, otherKey, "d", kAll));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const Input input =
      Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  CheckReads(input);
  CheckWrite(input);
  return 0;
}
