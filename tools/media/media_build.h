// Building installation media from a manifest: the files compressed, laid
// out on disks (a file that does not fit split over two), and the sectioned
// SETUP.LST that tells the bootstrapper what to install.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "manifest_check.h"

namespace media {

// One bootstrap file of the manifest.
struct SourceFile {
  std::filesystem::path path;
  std::string name;          // installed name, upper case
  // $(WinPath): the Windows directory, or the temporary directory with
  // UseTempDir=1. Else $(WinSysPath): the system directory, or the
  // temporary directory with UseTempDir=1, emptied after the run.
  bool windowsDir = false;
  std::string registration;  // "", "dll", "exe" or a registry file's name
  bool skipIfInUse = false;  // an installed copy in use is left as it is, without a box
};

// The splash image: a bitmap or icon shown in the window at x, y.
struct SplashImage {
  std::filesystem::path path;
  std::string name;  // upper case
  bool icon = false;
  int x = 0, y = 0;
};

struct Manifest {
  std::string title;
  std::string label;  // [Media] Label: the volume label of the images, empty for the title
  std::vector<std::string> messages;  // DialogMessage1..4
  std::optional<SplashImage> image;
  std::vector<std::pair<std::string, std::string>> settings;  // further BootSetup keys, as written
  std::filesystem::path setupExe;
  SourceFile main;  // the main setup program, installed to the Windows or temporary directory
  std::string switches;
  std::vector<SourceFile> files;
  // Only the list's record form (VBCompatible=0, [BootSetup] FileN) can
  // say SkipIfInUse; the sectioned form, written otherwise, cannot.
  bool RecordForm() const;
};

// The manifest's text read, with paths relative to `folder`. A broken
// section header, an unknown section or key and a setting the bootstrapper
// does not read are errors at their line, and nothing further is read;
// every value the bootstrapper would cut, misread or refuse is an error,
// with its key.
struct ManifestResult {
  std::optional<Manifest> manifest;
  std::vector<LineError> lineErrors;
  std::vector<std::string> errors;
};
ManifestResult ReadManifest(const std::string& text, const std::filesystem::path& folder,
                            const std::filesystem::path& defaultSetupExe);

// A file as it lies on the media.
struct Piece {
  int disk = 0;
  std::string name;  // BIG.DL_, or BIG.DL1 and BIG.DL2 for the parts of a split file
  std::string bytes;
};

struct PlacedFile {
  const SourceFile* source = nullptr;
  std::uint64_t size = 0;  // uncompressed
  std::string version;     // from the version resource; empty when it has none
  std::vector<Piece> pieces;  // one, or two for a split file
};

struct Media {
  std::vector<PlacedFile> files;  // the main setup program first
  std::optional<Piece> image;     // on disk 1, outside the list's entries
  std::string setupList;
  int disks = 1;
};

inline constexpr std::uint64_t kDefaultDiskSize = 1457664;

// Why the bootstrapper would show no picture from an image file's content;
// empty when it shows one.
std::string ImageProblem(std::string_view content, bool icon);

// What one disk holds: `bytes`, a whole number of allocation units of
// `cluster` bytes, each file taking whole units; at most `files` files (0:
// any number).
struct DiskSpace {
  std::uint64_t bytes = kDefaultDiskSize;
  std::uint64_t cluster = 1;
  std::size_t files = 0;

  std::uint64_t Taken(std::uint64_t size) const;  // rounded up to whole units
  static DiskSpace Bytes(std::uint64_t size);      // counted in bytes, any number of files
};

// Lays the files out on disks of `space`; disk 1 also holds SETUP.EXE and
// the toolkit (the files of `firstDiskFiles` bytes), the splash image and
// SETUP.LST. Nothing when a file needs more than two disks; `error` then
// says which.
std::optional<Media> LayOut(const Manifest& manifest, const DiskSpace& space,
                            const std::vector<std::uint64_t>& firstDiskFiles, std::string& error);
// Disks of `diskSize` bytes; the other files of disk 1 take `firstDiskFiles`.
std::optional<Media> LayOut(const Manifest& manifest, std::uint64_t diskSize, std::uint64_t firstDiskFiles,
                            std::string& error);

// Writes OUT/DISK1, OUT/DISK2, ...: SETUP.EXE (and ZAVEZ432.DLL when it
// lies beside it), the splash image and SETUP.LST on the first, each piece
// on its disk.
// False with `error` when something cannot be written.
bool WriteMedia(const Media& media, const std::filesystem::path& setupExe, const std::filesystem::path& out,
                std::string& error);

}  // namespace media
