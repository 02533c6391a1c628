// Profile (INI) file engine of the simulated machine: pure functions over
// the bytes of one file. The caller reads and writes the file and resolves
// its name; these functions only parse and edit text, the way the Windows
// profile calls do (in-place edits, everything else kept byte for byte).
//
// A file that starts with the UTF-16 LE byte-order mark is read and written
// as UTF-16, as the platform does: names are compared as characters, values
// come back in the ANSI code page (taken here as Latin-1, a character beyond
// it reads as "?"), and a write keeps the file UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace profile {

// fileText: the file's bytes, or nullopt when the file does not exist.
// The result is cut to capacity - 1 characters (capacity 0 gives "").
std::string ReadString(const std::optional<std::string>& fileText,
                       std::string_view section, std::string_view key,
                       std::string_view defaultText, std::size_t capacity);

// The value's leading decimal number modulo 2^32; defaultValue when the
// value is missing or empty, 0 when it has no leading digits.
std::uint32_t ReadInt(const std::optional<std::string>& fileText,
                      std::string_view section, std::string_view key,
                      int defaultValue);

// The file's new text after writing key=value into section.
std::string WriteString(const std::optional<std::string>& fileText,
                        std::string_view section, std::string_view key,
                        std::string_view value);

// The end of a file to which WriteString would append a new key of the
// file's last section. Kept beside the file, it lets a writer that adds
// key after key (a log) append each in time proportional to the entry
// instead of rewriting the whole file.
struct Tail {
  std::string section;                   // the last section's name, folded
  std::unordered_set<std::string> keys;  // its keys, folded
};

// None when a new key of the last section would not go at the file's end:
// no file or section, a UTF-16 file, no line break at the end, a blank or
// comment line after the last entry, a last section whose name came before.
std::optional<Tail> TailOf(const std::optional<std::string>& fileText);

struct Appending {
  std::string line;  // with its line break
  std::string key;   // folded, for Tail::keys once the line is written
};

// What WriteString would append to a file with this tail, when appending
// one line is all it would do: the last section, a key it lacks, an entry
// that stays on one line.
std::optional<Appending> Appended(const Tail& tail, std::string_view section,
                                  std::string_view key, std::string_view value);

// A file parsed once for many reads: each read is a look-up instead of a
// scan, with the same answers as the functions above.
class Document {
 public:
  explicit Document(const std::optional<std::string>& fileText);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultText,
                         std::size_t capacity) const;
  std::uint32_t ReadInt(std::string_view section, std::string_view key,
                        int defaultValue) const;
  // The key lines of the section as the file holds them, in file order:
  // names as written, values unprocessed, both in the ANSI code page.
  std::vector<std::pair<std::string, std::string>> Entries(
      std::string_view section) const;

  // Where things stand in the file, for tools that name lines: lines
  // count from 1, a break being CR, LF or CR LF as for the reads.
  struct Header {
    std::string name;
    std::size_t line = 0;
    bool closed = true;  // a "]" ends the name
  };
  std::vector<Header> Headers() const;
  // The keys that reads find in the section (the first line of each
  // name), in file order, with their lines.
  std::vector<std::pair<std::string, std::size_t>> KeyLines(
      std::string_view section) const;

 private:
  // Offsets into text_, so that a copied or moved document stays valid.
  struct Entry {
    std::size_t nameBegin = 0, nameSize = 0;
    std::size_t valueBegin = 0, valueSize = 0;  // all the text after "="
    std::size_t line = 0;
  };
  struct Section {
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> firstByName;  // folded
  };

  std::optional<std::string> Stored(std::string_view section,
                                    std::string_view key) const;

  bool wide_ = false;
  std::string text_;
  std::vector<Header> headers_;  // UTF-8 when the file is UTF-16
  std::unordered_map<std::string, Section> sections_;  // first of each name
};

}  // namespace profile
