#include "pe_version.h"

#include "little_endian.h"

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

// Little-endian reads of the file. A read past the end gives 0 and marks
// the reader failed, so a walk may read on and check once. Offsets are
// 64-bit so that no sum of 32-bit fields can wrap.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}

  bool Has(std::uint64_t offset, std::uint64_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  std::uint32_t U16(std::uint64_t offset) { return Read(offset, 2); }
  std::uint32_t U32(std::uint64_t offset) { return Read(offset, 4); }
  bool Ok() const { return ok_; }

 private:
  std::uint32_t Read(std::uint64_t offset, unsigned size) {
    if (!Has(offset, size)) {
      ok_ = false;
      return 0;
    }
    return boot::ReadLittleEndian(bytes_, static_cast<std::size_t>(offset), size);
  }

  std::string_view bytes_;
  bool ok_ = true;
};

struct Image {
  std::uint64_t sections = 0;  // offset of the section table
  std::uint32_t sectionCount = 0;
  DataDirectory directory;
};

// The headers and the entry `index` of the data directories; nothing when
// the file is no PE32 or PE32+ image or the entry lies outside the
// optional header that claims it.
std::optional<Image> ReadHeaders(Bytes& file, std::uint32_t index) {
  if (file.U16(0) != 0x5A4Du) return std::nullopt;  // "MZ"
  const std::uint32_t peOffset = file.U32(0x3C);
  if (file.U32(peOffset) != kPeSignature) return std::nullopt;
  const std::uint64_t coff = std::uint64_t{peOffset} + 4;
  const std::uint64_t optional = coff + 20;
  const std::uint32_t count = file.U16(coff + 2);
  const std::uint32_t optionalSize = file.U16(coff + 16);
  const std::uint32_t magic = file.U16(optional);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return std::nullopt;
  const std::uint64_t countField = magic == kMagicPe32 ? 92 : 108;
  const std::uint64_t entry = countField + 4 + 8 * std::uint64_t{index};
  if (entry + 8 > optionalSize) return std::nullopt;
  const std::uint32_t rvaCount = file.U32(optional + countField);
  const DataDirectory directory{file.U32(optional + entry), file.U32(optional + entry + 4)};
  if (!file.Ok() || rvaCount <= index) return std::nullopt;
  return Image{optional + optionalSize, count, directory};
}

std::optional<std::uint64_t> FileOffset(Bytes& file, const Image& image, std::uint32_t rva) {
  for (std::uint32_t i = 0; i < image.sectionCount && file.Ok(); ++i) {
    const std::uint64_t section = image.sections + std::uint64_t{i} * kSectionSize;
    const std::uint32_t address = file.U32(section + 12);
    const std::uint32_t rawSize = file.U32(section + 16);
    const std::uint32_t raw = file.U32(section + 20);
    if (file.Ok() && address <= rva && rva < std::uint64_t{address} + rawSize) {
      return std::uint64_t{rva} - address + raw;
    }
  }
  return std::nullopt;
}

// The offset field of a directory's entry: the one with `id`, or the first
// of all when `id` is kAnyEntry.
constexpr std::uint32_t kAnyEntry = 0xFFFFFFFFu;

std::optional<std::uint32_t> FindEntry(Bytes& file, std::uint64_t directory, std::uint32_t id) {
  const std::uint32_t count = file.U16(directory + 12) + file.U16(directory + 14);
  for (std::uint32_t i = 0; i < count && file.Ok(); ++i) {
    const std::uint64_t entry = directory + 16 + std::uint64_t{i} * 8;
    const std::uint32_t name = file.U32(entry);
    const std::uint32_t offset = file.U32(entry + 4);
    const bool match = id == kAnyEntry || ((name & kSubdirectory) == 0 && (name & 0xFFFF) == id);
    if (file.Ok() && match) return offset;
  }
  return std::nullopt;
}

// Type, name, language: exactly three levels, so a directory that points
// back at itself or nests deeper ends the walk instead of prolonging it.
std::optional<std::uint64_t> VersionDataEntry(Bytes& file, std::uint64_t root) {
  const auto type = FindEntry(file, root, kTypeVersion);
  if (!type || (*type & kSubdirectory) == 0) return std::nullopt;
  const auto name = FindEntry(file, root + (*type & ~kSubdirectory), kNameVersionInfo);
  if (!name || (*name & kSubdirectory) == 0) return std::nullopt;
  const auto language = FindEntry(file, root + (*name & ~kSubdirectory), kAnyEntry);
  if (!language || (*language & kSubdirectory) != 0) return std::nullopt;
  return root + *language;
}

std::optional<FixedFileInfo> ReadBlock(Bytes& file, std::uint64_t block, std::uint32_t size) {
  const std::uint32_t length = file.U16(block);
  const std::uint32_t valueLength = file.U16(block + 2);
  if (valueLength < kFixedSize || length < kFixedOffset + kFixedSize || length > size) return std::nullopt;
  if (!file.Has(block, length)) return std::nullopt;
  const std::uint64_t fixed = block + kFixedOffset;
  if (file.U32(fixed) != kFixedSignature) return std::nullopt;
  const FixedFileInfo info{file.U32(fixed + 8), file.U32(fixed + 12), file.U32(fixed + 36), file.U32(fixed + 40)};
  return file.Ok() ? std::optional(info) : std::nullopt;
}

// Where the version resource's data lies in the file, and its size.
struct VersionData {
  std::uint64_t block = 0;
  std::uint32_t size = 0;
};

std::optional<VersionData> FindVersionData(Bytes& file) {
  const auto image = ReadHeaders(file, kResourceDirectory);
  if (!image || image->directory.size == 0) return std::nullopt;
  const auto root = FileOffset(file, *image, image->directory.address);
  if (!root) return std::nullopt;
  const auto entry = VersionDataEntry(file, *root);
  if (!entry) return std::nullopt;
  const std::uint32_t dataRva = file.U32(*entry);
  const std::uint32_t dataSize = file.U32(*entry + 4);
  if (!file.Ok()) return std::nullopt;
  const auto block = FileOffset(file, *image, dataRva);
  if (!block) return std::nullopt;
  return VersionData{*block, dataSize};
}

}  // namespace

std::optional<DataDirectory> FindDataDirectory(std::string_view file, std::uint32_t index) {
  Bytes bytes(file);
  const auto image = ReadHeaders(bytes, index);
  return image ? std::optional(image->directory) : std::nullopt;
}

std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view bytes) {
  Bytes file(bytes);
  const auto data = FindVersionData(file);
  return data ? ReadBlock(file, data->block, data->size) : std::nullopt;
}

std::optional<FixedFileInfo> ReadFixedFileInfoAsLibrary(std::string_view bytes,
                                                        std::uint32_t& valueLength) {
  Bytes file(bytes);
  const auto data = FindVersionData(file);
  if (!data || data->size < kFixedOffset + kFixedSize || !file.Has(data->block, data->size)) {
    return std::nullopt;
  }
  const std::uint64_t fixed = data->block + kFixedOffset;
  valueLength = file.U16(data->block + 2);
  return FixedFileInfo{file.U32(fixed + 8), file.U32(fixed + 12), file.U32(fixed + 36), file.U32(fixed + 40)};
}

std::string VersionText(std::uint32_t ms, std::uint32_t ls) {
  return std::to_string(ms >> 16) + '.' + std::to_string(ms & 0xFFFF) + '.' +
         std::to_string(ls >> 16) + '.' + std::to_string(ls & 0xFFFF);
}

}  // namespace pe
