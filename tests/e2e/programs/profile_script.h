// The script that both profile drivers run: the Windows one with the real
// profile calls under Wine, the host one with the simulated machine's engine.
// Same script, same output lines, so the outputs can be compared as text.
//
// One command a line, fields separated by tabs. Inside a field, the escapes
// \t \r \n \xHH and a doubled backslash stand for bytes that could not
// appear otherwise. Empty lines and lines starting with # are skipped.
//   F <name>                           later commands act on <base dir>/<name>
//   R <section> <key> <default> <capacity>   prints "S <length> <value>"
//   I <section> <key> <default>              prints "I <unsigned value>"
//   W <section> <key> <value>                prints "W <0 or 1>"
// A line that does not fit prints "E <line number>".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile_script {

struct Command {
  char op = 0;
  std::vector<std::string> fields;  // unescaped
};

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline std::optional<char> EscapedByte(std::string_view s, std::size_t& i) {
  const char c = s[i];
  if (c == 't') return '\t';
  if (c == 'r') return '\r';
  if (c == 'n') return '\n';
  if (c == '\\') return '\\';
  if (c != 'x' || i + 2 >= s.size()) return std::nullopt;
  const int high = HexDigit(s[i + 1]);
  const int low = HexDigit(s[i + 2]);
  if (high < 0 || low < 0) return std::nullopt;
  i += 2;
  return static_cast<char>(high * 16 + low);
}

inline std::optional<std::string> Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i == s.size()) return std::nullopt;
    const std::optional<char> byte = EscapedByte(s, i);
    if (!byte) return std::nullopt;
    out += *byte;
  }
  return out;
}

// Printable ASCII stays as it is; everything else becomes \xHH.
inline std::string Escape(std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : s) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

inline std::size_t FieldCount(char op) {
  switch (op) {
    case 'F': return 1;
    case 'R': return 4;
    case 'I': return 3;
    case 'W': return 3;
    default: return 0;
  }
}

// nullopt for a line that does not fit; a Command with op 0 for a line to skip.
inline std::optional<Command> ParseLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() == '#') return Command{};
  Command command{line.front(), {}};
  if (line.size() < 2 || line[1] != '\t') return std::nullopt;
  std::size_t start = 2;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    const std::optional<std::string> field =
        Unescape(line.substr(start, tab == std::string_view::npos
                                        ? std::string_view::npos
                                        : tab - start));
    if (!field) return std::nullopt;
    command.fields.push_back(*field);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (command.fields.size() != FieldCount(command.op)) return std::nullopt;
  return command;
}

// Whole-number fields: capacity and integer default.
inline std::optional<long long> Number(const std::string& field) {
  if (field.empty()) return std::nullopt;
  std::size_t i = field[0] == '-' ? 1 : 0;
  if (i == field.size()) return std::nullopt;
  long long value = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9' || value > 100000000000LL)
      return std::nullopt;
    value = value * 10 + (field[i] - '0');
  }
  return field[0] == '-' ? -value : value;
}

// An engine offers
//   std::string ReadString(path, section, key, default, capacity)
//   std::uint32_t ReadInt(path, section, key, default)
//   bool WriteString(path, section, key, value)
// Returns the output line of one command, or nullopt when it does not fit.
template <class Engine>
std::optional<std::string> Perform(const Command& command,
                                   const std::string& path, Engine& engine) {
  const std::vector<std::string>& f = command.fields;
  if (command.op == 'R') {
    const std::optional<long long> capacity = Number(f[3]);
    if (!capacity || *capacity < 0) return std::nullopt;
    const std::string value = engine.ReadString(
        path, f[0], f[1], f[2], static_cast<std::size_t>(*capacity));
    return "S " + std::to_string(value.size()) + " " + Escape(value);
  }
  if (command.op == 'I') {
    const std::optional<long long> def = Number(f[2]);
    if (!def) return std::nullopt;
    return "I " + std::to_string(engine.ReadInt(path, f[0], f[1],
                                                static_cast<int>(*def)));
  }
  if (command.op == 'W')
    return engine.WriteString(path, f[0], f[1], f[2]) ? "W 1" : "W 0";
  return std::nullopt;
}

// Runs a whole script; the output has one "\n"-ended line per command
// other than F.
template <class Engine>
std::string Run(std::string_view script, const std::string& baseDir,
                char separator, Engine& engine) {
  std::string out;
  std::string path = baseDir + separator + "profile.ini";
  std::size_t number = 0;
  for (std::size_t start = 0; start < script.size(); ++number) {
    std::size_t end = script.find('\n', start);
    if (end == std::string_view::npos) end = script.size();
    const std::optional<Command> command =
        ParseLine(script.substr(start, end - start));
    start = end + 1;
    if (command && command->op == 0) continue;
    if (command && command->op == 'F') {
      path = baseDir + separator + command->fields[0];
      continue;
    }
    const std::optional<std::string> line =
        command ? Perform(*command, path, engine) : std::nullopt;
    out += line ? *line : "E " + std::to_string(number + 1);
    out += '\n';
  }
  return out;
}

}  // namespace profile_script
