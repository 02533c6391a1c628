#include "pe_version.h"

namespace pe {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kSectionSize = 40;
constexpr std::uint32_t kTypeVersion = 16;
constexpr std::uint32_t kNameVersionInfo = 1;
constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr std::uint64_t kFixedOffset = 40;  // after the header and the UTF-16 key
constexpr std::uint64_t kFixedSize = 52;

// Little-endian reads that fail rather than leave the bytes; offsets are
// 64-bit so that no sum of 32-bit fields can wrap.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}

  bool Has(std::uint64_t offset, std::uint64_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  std::optional<std::uint32_t> Read(std::uint64_t offset, unsigned size) const {
    if (!Has(offset, size)) return std::nullopt;
    std::uint32_t value = 0;
    for (unsigned i = size; i-- > 0;) {
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    }
    return value;
  }
  std::optional<std::uint32_t> U16(std::uint64_t offset) const { return Read(offset, 2); }
  std::optional<std::uint32_t> U32(std::uint64_t offset) const { return Read(offset, 4); }

 private:
  std::string_view bytes_;
};

struct Image {
  std::uint64_t sections = 0;  // offset of the section table
  std::uint32_t sectionCount = 0;
  std::uint32_t resourceRva = 0;
};

std::optional<Image> ReadHeaders(const Bytes& file) {
  if (file.U16(0) != 0x5A4Du) return std::nullopt;  // "MZ"
  const auto peOffset = file.U32(0x3C);
  if (!peOffset || file.U32(*peOffset) != kPeSignature) return std::nullopt;
  const std::uint64_t coff = std::uint64_t{*peOffset} + 4;
  const std::uint64_t optional = coff + 20;
  const auto count = file.U16(coff + 2);
  const auto optionalSize = file.U16(coff + 16);
  const auto magic = file.U16(optional);
  if (!count || !optionalSize || !magic) return std::nullopt;
  if (*magic != kMagicPe32 && *magic != kMagicPe32Plus) return std::nullopt;
  const std::uint64_t countField = *magic == kMagicPe32 ? 92 : 108;
  const std::uint64_t entry = countField + 4 + 8 * kResourceDirectory;
  // The resource entry must lie inside the optional header that claims it.
  if (entry + 8 > *optionalSize) return std::nullopt;
  const auto rvaCount = file.U32(optional + countField);
  const auto rva = file.U32(optional + entry);
  const auto size = file.U32(optional + entry + 4);
  if (!rvaCount || !rva || !size || *rvaCount <= kResourceDirectory || *size == 0) {
    return std::nullopt;
  }
  return Image{optional + *optionalSize, *count, *rva};
}

std::optional<std::uint64_t> FileOffset(const Bytes& file, const Image& image, std::uint32_t rva) {
  for (std::uint32_t i = 0; i < image.sectionCount; ++i) {
    const std::uint64_t section = image.sections + std::uint64_t{i} * kSectionSize;
    const auto address = file.U32(section + 12);
    const auto rawSize = file.U32(section + 16);
    const auto raw = file.U32(section + 20);
    if (!address || !rawSize || !raw) return std::nullopt;
    if (*address <= rva && rva < std::uint64_t{*address} + *rawSize) {
      return std::uint64_t{rva} - *address + *raw;
    }
  }
  return std::nullopt;
}

// The offset field of a directory's entry: the one with `id`, or the first
// of all when `id` is empty.
std::optional<std::uint32_t> FindEntry(const Bytes& file, std::uint64_t directory,
                                       std::optional<std::uint32_t> id) {
  const auto named = file.U16(directory + 12);
  const auto ids = file.U16(directory + 14);
  if (!named || !ids) return std::nullopt;
  const std::uint32_t count = *named + *ids;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = directory + 16 + std::uint64_t{i} * 8;
    const auto name = file.U32(entry);
    const auto offset = file.U32(entry + 4);
    if (!name || !offset) return std::nullopt;
    if (!id || ((*name & kSubdirectory) == 0 && (*name & 0xFFFF) == *id)) return offset;
  }
  return std::nullopt;
}

// Type, name, language: exactly three levels, so a directory that points
// back at itself or nests deeper ends the walk instead of prolonging it.
std::optional<std::uint64_t> VersionDataEntry(const Bytes& file, std::uint64_t root) {
  const auto type = FindEntry(file, root, kTypeVersion);
  if (!type || (*type & kSubdirectory) == 0) return std::nullopt;
  const auto name = FindEntry(file, root + (*type & ~kSubdirectory), kNameVersionInfo);
  if (!name || (*name & kSubdirectory) == 0) return std::nullopt;
  const auto language = FindEntry(file, root + (*name & ~kSubdirectory), std::nullopt);
  if (!language || (*language & kSubdirectory) != 0) return std::nullopt;
  return root + *language;
}

std::optional<FixedFileInfo> ReadBlock(const Bytes& file, std::uint64_t block,
                                       std::uint32_t size) {
  const auto length = file.U16(block);
  const auto valueLength = file.U16(block + 2);
  if (!length || !valueLength || *valueLength < kFixedSize) return std::nullopt;
  if (*length < kFixedOffset + kFixedSize || *length > size) return std::nullopt;
  if (!file.Has(block, *length)) return std::nullopt;
  const std::uint64_t fixed = block + kFixedOffset;
  if (file.U32(fixed) != kFixedSignature) return std::nullopt;
  return FixedFileInfo{*file.U32(fixed + 8), *file.U32(fixed + 12), *file.U32(fixed + 36),
                       *file.U32(fixed + 40)};
}

}  // namespace

std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view bytes) {
  const Bytes file(bytes);
  const auto image = ReadHeaders(file);
  if (!image) return std::nullopt;
  const auto root = FileOffset(file, *image, image->resourceRva);
  if (!root) return std::nullopt;
  const auto entry = VersionDataEntry(file, *root);
  if (!entry) return std::nullopt;
  const auto dataRva = file.U32(*entry);
  const auto dataSize = file.U32(*entry + 4);
  if (!dataRva || !dataSize) return std::nullopt;
  const auto block = FileOffset(file, *image, *dataRva);
  if (!block) return std::nullopt;
  return ReadBlock(file, *block, *dataSize);
}

std::string VersionText(std::uint32_t ms, std::uint32_t ls) {
  return std::to_string(ms >> 16) + '.' + std::to_string(ms & 0xFFFF) + '.' +
         std::to_string(ls >> 16) + '.' + std::to_string(ls & 0xFFFF);
}

}  // namespace pe
