// A small PE image made by the tests: headers, one section holding the
// resource tree, and a version block with fixed file information.
#pragma once

#include <cstdint>
#include <string>

namespace test_pe {

struct Version {
  std::uint32_t ms = 0x00010000, ls = 0;
  std::uint32_t type = 1, subtype = 0;
};

// Where the parts of a built image lie, for tests that damage them.
inline constexpr std::size_t kPeHeader = 0x40;
inline constexpr std::size_t kOptionalHeader = kPeHeader + 24;
inline constexpr std::size_t kResources = 0x200;  // file offset of the section
inline constexpr std::uint32_t kSectionRva = 0x1000;
inline constexpr std::size_t kTypeEntry = kResources + 16;
inline constexpr std::size_t kDataEntry = kResources + 0x48;
inline constexpr std::size_t kBlock = kResources + 0x58;
inline constexpr std::size_t kFixed = kBlock + 40;

inline void Put(std::string& bytes, std::size_t offset, std::uint32_t value, int size) {
  if (bytes.size() < offset + size) bytes.resize(offset + size, '\0');
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

inline void PutDirectory(std::string& bytes, std::size_t at, std::uint32_t id, std::uint32_t to) {
  Put(bytes, at + 14, 1, 2);  // one ID entry
  Put(bytes, at + 16, id, 4);
  Put(bytes, at + 20, to, 4);
}

inline std::string Image(const Version& version, bool plus = false) {
  std::string bytes(kResources + 0x200, '\0');  // headers, then the section
  Put(bytes, 0, 0x5A4D, 2);
  Put(bytes, 0x3C, kPeHeader, 4);
  Put(bytes, kPeHeader, 0x4550, 4);
  Put(bytes, kPeHeader + 4, plus ? 0x8664 : 0x14C, 2);
  Put(bytes, kPeHeader + 6, 1, 2);  // sections
  const std::uint32_t optionalSize = plus ? 240 : 224;
  Put(bytes, kPeHeader + 20, optionalSize, 2);
  Put(bytes, kOptionalHeader, plus ? 0x20B : 0x10B, 2);
  Put(bytes, kOptionalHeader + (plus ? 108 : 92), 16, 4);
  const std::size_t resourceEntry = kOptionalHeader + (plus ? 128 : 112);
  Put(bytes, resourceEntry, kSectionRva, 4);
  Put(bytes, resourceEntry + 4, 0x58 + 92, 4);
  const std::size_t section = kOptionalHeader + optionalSize;
  bytes.replace(section, 5, ".rsrc");
  Put(bytes, section + 8, 0x200, 4);
  Put(bytes, section + 12, kSectionRva, 4);
  Put(bytes, section + 16, 0x200, 4);
  Put(bytes, section + 20, kResources, 4);
  PutDirectory(bytes, kResources, 16, 0x80000018);
  PutDirectory(bytes, kResources + 0x18, 1, 0x80000030);
  PutDirectory(bytes, kResources + 0x30, 0x409, 0x48);
  Put(bytes, kDataEntry, kSectionRva + 0x58, 4);
  Put(bytes, kDataEntry + 4, 92, 4);
  Put(bytes, kBlock, 92, 2);
  Put(bytes, kBlock + 2, 52, 2);
  const std::string key = "VS_VERSION_INFO";
  for (std::size_t i = 0; i < key.size(); ++i) Put(bytes, kBlock + 6 + 2 * i, key[i], 2);
  Put(bytes, kFixed, 0xFEEF04BD, 4);
  Put(bytes, kFixed + 4, 0x00010000, 4);
  Put(bytes, kFixed + 8, version.ms, 4);
  Put(bytes, kFixed + 12, version.ls, 4);
  Put(bytes, kFixed + 36, version.type, 4);
  Put(bytes, kFixed + 40, version.subtype, 4);
  return bytes;
}

}  // namespace test_pe
