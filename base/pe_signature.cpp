#include "pe_signature.h"

#include <cstdint>
#include <optional>

#include "little_endian.h"
#include "pe_version.h"

namespace pe {
namespace {

constexpr std::uint32_t kSecurityDirectory = 4;
constexpr std::uint32_t kCertificateHeader = 8;  // dwLength, wRevision, wCertificateType
constexpr std::uint32_t kRevision2 = 0x0200;
constexpr std::uint32_t kPkcsSignedData = 2;

// Offsets are 64-bit so that no sum of 32-bit fields can wrap.
std::optional<std::uint32_t> Read(std::string_view file, std::uint64_t at, unsigned size) {
  if (at > file.size() || size > file.size() - at) return std::nullopt;
  return boot::ReadLittleEndian(file, static_cast<std::size_t>(at), size);
}

}  // namespace

bool IsImage(std::string_view file) { return FindDataDirectory(file, 0).has_value(); }

bool HasAuthenticodeSignature(std::string_view file) {
  const std::optional<DataDirectory> security = FindDataDirectory(file, kSecurityDirectory);
  if (!security) return false;
  // Unlike the other entries, the security directory's address is a file offset.
  const std::uint64_t offset = security->address;
  const std::uint32_t size = security->size;
  if (size < kCertificateHeader || offset + size > file.size()) return false;
  const auto length = Read(file, offset, 4);
  return length && *length >= kCertificateHeader && *length <= size && Read(file, offset + 4, 2) == kRevision2 &&
         Read(file, offset + 6, 2) == kPkcsSignedData;
}

}  // namespace pe
