#include "manifest_check.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "nearest_name.h"
#include "settings.h"
#include "string_table.h"
#include "text.h"

namespace media {
namespace {

struct Section {
  std::string name;
  std::vector<std::string> keys;
  std::vector<std::string> numbered;  // names followed by 1, 2, ...
};

std::vector<Section> KnownSections() {
  const SettingNames settings = BootstrapperSettings();
  return {
      {"Media", {"Title", "SetupExe", "Label"}, {}},
      {"Splash", {"Message1", "Message2", "Message3", "Message4", "Image"}, {}},
      {"Settings", settings.plain, settings.numbered},
      {"Main", {"File", "Switches"}, {}},
      {"Files", {}, {"File"}},
      {"Signing", {"Key", "Certificate", "PassFile", "PassEnv", "TimestampUrl"}, {}},
  };
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  return boot::ToUpperAscii(std::string(a)) == boot::ToUpperAscii(std::string(b));
}

// "Requires12" is Requires with the number 12; "Requires", "Requires0" and
// "Requires01" are never read.
bool NumberedKey(std::string_view key, const std::string& name) {
  if (key.size() <= name.size() || !SameName(key.substr(0, name.size()), name)) return false;
  const std::string_view number = key.substr(name.size());
  return number.front() != '0' &&
         std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool Known(const Section& section, std::string_view key) {
  return std::any_of(section.keys.begin(), section.keys.end(), [&](const std::string& k) { return SameName(k, key); }) ||
         std::any_of(section.numbered.begin(), section.numbered.end(),
                     [&](const std::string& k) { return NumberedKey(key, k); });
}

// The names to suggest: the plain keys, and each numbered key with the
// number the mistyped key ends in (1 when it ends in none or 0).
std::vector<std::string> Candidates(const Section& section, std::string_view key) {
  std::size_t digits = key.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(key[digits - 1]))) --digits;
  std::string number(key.substr(digits));
  number.erase(0, number.find_first_not_of('0'));
  if (number.empty()) number = "1";
  std::vector<std::string> names = section.keys;
  for (const std::string& name : section.numbered) names.push_back(name + number);
  return names;
}

std::string Suggestion(std::string_view name, const std::vector<std::string>& known, const char* open = "",
                       const char* close = "") {
  const std::string nearest = boot::NearestName(name, known);
  return nearest.empty() ? "" : std::string("; did you mean `") + open + nearest + close + "`?";
}

std::string KeyError(const Section& section, std::string_view key) {
  const std::string suggestion = Suggestion(key, Candidates(section, key));
  if (section.name == "Settings") {
    return "the bootstrapper reads no setting " + std::string(key) + suggestion;
  }
  return "[" + section.name + "] has no key " + std::string(key) + suggestion;
}

}  // namespace

SettingNames BootstrapperSettings() {
  SettingNames names;
  for (const boot::SettingKey& key : boot::kSettingKeys) {
    const std::optional<std::string> name = resources::LookUpString(key.id);
    if (name) (key.numbered ? names.numbered : names.plain).push_back(*name);
  }
  return names;
}

std::size_t SettingLength(const std::string& key) {
  for (const boot::SettingKey& setting : boot::kSettingKeys) {
    const std::optional<std::string> name = resources::LookUpString(setting.id);
    if (!name || !(setting.numbered ? NumberedKey(key, *name) : SameName(key, *name))) continue;
    if (setting.id == boot::ids::kImageFile) return boot::kImageFileRoom - 1;
    return setting.capacity == 0 ? 0 : setting.capacity - 1;
  }
  return 0;
}

std::vector<LineError> CheckManifestNames(const std::string& text) {
  const std::vector<Section> sections = KnownSections();
  std::vector<std::string> sectionNames;
  for (const Section& section : sections) sectionNames.push_back(section.name);
  std::vector<LineError> errors;
  const Section* current = nullptr;
  bool inUnknown = false;  // its keys are not reported one by one
  int number = 0;
  for (std::size_t start = 0; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trimmed(std::string_view(text).substr(start, end - start));
    start = end + 1;
    const int at = number + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      current = nullptr;
      inUnknown = true;
      if (close == std::string_view::npos) {
        errors.push_back({at, "the section header " + std::string(line) + " has no \"]\""});
        continue;
      }
      const std::string_view name = Trimmed(line.substr(1, close - 1));
      const auto found = std::find_if(sections.begin(), sections.end(),
                                      [&](const Section& s) { return SameName(s.name, name); });
      if (found == sections.end()) {
        errors.push_back({at, "unknown section [" + std::string(name) + "]" + Suggestion(name, sectionNames, "[", "]")});
        continue;
      }
      current = &*found;
      inUnknown = false;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      errors.push_back({at, "\"" + std::string(line) + "\" is neither a section header, a key nor a comment"});
      continue;
    }
    const std::string_view key = Trimmed(line.substr(0, equals));
    if (current == nullptr && !inUnknown) {
      errors.push_back({at, std::string(key) + " stands before any section"});
    } else if (current != nullptr && !Known(*current, key)) {
      errors.push_back({at, KeyError(*current, key)});
    }
  }
  return errors;
}

}  // namespace media
