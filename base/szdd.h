// SZDD ("LZ-compressed") files: the form in which installation media carry
// their files, readable by the platform's LZ expansion library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace szdd {

constexpr std::size_t kHeaderSize = 14;

struct Header {
  char storedChar;       // the name's last character before it became "_"; 0 = none
  std::uint32_t length;  // expanded size as recorded by the compressor
};

// The header of an SZDD file in mode 'A'; anything else is not compressed.
std::optional<Header> ParseHeader(std::string_view file);

struct Expansion {
  std::string data;
  bool complete;  // false: the stream yielded another size than the header promised
};

// Expands an SZDD file; a file that is not compressed comes back unchanged
// (and complete). Safe on any input.
Expansion Expand(std::string_view file);

// Header and stream that the platform's decoder expands to exactly `data`.
// Throws std::length_error for 4 GiB or more (the header cannot say so).
std::string Compress(std::string_view data, char storedChar);

// The room CompressInto needs for `size` bytes of data; no compressed file
// of them is longer. Throws std::length_error as Compress does.
std::size_t CompressBound(std::size_t size);

// Compress into caller-provided memory of CompressBound(data.size()) bytes,
// which it also uses as working space; returns the compressed size.
std::size_t CompressInto(std::string_view data, char storedChar, char* out);

// The media name of a file: its last character replaced by "_".
std::string CompressedName(const std::string& name);

// The name LZOpenFile tries when `path` itself cannot be opened.
std::string TwinName(const std::string& path);

// The name GetExpandedName gives for `path`, whose content is `content`.
std::string ExpandedName(const std::string& path, std::string_view content);

}  // namespace szdd
