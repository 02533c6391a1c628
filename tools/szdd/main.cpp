// setup-compress: makes the LZ-compressed (SZDD) files of installation media,
// and expands them again with -d.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "szdd.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "setup-compress";

constexpr const char* kUsage =
    "usage: setup-compress [-d] [-f] [-o OUTDIR] FILE...\n"
    "  Writes each FILE LZ-compressed under its media name, the last character\n"
    "  replaced by \"_\" (SETUP1.EXE -> SETUP1.EX_); the replaced character is kept\n"
    "  in the header so that the platform restores the name when expanding.\n"
    "  -d         expand instead: write each FILE under its expanded name\n"
    "  -f         overwrite existing output files\n"
    "  -o OUTDIR  write into OUTDIR (created if missing) instead of beside FILE\n";

struct Options {
  bool expand = false;
  bool force = false;
  std::optional<fs::path> outDir;
  std::vector<fs::path> files;
};

// A failure of one file: the message names the file and the reason.
struct FileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-d") {
      options.expand = true;
    } else if (arg == "-f") {
      options.force = true;
    } else if (arg == "-o") {
      if (++i == args.size()) {
        error = "-o needs a directory";
        return std::nullopt;
      }
      options.outDir = args[i];
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (options.files.empty()) {
    error = "no input files";
    return std::nullopt;
  }
  return options;
}

void RequireRegularFile(const fs::path& path) {
  std::error_code error;
  if (!fs::exists(path, error)) throw FileError(path.string() + ": no such file");
  if (!fs::is_regular_file(path, error)) throw FileError(path.string() + ": not a regular file");
}

// A file's content, mapped rather than read: copying it into memory of our
// own would cost more than compressing it. The file must not shrink meanwhile.
class MappedFile {
 public:
  explicit MappedFile(const fs::path& path) {
    RequireRegularFile(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(path.string() + ": cannot open for reading");
    struct stat status {};
    if (::fstat(fd, &status) == 0) {
      size_ = static_cast<std::size_t>(status.st_size);
      if (size_ > 0) address_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    } else {
      address_ = MAP_FAILED;
    }
    ::close(fd);
    if (address_ == MAP_FAILED) throw FileError(path.string() + ": read error");
  }
  ~MappedFile() {
    if (size_ > 0) ::munmap(address_, size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view content() const { return {static_cast<const char*>(address_), size_}; }

 private:
  void* address_ = nullptr;
  std::size_t size_ = 0;
};

// Working memory for compressing, in huge pages where the system grants
// them: touching that many small pages for the first time costs more than
// the compression itself on some machines.
class WorkBuffer {
 public:
  explicit WorkBuffer(std::size_t size) : size_(size) {
    address_ = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address_ == MAP_FAILED) throw std::bad_alloc();
    ::madvise(address_, size_, MADV_HUGEPAGE);  // only advice: small pages work too
  }
  ~WorkBuffer() { ::munmap(address_, size_); }
  WorkBuffer(const WorkBuffer&) = delete;
  WorkBuffer& operator=(const WorkBuffer&) = delete;

  char* data() const { return static_cast<char*>(address_); }

 private:
  void* address_ = nullptr;
  std::size_t size_;
};

// Writes beside the target first, so a failed write never leaves a
// half-written file under the real name.
void WriteWhole(const fs::path& path, std::string_view content, bool force) {
  if (!force && fs::exists(path)) {
    throw FileError(path.string() + ": already exists (use -f to overwrite)");
  }
  fs::path temporary = path;
  temporary += ".partial";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw FileError(temporary.string() + ": cannot open for writing");
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      throw FileError(path.string() + ": write error");
    }
  }
  std::error_code renameError;
  fs::rename(temporary, path, renameError);
  if (renameError) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw FileError(path.string() + ": " + renameError.message());
  }
}

fs::path OutputPath(const fs::path& input, const std::string& name, const Options& options) {
  return (options.outDir ? *options.outDir : input.parent_path()) / name;
}

void CompressFile(const fs::path& input, const Options& options) {
  const std::string name = input.filename().string();
  if (name.empty()) throw FileError(input.string() + ": not a file name");
  if (name.back() == '_') {
    throw FileError(input.string() + ": name already ends in \"_\" (compressed already?)");
  }
  const MappedFile file(input);
  const WorkBuffer buffer(szdd::CompressBound(file.content().size()));
  const std::string_view compressed(buffer.data(), szdd::CompressInto(file.content(), name.back(), buffer.data()));
  const std::string mediaName = szdd::CompressedName(name);
  WriteWhole(OutputPath(input, mediaName, options), compressed, options.force);
  const std::string restored = szdd::ExpandedName(mediaName, compressed);
  if (restored != name) {
    std::cerr << kProgram << ": note: " << mediaName << " will expand as \"" << restored
              << "\" on Windows, not \"" << name << "\"\n";
  }
}

// The platform's name when it gives one, else the stored character put back.
std::string ExpandedFileName(const std::string& name, std::string_view content) {
  const std::string platformName = szdd::ExpandedName(name, content);
  if (platformName != name && !platformName.empty()) return platformName;
  const char stored = szdd::ParseHeader(content)->storedChar;
  if (name.back() == '_' && stored != '\0') return name.substr(0, name.size() - 1) + stored;
  throw FileError(name + ": the header does not tell the expanded name");
}

void ExpandFile(const fs::path& input, const Options& options) {
  const std::string name = input.filename().string();
  if (name.empty()) throw FileError(input.string() + ": not a file name");
  const MappedFile file(input);
  const std::string_view content = file.content();
  const std::optional<szdd::Header> header = szdd::ParseHeader(content);
  if (!header) throw FileError(input.string() + ": not an LZ-compressed (SZDD mode A) file");
  const szdd::Expansion expansion = szdd::Expand(content);
  if (!expansion.complete) {
    throw FileError(input.string() + ": truncated or corrupt (expands to " +
                    std::to_string(expansion.data.size()) + " bytes, header says " +
                    std::to_string(header->length) + ")");
  }
  WriteWhole(OutputPath(input, ExpandedFileName(name, content), options), expansion.data, options.force);
}

int Run(const Options& options) {
  if (options.outDir) {
    std::error_code error;
    fs::create_directories(*options.outDir, error);
    if (error) {
      std::cerr << kProgram << ": " << options.outDir->string() << ": " << error.message() << "\n";
      return 1;
    }
  }
  int status = 0;
  for (const fs::path& file : options.files) {
    try {
      if (options.expand) {
        ExpandFile(file, options);
      } else {
        CompressFile(file, options);
      }
    } catch (const FileError& error) {
      std::cerr << kProgram << ": " << error.what() << "\n";
      status = 1;
    } catch (const std::exception& error) {
      std::cerr << kProgram << ": " << file.string() << ": " << error.what() << "\n";
      status = 1;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  std::string error;
  const std::optional<Options> options = ParseArguments(args, error);
  if (!options) {
    std::cerr << kProgram << ": " << error << "\n" << kUsage;
    return 2;
  }
  return Run(*options);
}
