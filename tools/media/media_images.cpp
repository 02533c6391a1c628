#include "media_images.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "external_tool.h"
#include "text.h"

namespace media {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLabelLength = 11;
constexpr std::size_t kVolumeIdLength = 32;
// The dates a FAT directory entry can hold: 1980-01-01 to 2107-12-31.
constexpr std::int64_t kFatFirstDate = 315532800;
constexpr std::int64_t kFatLastDate = 4354819200 - 2;
// Besides letters and digits, what a short name and a volume label may hold.
constexpr std::string_view kShortNameMarks = "!#$%&'()-@^_`{}~";

bool ShortNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || kShortNameMarks.find(c) != std::string_view::npos;
}

bool LabelCharacter(char c) { return ShortNameCharacter(c) || c == ' '; }

bool ShortPart(std::string_view part, std::size_t most) {
  return !part.empty() && part.size() <= most && std::all_of(part.begin(), part.end(), ShortNameCharacter);
}

// The label's text before the disk number: upper case, cut to `room`.
std::string LabelBase(const Manifest& manifest, std::size_t room) {
  std::string base = boot::ToUpperAscii(manifest.label.empty() ? manifest.title : manifest.label);
  for (char& c : base) {
    if (!LabelCharacter(c)) c = '_';
  }
  base = base.substr(0, room);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  return base;
}

std::vector<DiskFile> FolderFiles(const fs::path& folder) {
  std::vector<DiskFile> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back({entry.path().filename().string(), entry.file_size()});
  }
  std::sort(files.begin(), files.end(), [](const DiskFile& a, const DiskFile& b) { return a.name < b.name; });
  return files;
}

std::uint32_t Fnv(std::uint32_t hash, std::string_view bytes) {
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// FNV-1a over the disk's names and bytes and its date: the same disk
// always gets the same serial number, another disk almost surely another.
std::string VolumeSerial(const fs::path& folder, const std::vector<DiskFile>& files, std::int64_t epoch) {
  std::uint32_t hash = Fnv(2166136261u, std::to_string(epoch));
  std::string bytes;
  for (const DiskFile& file : files) {
    bytes.resize(file.size);
    std::ifstream(folder / file.name, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    hash = Fnv(Fnv(hash, file.name), bytes);
  }
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hash));
  return text;
}

// The tools' own settings files and the local time zone stay out of it:
// FAT dates are local times, so UTC keeps them the same everywhere.
std::vector<std::pair<std::string, std::string>> ToolEnvironment(std::int64_t epoch) {
  return {{"SOURCE_DATE_EPOCH", std::to_string(epoch)},
          {"TZ", "UTC0"},
          {"LC_ALL", "C"},
          {"MTOOLSRC", "/dev/null"},
          {"MTOOLS_SKIP_CHECK", "1"}};
}

bool WriteFloppy(const Manifest& manifest, const fs::path& out, int disk, std::int64_t epoch, fs::path& image,
                 std::string& error) {
  const std::string name = "DISK" + std::to_string(disk);
  const fs::path folder = out / name;
  const std::vector<DiskFile> files = FolderFiles(folder);
  for (const DiskFile& file : files) {
    if (!IsShortName(file.name)) {
      error = name + "/" + file.name + " is not a short (8.3) name, which a FAT floppy holds";
      return false;
    }
  }
  if (const std::string problem = FloppyProblem(files); !problem.empty()) {
    error = name + " does not fit a 1.44 MB floppy image: " + problem;
    return false;
  }
  image = out / (name + ".IMG");
  std::error_code ignored;
  fs::remove(image, ignored);
  const auto environment = ToolEnvironment(epoch);
  ToolRun format{{"mformat", "-C", "-i", image.string(), "-f", "1440", "-v", FloppyLabel(manifest, disk), "-N",
                  VolumeSerial(folder, files, epoch), "::"},
                 environment, "mtools"};
  if (!RunTool(format, error)) return false;
  if (files.empty()) return true;
  // -m keeps each file's date, which DateMedia has set.
  ToolRun copy{{"mcopy", "-m", "-i", image.string()}, environment, "mtools"};
  for (const DiskFile& file : files) copy.args.push_back((folder / file.name).string());
  copy.args.push_back("::");
  return RunTool(copy, error);
}

bool WriteCd(const Manifest& manifest, const fs::path& out, int disks, std::int64_t epoch, fs::path& image,
             std::string& error) {
  if (disks != 1) {
    error = "the media need " + std::to_string(disks) + " disks; a CD image holds one";
    return false;
  }
  for (const DiskFile& file : FolderFiles(out / "DISK1")) {
    if (!IsShortName(file.name)) {
      error = "DISK1/" + file.name + " is not a short (8.3) name, which the CD's ISO 9660 names hold";
      return false;
    }
  }
  image = out / "DISK1.ISO";
  std::error_code ignored;
  fs::remove(image, ignored);
  // Rock Ridge would record the builder's own user and permissions; Joliet
  // gives Windows its names. SOURCE_DATE_EPOCH fixes every date and the
  // volume's identifier.
  ToolRun make{{"xorriso", "-no_rc", "-abort_on", "FAILURE", "-report_about", "SORRY", "-outdev",
                "stdio:" + image.string(), "-volid", CdVolumeId(manifest), "-joliet", "on", "-rockridge", "off",
                "-map", (out / "DISK1").string(), "/", "-commit"},
               ToolEnvironment(epoch), "xorriso"};
  if (!RunTool(make, error)) return false;
  if (fs::file_size(image, ignored) > kCdImageLimit) {
    error = "DISK1.ISO has " + std::to_string(fs::file_size(image, ignored)) + " bytes, more than a 74-minute CD's " +
            std::to_string(kCdImageLimit);
    fs::remove(image, ignored);
    return false;
  }
  return true;
}

}  // namespace

std::optional<DiskSpace> SpaceFor(ImageKind kind, std::uint64_t requested, std::string& error) {
  if (kind == ImageKind::kNone) return DiskSpace::Bytes(requested);
  const bool cd = kind == ImageKind::kCd;
  const std::uint64_t cluster = cd ? 2048 : kFloppyCluster;
  const std::uint64_t most = cd ? kCdSize : kFloppyClusters * kFloppyCluster;
  if (requested > most) {
    error = "--disk-size " + std::to_string(requested) + " is more than " + (cd ? "a CD" : "a 1.44 MB floppy image") +
            " holds (" + std::to_string(most) + " bytes)";
    return std::nullopt;
  }
  if (requested < cluster) {
    error = "--disk-size " + std::to_string(requested) + " is less than one allocation unit of the image";
    return std::nullopt;
  }
  return DiskSpace{requested / cluster * cluster, cluster, cd ? 0 : kFloppyRootEntries - 1};
}

std::string FloppyProblem(const std::vector<DiskFile>& files) {
  std::uint64_t clusters = 0;
  for (const DiskFile& file : files) clusters += (file.size + kFloppyCluster - 1) / kFloppyCluster;
  // One root entry is the volume label.
  if (files.size() + 1 > kFloppyRootEntries) {
    return std::to_string(files.size()) + " files and the volume label need " + std::to_string(files.size() + 1) +
           " root directory entries; it has " + std::to_string(kFloppyRootEntries);
  }
  if (clusters > kFloppyClusters) {
    return "the files take " + std::to_string(clusters) + " clusters of 512 bytes (" +
           std::to_string(clusters * kFloppyCluster) + " bytes); it has " + std::to_string(kFloppyClusters) + " (" +
           std::to_string(kFloppyClusters * kFloppyCluster) + " bytes)";
  }
  return "";
}

bool IsShortName(const std::string& name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string::npos) return ShortPart(name, 8);
  return ShortPart(std::string_view(name).substr(0, dot), 8) && ShortPart(std::string_view(name).substr(dot + 1), 3);
}

std::vector<std::string> ImageProblems(const Manifest& manifest, ImageKind kind) {
  std::vector<std::string> problems;
  if (kind == ImageKind::kNone) return problems;
  const auto check = [&problems](const std::string& key, const std::string& name) {
    if (!IsShortName(name)) {
      problems.push_back(key + ": " + name +
                         " is not a short name (up to 8 characters, a dot and up to 3, of A-Z, 0-9 and " +
                         std::string(kShortNameMarks) + "), which the images' FAT and ISO 9660 names need");
    }
  };
  check("Main", manifest.main.name);
  for (std::size_t i = 0; i < manifest.files.size(); ++i) check("File" + std::to_string(i + 1), manifest.files[i].name);
  if (manifest.image) check("Image", manifest.image->name);
  const std::string label = boot::ToUpperAscii(manifest.label);
  if (!std::all_of(label.begin(), label.end(), LabelCharacter)) {
    problems.push_back("Label: \"" + manifest.label + "\" holds a character that a FAT volume label cannot (it takes " +
                       "A-Z, 0-9, blanks and " + std::string(kShortNameMarks) + ")");
  }
  return problems;
}

std::string FloppyLabel(const Manifest& manifest, int disk) {
  const std::string number = std::to_string(disk);
  return LabelBase(manifest, kLabelLength - number.size()) + number;
}

std::string CdVolumeId(const Manifest& manifest) {
  std::string id = boot::ToUpperAscii(manifest.label.empty() ? manifest.title : manifest.label);
  for (char& c : id) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = '_';
  }
  id = id.substr(0, kVolumeIdLength);
  return id.empty() ? "SETUP" : id;
}

std::optional<std::int64_t> MediaDate(const std::vector<fs::path>& inputs, std::string& error) {
  std::int64_t date = kFatFirstDate;
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
    char* end = nullptr;
    date = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || date < 0) {
      error = "SOURCE_DATE_EPOCH=" + std::string(epoch) + " is not a number of seconds";
      return std::nullopt;
    }
  } else {
    for (const fs::path& input : inputs) {
      struct stat status {};
      if (stat(input.c_str(), &status) == 0) date = std::max<std::int64_t>(date, status.st_mtim.tv_sec);
    }
  }
  return std::clamp(date, kFatFirstDate, kFatLastDate);
}

std::vector<fs::path> ManifestInputs(const Manifest& manifest) {
  std::vector<fs::path> inputs{manifest.setupExe, manifest.setupExe.parent_path() / "ZAVEZ432.DLL",
                               manifest.main.path};
  for (const SourceFile& file : manifest.files) inputs.push_back(file.path);
  if (manifest.image) inputs.push_back(manifest.image->path);
  return inputs;
}

bool DateMedia(const fs::path& out, int disks, std::int64_t epoch, std::string& error) {
  const auto when = fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(epoch)));
  std::error_code failed;
  for (int n = 1; n <= disks && !failed; ++n) {
    const fs::path folder = out / ("DISK" + std::to_string(n));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failed)) {
      fs::last_write_time(entry.path(), when, failed);
      if (failed) break;
    }
    if (!failed) fs::last_write_time(folder, when, failed);
  }
  if (failed) error = "cannot date the media in " + out.string() + ": " + failed.message();
  return !failed;
}

std::optional<std::vector<fs::path>> WriteImages(const Manifest& manifest, ImageKind kind, const fs::path& out,
                                                 int disks, std::int64_t epoch, std::string& error) {
  std::vector<fs::path> images;
  for (int disk = 1; disk <= (kind == ImageKind::kCd ? 1 : disks); ++disk) {
    fs::path image;
    const bool written = kind == ImageKind::kCd ? WriteCd(manifest, out, disks, epoch, image, error)
                                                : WriteFloppy(manifest, out, disk, epoch, image, error);
    if (!written) return std::nullopt;
    images.push_back(image);
  }
  return images;
}

}  // namespace media
