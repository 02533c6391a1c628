// setup-media: tools for media authors. `build` makes installation media
// from a manifest.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "media_build.h"
#include "media_images.h"
#include "media_lint.h"
#include "media_machine.h"
#include "media_sign.h"
#include "simulation.h"
#include "splash_picture.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: setup-media build MANIFEST -o DIR [--disk-size SIZE|cd] [--images] [SIGNING]\n"
    "       setup-media lint DIR [--program NAME] [--require-signed]\n"
    "       setup-media simulate DIR [--machine win95|nt4|xp|win10|FILE] [--picture PNG]\n"
    "       setup-media COMMAND --help\n"
    "  The manifest's sections are described in setup-media(1).\n";

constexpr const char* kBuildHelp =
    "usage: setup-media build MANIFEST -o DIR [--disk-size SIZE|cd] [--images] [SIGNING]\n"
    "  Writes DIR/DISK1, DIR/DISK2, ...: SETUP.EXE (the i686 build, or the\n"
    "  manifest's [Media] SetupExe=; with ZAVEZ432.DLL when it lies beside\n"
    "  it), every file of the manifest compressed, and a sectioned\n"
    "  SETUP.LST with versions read from the files. A file that does not fit on\n"
    "  its disk is split into NAME.XX1 and NAME.XX2 on that disk and the next.\n"
    "  SIZE is in bytes (default 1457664); cd is 650 MB on one disk, nothing\n"
    "  split. DIR must not exist or be empty.\n"
    "  A file marked skipifinuse makes the list's record form (VBCompatible=0)\n"
    "  instead, the only one that carries it. Values the bootstrapper would\n"
    "  cut or misread are refused with their key; unknown sections and keys,\n"
    "  and settings the bootstrapper does not read, as FILE:LINE with the\n"
    "  nearest known name.\n"
    "  --images also writes DIR/DISK1.IMG, ... (1.44 MB FAT12 floppy images,\n"
    "  made with mtools, labelled by [Media] Label= or the title and the disk\n"
    "  number) or, with --disk-size cd, DIR/DISK1.ISO (ISO 9660 with Joliet\n"
    "  names, made with xorriso). Files then need short (8.3) names.\n"
    "  Every date is SOURCE_DATE_EPOCH, or else the newest date of the\n"
    "  manifest and its files, so the same inputs give the same bytes.\n"
    "  SIGNING: --sign-key KEY --sign-cert CERT (PEM, or one PKCS#12 file as KEY)\n"
    "  [--sign-pass-file FILE | --sign-pass-env NAME] [--timestamp-url URL], or\n"
    "  the manifest's [Signing] Key, Certificate, PassFile, PassEnv and\n"
    "  TimestampUrl: SETUP.EXE, the toolkit and every program and DLL of the\n"
    "  manifest are signed with osslsigncode before they are compressed.\n";

constexpr const char* kSimulateHelp =
    "usage: setup-media simulate DIR [--machine win95|nt4|xp|win10|FILE] [--picture PNG]\n"
    "  Runs the bootstrap of the media in DIR (DISK1, DISK2, ... or one disk's\n"
    "  files) on a simulated machine: a preset (default win95) or an own\n"
    "  machine.ini. Disk 1 is in drive D:; a disk request answered OK puts the\n"
    "  asked disk in, and every box is answered OK. Prints the journal, the\n"
    "  log section and the files the machine holds afterwards; DIR is not\n"
    "  changed. PNG (default splash.png) receives a picture of the splash\n"
    "  window as the run last painted it.\n";

constexpr const char* kLintHelp =
    "usage: setup-media lint DIR [--program NAME] [--require-signed]\n"
    "  Reads the media in DIR (DISK1, DISK2, ... or one disk's files): the list\n"
    "  beside the bootstrapper NAME (default SETUP.EXE, so SETUP.LST) and\n"
    "  SETUP.LST in its source directory, and reports what the bootstrapper\n"
    "  would cut, misread, not find or refuse as FILE:LINE: error|warning:\n"
    "  text. Exits 1 on an error. --require-signed also reports every program\n"
    "  or DLL on the media (expanded) that carries no Authenticode signature.\n";

struct BuildOptions {
  fs::path manifest;
  fs::path out;
  std::uint64_t diskSize = media::kDefaultDiskSize;
  bool cd = false;
  bool images = false;
  media::SignOptions sign;
};

// The value of a signing flag, or nothing when `flag` is not one.
fs::path* SignFlag(const std::string& flag, media::SignOptions& sign) {
  if (flag == "--sign-key") return &sign.key;
  if (flag == "--sign-cert") return &sign.certificate;
  if (flag == "--sign-pass-file") return &sign.passFile;
  return nullptr;
}

bool ParseBuild(const std::vector<std::string>& args, BuildOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      options.out = args[++i];
    } else if (args[i] == "--disk-size" && i + 1 < args.size()) {
      options.cd = args[++i] == "cd";
      options.diskSize = options.cd ? media::kCdSize : std::strtoull(args[i].c_str(), nullptr, 10);
    } else if (args[i] == "--images") {
      options.images = true;
    } else if (fs::path* path = SignFlag(args[i], options.sign); path != nullptr && i + 1 < args.size()) {
      *path = args[++i];
    } else if (args[i] == "--sign-pass-env" && i + 1 < args.size()) {
      options.sign.passVariable = args[++i];
    } else if (args[i] == "--timestamp-url" && i + 1 < args.size()) {
      options.sign.timestampUrl = args[++i];
    } else if (options.manifest.empty() && !args[i].starts_with("-")) {
      options.manifest = args[i];
    } else {
      return false;
    }
  }
  return !options.manifest.empty() && !options.out.empty() && options.diskSize > 0;
}

int Fail(const std::string& text) {
  std::cerr << "setup-media: " << text << "\n";
  return 1;
}

// The i686 SETUP.EXE of an installed package, found from this program's
// own place so that a moved prefix still works; else the build tree's.
fs::path DefaultProduct() {
  std::error_code failed;
  const fs::path self = fs::read_symlink("/proc/self/exe", failed);
  if (!failed) {
    const fs::path installed = (self.parent_path() / SETUP_INSTALLED_PRODUCT).lexically_normal();
    if (fs::is_regular_file(installed, failed)) return installed;
  }
  return SETUP_DEFAULT_PRODUCT;
}

void PrintSummary(const media::Media& built) {
  std::printf("| disk | file | size | compressed | ratio |\n|---:|---|---:|---:|---:|\n");
  std::uint64_t size = 0, packed = 0;
  for (const media::PlacedFile& file : built.files) {
    std::uint64_t bytes = 0;
    for (const media::Piece& piece : file.pieces) bytes += piece.bytes.size();
    for (const media::Piece& piece : file.pieces) {
      std::printf("| %d | %s | %llu | %llu | %.1f%% |\n", piece.disk, piece.name.c_str(),
                  static_cast<unsigned long long>(file.size), static_cast<unsigned long long>(piece.bytes.size()),
                  file.size == 0 ? 100.0 : 100.0 * static_cast<double>(bytes) / static_cast<double>(file.size));
    }
    size += file.size;
    packed += bytes;
  }
  if (built.image) {
    std::printf("| 1 | %s | splash image | %zu | |\n", built.image->name.c_str(), built.image->bytes.size());
  }
  std::printf("%d disk(s), %zu file(s), %llu bytes compressed to %llu (%.1f%%)\n", built.disks, built.files.size(),
              static_cast<unsigned long long>(size), static_cast<unsigned long long>(packed),
              size == 0 ? 100.0 : 100.0 * static_cast<double>(packed) / static_cast<double>(size));
}

int Build(const BuildOptions& options) {
  std::ifstream in(options.manifest, std::ios::binary);
  if (!in) return Fail("cannot read " + options.manifest.string());
  const std::string text(std::istreambuf_iterator<char>(in), {});
  const media::ManifestResult read =
      media::ReadManifest(text, options.manifest.parent_path(), DefaultProduct());
  const std::string name = options.manifest.string();
  for (const media::LineError& error : read.lineErrors) std::cerr << name << ":" << error.line << ": error: " << error.text << "\n";
  for (const std::string& error : read.errors) std::cerr << name << ": error: " << error << "\n";
  if (!read.manifest) return 1;
  const media::ImageKind kind = !options.images ? media::ImageKind::kNone
                                : options.cd    ? media::ImageKind::kCd
                                                : media::ImageKind::kFloppy;
  const std::vector<std::string> problems = media::ImageProblems(*read.manifest, kind);
  for (const std::string& problem : problems) std::cerr << name << ": error: " << problem << "\n";
  if (!problems.empty()) return 1;
  std::error_code ignored;
  if (fs::exists(options.out) && !fs::is_empty(options.out, ignored)) {
    return Fail(options.out.string() + " is not empty");
  }
  std::string error;
  const std::optional<media::DiskSpace> space = media::SpaceFor(kind, options.diskSize, error);
  if (!space) return Fail(error);
  media::SignOptions sign = options.sign;
  media::ReadSigningSection(text, options.manifest.parent_path(), sign);
  media::Signer signer;  // its signed copies live until the media are written
  const std::optional<media::Manifest> manifest = sign.Wanted() ? signer.Sign(*read.manifest, sign, error) : read.manifest;
  if (!manifest) return Fail(error);
  const fs::path setupExe = manifest->setupExe;
  // Disk 1 also carries the program and the toolkit beside it.
  const fs::path toolkit = setupExe.parent_path() / "ZAVEZ432.DLL";
  std::vector<std::uint64_t> fixed{fs::file_size(setupExe, ignored)};
  if (fs::is_regular_file(toolkit)) fixed.push_back(fs::file_size(toolkit, ignored));
  const std::optional<media::Media> built = media::LayOut(*manifest, *space, fixed, error);
  if (!built) return Fail(error);
  if (options.cd && built->disks > 1) return Fail("the files need " + std::to_string(built->disks) + " CDs; cd media hold one");
  if (!media::WriteMedia(*built, setupExe, options.out, error)) return Fail(error);
  std::vector<fs::path> inputs = media::ManifestInputs(*read.manifest);
  inputs.push_back(options.manifest);
  const std::optional<std::int64_t> date = media::MediaDate(inputs, error);
  if (!date || !media::DateMedia(options.out, built->disks, *date, error)) return Fail(error);
  PrintSummary(*built);
  std::fflush(stdout);  // the table shows while the images are made
  if (kind == media::ImageKind::kNone) return 0;
  const auto images = media::WriteImages(*manifest, kind, options.out, built->disks, *date, error);
  if (!images) return Fail(error);
  for (const fs::path& image : *images) std::printf("image %s\n", image.string().c_str());
  return 0;
}

// Whether `path` lies in the folder `dir` or below it.
bool Inside(const fs::path& path, const fs::path& dir) {
  const fs::path file = fs::weakly_canonical(fs::absolute(path));
  const fs::path folder = fs::weakly_canonical(fs::absolute(dir));
  return std::mismatch(folder.begin(), folder.end(), file.begin(), file.end()).first == folder.end();
}

// False when the picture cannot be written; a window that was never
// painted, or has no area, has no picture.
bool DrawPicture(const std::optional<host::WindowPicture>& picture, const fs::path& png) {
  if (!picture || !media::HasArea(*picture)) {
    std::cout << "== no picture: the splash window " << (picture ? "has no area" : "was never painted") << "\n";
    return true;
  }
  std::string error;
  const bool written = media::WriteSplashPicture(*picture, png, error);
  if (written) {
    std::cout << "== picture " << png.string() << " of the " << picture->window.width << "x" << picture->window.height
              << " window\n";
  }
  if (!error.empty()) std::cerr << "setup-media: " << error << "\n";
  return written;
}

int Simulate(const std::vector<std::string>& args) {
  fs::path dir;
  std::string machine = "win95";
  fs::path png = "splash.png";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--machine" && i + 1 < args.size()) {
      machine = args[++i];
    } else if (args[i] == "--picture" && i + 1 < args.size()) {
      png = args[++i];
    } else if (dir.empty() && !args[i].starts_with("-")) {
      dir = args[i];
    } else {
      std::cerr << kSimulateHelp;
      return 2;
    }
  }
  if (dir.empty() || !fs::is_directory(dir)) {
    std::cerr << kSimulateHelp;
    return 2;
  }
  if (Inside(png, dir)) return Fail("the picture must not be written into the media folder " + dir.string());
  const simulation::Scratch scratch;
  std::string error;
  if (!media::PrepareMachine(dir, machine, scratch.Path(), error)) return Fail(error);
  std::optional<host::WindowPicture> picture;
  const int result = simulation::RunAndReport(scratch.Path(), std::cout, true, &picture);
  return DrawPicture(picture, png) ? result : 1;
}

int Lint(std::vector<std::string> args) {
  const auto signedFlag = std::find(args.begin(), args.end(), "--require-signed");
  const bool requireSigned = signedFlag != args.end();
  if (requireSigned) args.erase(signedFlag);
  const bool named = args.size() == 3 && args[1] == "--program";
  if ((args.size() != 1 && !named) || args[0] == "--help" || args[0] == "-h") {
    std::cout << kLintHelp;
    return args.size() == 1 ? 0 : 2;
  }
  std::vector<media::Diagnostic> diagnostics = media::Lint(args[0], named ? args[2] : "SETUP.EXE");
  if (requireSigned && fs::is_directory(args[0])) {
    const std::vector<media::Diagnostic> unsigned_ = media::UnsignedPrograms(args[0]);
    diagnostics.insert(diagnostics.end(), unsigned_.begin(), unsigned_.end());
  }
  bool failed = false;
  for (const media::Diagnostic& diagnostic : diagnostics) {
    std::cout << diagnostic.Format() << "\n";
    failed = failed || diagnostic.error;
  }
  return failed ? 1 : 0;
}

}  // namespace

int Dispatch(const std::vector<std::string>& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "build") {
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
      std::cout << kBuildHelp;
      return 0;
    }
    BuildOptions options;
    if (!ParseBuild(rest, options)) {
      std::cerr << kBuildHelp;
      return 2;
    }
    return Build(options);
  }
  if (args[0] == "lint") return Lint(rest);
  if (args[0] == "simulate") {
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
      std::cout << kSimulateHelp;
      return 0;
    }
    return Simulate(rest);
  }
  std::cerr << kUsage;
  return 2;
}

int main(int argc, char** argv) {
  try {
    return Dispatch(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& failure) {
    return Fail(failure.what());
  }
}
