#include "pe_signature.h"

#include <cstdint>
#include <optional>

#include "little_endian.h"

namespace pe {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kMagicPe32 = 0x10B;
constexpr std::uint32_t kMagicPe32Plus = 0x20B;
constexpr std::uint32_t kSecurityDirectory = 4;
constexpr std::uint32_t kCertificateHeader = 8;  // dwLength, wRevision, wCertificateType
constexpr std::uint32_t kRevision2 = 0x0200;
constexpr std::uint32_t kPkcsSignedData = 2;

// Offsets are 64-bit so that no sum of 32-bit fields can wrap.
std::optional<std::uint32_t> Read(std::string_view file, std::uint64_t at, unsigned size) {
  if (at > file.size() || size > file.size() - at) return std::nullopt;
  return boot::ReadLittleEndian(file, static_cast<std::size_t>(at), size);
}

// The optional header's offset and whether it is PE32+.
std::optional<std::pair<std::uint64_t, bool>> OptionalHeader(std::string_view file) {
  if (Read(file, 0, 2) != 0x5A4Du) return std::nullopt;  // "MZ"
  const auto peOffset = Read(file, 0x3C, 4);
  if (!peOffset || Read(file, *peOffset, 4) != kPeSignature) return std::nullopt;
  const std::uint64_t optional = std::uint64_t{*peOffset} + 24;
  const auto magic = Read(file, optional, 2);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return std::nullopt;
  return std::make_pair(optional, magic == kMagicPe32Plus);
}

}  // namespace

bool IsImage(std::string_view file) { return OptionalHeader(file).has_value(); }

bool HasAuthenticodeSignature(std::string_view file) {
  const auto header = OptionalHeader(file);
  if (!header) return false;
  const auto [optional, plus] = *header;
  const std::uint64_t countField = optional + (plus ? 108 : 92);
  const auto count = Read(file, countField, 4);
  const auto optionalSize = Read(file, optional - 4, 2);
  const std::uint64_t entry = countField + 4 + 8 * kSecurityDirectory;
  // The entry must lie inside the optional header that claims it.
  if (!count || !optionalSize || *count <= kSecurityDirectory || entry + 8 > optional + *optionalSize) return false;
  // Unlike the other entries, the security directory's address is a file offset.
  const auto offset = Read(file, entry, 4);
  const auto size = Read(file, entry + 4, 4);
  if (!offset || !size || *size < kCertificateHeader) return false;
  if (std::uint64_t{*offset} + *size > file.size()) return false;
  const auto length = Read(file, *offset, 4);
  return length && *length >= kCertificateHeader && *length <= *size &&
         Read(file, std::uint64_t{*offset} + 4, 2) == kRevision2 &&
         Read(file, std::uint64_t{*offset} + 6, 2) == kPkcsSignedData;
}

}  // namespace pe
