#include "media_build.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "capacities.h"
#include "file_names.h"
#include "image_files.h"
#include "pe_version.h"
#include "profile_text.h"
#include "szdd.h"
#include "text.h"

namespace media {
namespace {

namespace fs = std::filesystem;

// What the bootstrapper keeps of a value, in characters.
constexpr std::size_t kTitleLength = boot::kTitleCapacity - 1;
constexpr std::size_t kMessageLength = boot::kLineCapacity - 1;         // DialogMessageN
constexpr std::size_t kNameLength = boot::kShortFieldLength;            // a source name in a list entry
constexpr std::size_t kSetupKeyLength = boot::kListSetupNameCapacity - 1;  // Setup=
constexpr std::size_t kEntryLength = boot::kSectionedEntryCapacity - 1;    // a [Bootstrap] entry
constexpr std::size_t kImageFileLength = boot::kImageFileRoom - 1;         // ImageFile=
constexpr std::size_t kRecordLength = boot::kOwnEntryCapacity - 1;         // a [BootSetup] FileN record
constexpr std::size_t kSetupNameLength = boot::kSetupFileNameCapacity - 1;  // SetupFileName, SetupDistName
constexpr int kMessages = 4;
constexpr int kListPasses = 4;

const char* const kReservedKeys[] = {"VBCompatible", "DialogTitle", "DialogMessage1", "DialogMessage2",
                                     "DialogMessage3", "DialogMessage4", "ImageFile", "SetupFileName",
                                     "SetupDistName"};

std::optional<std::string> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

class Checker {
 public:
  explicit Checker(std::vector<std::string>& errors) : errors_(errors) {}

  void Text(const std::string& key, const std::string& value, std::size_t most) {
    if (value.find('|') != std::string::npos) {
      Error(key, "a \"|\" would split the bootstrapper's text and shift every later value");
    }
    if (value.size() > most) {
      Error(key, std::to_string(value.size()) + " characters; the bootstrapper keeps " +
                     std::to_string(most) + ": \"" + value.substr(0, most) + "\"");
    }
  }
  // A name that ends up in a list entry.
  void Name(const std::string& key, const std::string& name) {
    if (!boot::IsPlainFileName(name) || name.find_first_of(",;") != std::string::npos) {
      Error(key, "\"" + name + "\" is not a plain file name without \",\" or \";\"");
    }
    Text(key, name, kNameLength);
  }
  void Error(const std::string& key, const std::string& text) { errors_.push_back(key + ": " + text); }

 private:
  std::vector<std::string>& errors_;
};

// "PATH;DESTINATION;REGISTER;SKIPIFINUSE", DESTINATION system (the default)
// or windows, REGISTER dll, exe or a registry file's name, SKIPIFINUSE the
// word itself or nothing.
SourceFile ParseFile(const std::string& key, const std::string& value, const fs::path& folder, Checker& check) {
  SourceFile file;
  file.path = folder / boot::GetField(value, 1, ';');
  file.name = boot::ToUpperAscii(file.path.filename().string());
  const std::string destination = boot::ToUpperAscii(boot::GetField(value, 2, ';'));
  if (destination == "WINDOWS") {
    file.windowsDir = true;
  } else if (!destination.empty() && destination != "SYSTEM") {
    check.Error(key, "the destination is system or windows, not \"" + destination + "\"");
  }
  file.registration = boot::GetField(value, 3, ';');
  const std::string kind = boot::ToUpperAscii(file.registration);
  if (kind == "DLL" || kind == "EXE") {
    file.registration = kind;
  } else if (!file.registration.empty()) {
    check.Name(key + " registry file", file.registration);
  }
  const std::string skip = boot::ToUpperAscii(boot::GetField(value, 4, ';'));
  file.skipIfInUse = skip == "SKIPIFINUSE";
  if (!skip.empty() && !file.skipIfInUse) check.Error(key, "the fourth field is skipifinuse or nothing, not \"" + skip + "\"");
  check.Name(key, file.name);
  if (!fs::is_regular_file(file.path)) check.Error(key, file.path.string() + " is not a file");
  return file;
}

// "PATH;ICON;X;Y", as the ImageFile setting with a path for its name.
SplashImage ParseImage(const std::string& value, const fs::path& folder, Checker& check) {
  SplashImage image;
  image.path = folder / boot::GetField(value, 1, ';');
  image.name = boot::ToUpperAscii(image.path.filename().string());
  image.icon = boot::ParseLeadingInt(boot::GetField(value, 2, ';')) != 0;
  image.x = boot::ParseLeadingInt(boot::GetField(value, 3, ';'));
  image.y = boot::ParseLeadingInt(boot::GetField(value, 4, ';'));
  check.Name("Image", image.name);
  const std::optional<std::string> content = ReadBytes(image.path);
  if (!content) {
    check.Error("Image", image.path.string() + " is not a file");
  } else if (const std::string problem = ImageProblem(*content, image.icon); !problem.empty()) {
    check.Error("Image", image.path.string() + " " + problem);
  }
  return image;
}

std::string ImageSetting(const SplashImage& image) {
  return image.name + ";" + (image.icon ? "1" : "0") + ";" + std::to_string(image.x) + ";" + std::to_string(image.y);
}

std::string Macro(const SourceFile& file) { return file.windowsDir ? "$(WinPath)" : "$(WinSysPath)"; }

std::string RegisterMacro(const SourceFile& file) {
  if (file.registration == "DLL") return "$(DLLSelfRegister)";
  if (file.registration == "EXE") return "$(EXESelfRegister)";
  return file.registration;
}

std::string Entry(const PlacedFile& file, const Piece& piece, bool splitFollows) {
  return std::to_string(piece.disk) + "," + (splitFollows ? "SPLIT" : "") + "," + piece.name + "," + file.source->name +
         "," + Macro(*file.source) + "," + RegisterMacro(*file.source) + ",,,," + file.version;
}

// DEST;SKIP;DESTCODE;VERSION;DISK;SOURCE;REGISTER;SECOND;SECONDDISK, the
// empty fields at its end left out.
std::string Record(const PlacedFile& file) {
  const SourceFile& source = *file.source;
  std::string registration = source.registration == "DLL" ? "1" : source.registration == "EXE" ? "2" : source.registration;
  const Piece& first = file.pieces.front();
  std::string record = source.name + ";" + (source.skipIfInUse ? "1" : "") + ";" + (source.windowsDir ? "1" : "") +
                       ";" + file.version + ";" + std::to_string(first.disk) + ";" + first.name + ";" + registration;
  if (file.pieces.size() > 1) record += ";" + file.pieces[1].name + ";" + std::to_string(file.pieces[1].disk);
  while (record.back() == ';') record.pop_back();
  return record;
}

// The main setup program, copied by name from disk 1, and a FileN record
// for each other file.
std::string RecordsText(const std::vector<PlacedFile>& files, std::string& error) {
  const PlacedFile& main = files.front();
  if (main.pieces.size() != 1 || main.pieces.front().disk != 1) {
    error = "the main setup program must lie whole on disk 1 when the list names SetupDistName";
  }
  std::string text = "SetupFileName=" + main.source->name + "\r\nSetupDistName=" + main.pieces.front().name + "\r\n";
  for (std::size_t i = 1; i < files.size(); ++i) {
    const std::string record = Record(files[i]);
    if (record.size() > kRecordLength) {
      error = "the record of " + files[i].source->name + " has " + std::to_string(record.size()) +
              " characters; the bootstrapper reads " + std::to_string(kRecordLength) + ": " + record;
    }
    text += "File" + std::to_string(i) + "=" + record + "\r\n";
  }
  return text;
}

std::string SetupListText(const Manifest& manifest, const std::vector<PlacedFile>& files, std::string& error) {
  const bool records = manifest.RecordForm();
  std::string text = std::string("[BootSetup]\r\nVBCompatible=") + (records ? "0" : "4") + "\r\nDialogTitle=" +
                     manifest.title + "\r\n";
  for (std::size_t i = 0; i < manifest.messages.size(); ++i) {
    if (manifest.messages[i].empty()) continue;
    text += "DialogMessage" + std::to_string(i + 1) + "=" + manifest.messages[i] + "\r\n";
  }
  if (manifest.image) text += "ImageFile=" + ImageSetting(*manifest.image) + "\r\n";
  for (const auto& [key, value] : manifest.settings) text += key + "=" + value + "\r\n";
  if (records) return text + RecordsText(files, error);
  const std::string setup = manifest.main.name + (manifest.switches.empty() ? "" : " " + manifest.switches);
  text += "\r\n[Setup]\r\nSetup=" + setup + "\r\n\r\n[Bootstrap]\r\n";
  int n = 0;
  for (const PlacedFile& file : files) {
    for (std::size_t i = 0; i < file.pieces.size(); ++i) {
      const std::string entry = Entry(file, file.pieces[i], i + 1 < file.pieces.size());
      if (entry.size() > kEntryLength) {
        error = "the entry of " + file.source->name + " has " + std::to_string(entry.size()) +
                " characters; the bootstrapper reads " + std::to_string(kEntryLength) + ": " + entry;
      }
      text += "File" + std::to_string(++n) + "=" + entry + "\r\n";
    }
  }
  return text;
}

// What a disk holds so far.
struct Usage {
  std::uint64_t bytes = 0;
  std::size_t files = 0;
};

// Places the compressed files from disk 1 on, splitting one that does not
// fit into the rest of a disk and the next. False with `error` when a file
// needs more than two disks.
bool Place(std::vector<PlacedFile>& files, const std::vector<std::string>& compressed, const DiskSpace& space,
           Usage used, std::string& error) {
  int disk = 1;
  for (std::size_t i = 0; i < files.size(); ++i) {
    PlacedFile& file = files[i];
    const std::string& bytes = compressed[i];
    const std::string name = szdd::CompressedName(file.source->name);
    file.pieces.clear();
    if (used.bytes >= space.bytes || (space.files != 0 && used.files >= space.files)) {
      ++disk;
      used = {};
    }
    // A whole number of allocation units, as the disk's bytes are.
    const std::uint64_t room = space.bytes - used.bytes;
    if (space.Taken(bytes.size()) <= room) {
      file.pieces.push_back({disk, name, bytes});
      used.bytes += space.Taken(bytes.size());
      ++used.files;
      continue;
    }
    if (space.Taken(bytes.size() - room) > space.bytes) {
      error = file.source->name + " needs " + std::to_string(bytes.size()) +
              " bytes compressed, more than the rest of a disk and the next";
      return false;
    }
    std::string first = name, second = name;
    first.back() = '1';
    second.back() = '2';
    file.pieces.push_back({disk, first, bytes.substr(0, room)});
    file.pieces.push_back({disk + 1, second, bytes.substr(room)});
    ++disk;
    used = {space.Taken(bytes.size() - room), 1};
  }
  return true;
}

}  // namespace

bool Manifest::RecordForm() const {
  return std::any_of(files.begin(), files.end(), [](const SourceFile& file) { return file.skipIfInUse; });
}

std::string ImageProblem(std::string_view content, bool icon) {
  if (icon) {
    const image::Icon read = image::ReadIcon(content);
    return read.usable ? "" : "is not a usable icon (status " + std::to_string(read.status) + ")";
  }
  const image::Bitmap read = image::ReadBitmap(content);
  return read.status == image::kOk ? "" : "is not a readable bitmap (status " + std::to_string(read.status) + ")";
}

ManifestResult ReadManifest(const std::string& text, const fs::path& folder, const fs::path& defaultSetupExe) {
  ManifestResult result;
  result.lineErrors = CheckManifestNames(text);
  if (!result.lineErrors.empty()) return result;
  Checker check(result.errors);
  const profile::Document document(text);
  const auto read = [&document](const char* section, const std::string& key) {
    return document.ReadString(section, key, "", 4096);
  };
  Manifest manifest;
  manifest.title = read("Media", "Title");
  check.Text("Title", manifest.title, kTitleLength);
  manifest.label = read("Media", "Label");
  const std::string setupExe = read("Media", "SetupExe");
  manifest.setupExe = setupExe.empty() ? defaultSetupExe : folder / setupExe;
  if (!fs::is_regular_file(manifest.setupExe)) check.Error("SetupExe", manifest.setupExe.string() + " is not a file");
  for (int n = 1; n <= kMessages; ++n) {
    manifest.messages.push_back(read("Splash", "Message" + std::to_string(n)));
    check.Text("Message" + std::to_string(n), manifest.messages.back(), kMessageLength);
  }
  if (const std::string image = read("Splash", "Image"); !image.empty()) {
    manifest.image = ParseImage(image, folder, check);
    check.Text("Image", ImageSetting(*manifest.image), kImageFileLength);
  }
  for (const auto& [key, value] : document.Entries("Settings")) {
    for (const char* reserved : kReservedKeys) {
      if (boot::ToUpperAscii(key) == boot::ToUpperAscii(reserved)) check.Error(key, "is written by the tool");
    }
    const std::size_t kept = SettingLength(key);
    check.Text(key, value, kept != 0 ? kept : 4096);
    manifest.settings.emplace_back(key, value);
  }
  // The Setup key's program is started from the temporary directory with
  // UseTempDir=1, where $(WinSysPath) files go (and are removed after the
  // run), else from the Windows directory.
  const bool tempDir = document.ReadInt("Settings", "UseTempDir", 0) == 1;
  manifest.main = ParseFile("Main", read("Main", "File") + (tempDir ? ";system" : ";windows"), folder, check);
  manifest.switches = read("Main", "Switches");
  const std::string setup = manifest.main.name + (manifest.switches.empty() ? "" : " " + manifest.switches);
  check.Text("Switches", setup, kSetupKeyLength);
  std::set<std::string> names{manifest.main.name};
  for (const auto& [key, value] : document.Entries("Files")) {
    manifest.files.push_back(ParseFile(key, value, folder, check));
    if (tempDir && manifest.files.back().windowsDir) {
      check.Error(key, "with UseTempDir=1 a windows file goes into the temporary directory and is never deleted, "
                       "so the directory cannot be removed: use system");
    }
    if (!names.insert(manifest.files.back().name).second) check.Error(key, manifest.files.back().name + " is listed twice");
  }
  if (manifest.RecordForm()) {
    if (!manifest.switches.empty()) {
      check.Error("Switches", "a list that says SkipIfInUse (VBCompatible=0) passes no switches to the main setup program");
    }
    check.Text("Main", manifest.main.name, kSetupNameLength);
  }
  if (result.errors.empty()) result.manifest = std::move(manifest);
  return result;
}

std::uint64_t DiskSpace::Taken(std::uint64_t size) const { return (size + cluster - 1) / cluster * cluster; }

DiskSpace DiskSpace::Bytes(std::uint64_t size) { return {size, 1, 0}; }

std::optional<Media> LayOut(const Manifest& manifest, std::uint64_t diskSize, std::uint64_t firstDiskFiles,
                            std::string& error) {
  return LayOut(manifest, DiskSpace::Bytes(diskSize), {firstDiskFiles}, error);
}

std::optional<Media> LayOut(const Manifest& manifest, const DiskSpace& space,
                            const std::vector<std::uint64_t>& firstDiskFiles, std::string& error) {
  Media media;
  std::vector<std::string> compressed;
  std::vector<const SourceFile*> sources{&manifest.main};
  for (const SourceFile& file : manifest.files) sources.push_back(&file);
  for (const SourceFile* source : sources) {
    const std::optional<std::string> bytes = ReadBytes(source->path);
    if (!bytes) {
      error = "cannot read " + source->path.string();
      return std::nullopt;
    }
    PlacedFile file;
    file.source = source;
    file.size = bytes->size();
    if (const auto info = pe::ReadFixedFileInfo(*bytes)) file.version = pe::VersionText(info->fileVersionMs, info->fileVersionLs);
    media.files.push_back(std::move(file));
    compressed.push_back(szdd::Compress(*bytes, source->name.back()));
  }
  Usage fixed;
  for (const std::uint64_t size : firstDiskFiles) fixed = {fixed.bytes + space.Taken(size), fixed.files + 1};
  if (manifest.image) {
    const std::optional<std::string> bytes = ReadBytes(manifest.image->path);
    if (!bytes) {
      error = "cannot read " + manifest.image->path.string();
      return std::nullopt;
    }
    const std::string& name = manifest.image->name;
    media.image = Piece{1, szdd::CompressedName(name), szdd::Compress(*bytes, name.back())};
    fixed = {fixed.bytes + space.Taken(media.image->bytes.size()), fixed.files + 1};
  }
  // The list lies on disk 1 too, and its entries name the disks: lay out
  // again until its size settles.
  std::uint64_t listSize = 0;
  for (int pass = 0; pass < kListPasses; ++pass) {
    if (!Place(media.files, compressed, space, {fixed.bytes + listSize, fixed.files + 1}, error)) return std::nullopt;
    media.setupList = SetupListText(manifest, media.files, error);
    if (!error.empty()) return std::nullopt;
    if (space.Taken(media.setupList.size()) <= listSize) break;
    listSize = space.Taken(media.setupList.size());
  }
  if (fixed.bytes + listSize > space.bytes || (space.files != 0 && fixed.files + 1 > space.files)) {
    error = "SETUP.EXE, the toolkit, the splash image and SETUP.LST alone do not fit on a disk";
    return std::nullopt;
  }
  for (const PlacedFile& file : media.files) media.disks = std::max(media.disks, file.pieces.back().disk);
  return media;
}

bool WriteMedia(const Media& media, const fs::path& setupExe, const fs::path& out, std::string& error) {
  const auto disk = [&out](int n) { return out / ("DISK" + std::to_string(n)); };
  std::error_code failed;
  for (int n = 1; n <= media.disks; ++n) fs::create_directories(disk(n), failed);
  fs::copy_file(setupExe, disk(1) / "SETUP.EXE", failed);
  const fs::path toolkit = setupExe.parent_path() / "ZAVEZ432.DLL";
  if (!failed && fs::is_regular_file(toolkit)) fs::copy_file(toolkit, disk(1) / "ZAVEZ432.DLL", failed);
  bool written = !failed && WriteFile(disk(1) / "SETUP.LST", media.setupList);
  if (media.image) written = written && WriteFile(disk(1) / media.image->name, media.image->bytes);
  for (const PlacedFile& file : media.files) {
    for (const Piece& piece : file.pieces) written = written && WriteFile(disk(piece.disk) / piece.name, piece.bytes);
  }
  if (!written) error = "cannot write the media into " + out.string();
  return written;
}

}  // namespace media
