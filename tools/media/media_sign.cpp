#include "media_sign.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "external_tool.h"
#include "pe_signature.h"
#include "profile_text.h"
#include "szdd.h"

namespace media {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSigningTool = "osslsigncode";

std::optional<std::string> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A PKCS#12 file is DER; a PEM file is text that names its blocks.
bool IsPkcs12(const fs::path& path) {
  const std::optional<std::string> bytes = ReadBytes(path);
  return bytes && !bytes->empty() && static_cast<unsigned char>((*bytes)[0]) == 0x30 &&
         bytes->find("-----BEGIN") == std::string::npos;
}

// The signing time: SOURCE_DATE_EPOCH, or else the file's own
// modification time, so that the same inputs give the same signature.
std::string SigningTime(const fs::path& file) {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') return epoch;
  struct stat status {};
  if (stat(file.c_str(), &status) != 0) return "0";
  return std::to_string(static_cast<long long>(status.st_mtime));
}

// The first line of a pass-phrase's source.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

// The media's disk folders in order, or the folder itself for one disk.
std::vector<fs::path> DiskFolders(const fs::path& dir) {
  if (!fs::is_directory(dir / "DISK1")) return {dir};
  std::vector<fs::path> disks;
  for (int n = 1; fs::is_directory(dir / ("DISK" + std::to_string(n))); ++n) disks.push_back(dir / ("DISK" + std::to_string(n)));
  return disks;
}

// The content a media file stands for: itself, its expansion, or the
// expansion of it joined with its second part (NAME.XX2 on the next
// disk). Nothing for a second part or a file that does not expand.
std::optional<std::string> Content(const fs::path& file, const fs::path& nextDisk, const fs::path& relative) {
  std::optional<std::string> bytes = ReadBytes(file);
  if (!bytes || !szdd::ParseHeader(*bytes)) return bytes;
  szdd::Expansion expansion = szdd::Expand(*bytes);
  std::string second = relative.string();
  if (!expansion.complete && !second.empty() && second.back() == '1' && !nextDisk.empty()) {
    second.back() = '2';
    if (const std::optional<std::string> rest = ReadBytes(nextDisk / second)) expansion = szdd::Expand(*bytes + *rest);
  }
  if (!expansion.complete) return std::nullopt;
  return std::move(expansion.data);
}

}  // namespace

void ReadSigningSection(const std::string& manifestText, const fs::path& folder, SignOptions& options) {
  const profile::Document document(manifestText);
  const auto read = [&document](const char* key) { return document.ReadString("Signing", key, "", 4096); };
  const auto path = [&folder](const std::string& value) { return value.empty() ? fs::path() : folder / value; };
  if (options.key.empty()) options.key = path(read("Key"));
  if (options.certificate.empty()) options.certificate = path(read("Certificate"));
  if (options.passFile.empty() && options.passVariable.empty()) {
    options.passFile = path(read("PassFile"));
    options.passVariable = read("PassEnv");
  }
  if (options.timestampUrl.empty()) options.timestampUrl = read("TimestampUrl");
}

Signer::Signer() = default;

Signer::~Signer() {
  std::error_code ignored;
  if (!scratch_.empty()) fs::remove_all(scratch_, ignored);
}

bool Signer::WritePassPhrase(const SignOptions& options, std::string& error) {
  std::string phrase;
  if (!options.passVariable.empty()) {
    const char* value = std::getenv(options.passVariable.c_str());
    if (value == nullptr) {
      error = "the environment variable " + options.passVariable + " that should hold the pass-phrase is not set";
      return false;
    }
    phrase = value;
  } else if (!options.passFile.empty()) {
    const std::optional<std::string> text = ReadBytes(options.passFile);
    if (!text) {
      error = "cannot read the pass-phrase file " + options.passFile.string();
      return false;
    }
    phrase = *text;
  } else {
    return true;
  }
  phrase = FirstLine(phrase);
  passPhrase_ = scratch_ / "pass-phrase";
  const int file = open(passPhrase_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  const bool written = file >= 0 && write(file, phrase.data(), phrase.size()) == static_cast<ssize_t>(phrase.size());
  if (file >= 0) close(file);
  if (!written) error = "cannot write the pass-phrase into the scratch folder " + scratch_.string();
  return written;
}

std::vector<std::string> Signer::KeyArguments() const {
  std::vector<std::string> args;
  const bool pkcs12 = IsPkcs12(options_.key) && (options_.certificate.empty() || options_.certificate == options_.key);
  if (pkcs12) {
    args = {"-pkcs12", options_.key.string()};
  } else {
    args = {"-certs", options_.certificate.string(), "-key", options_.key.string()};
  }
  if (!passPhrase_.empty()) args.insert(args.end(), {"-readpass", passPhrase_.string()});
  if (!options_.timestampUrl.empty()) args.insert(args.end(), {"-ts", options_.timestampUrl});
  return args;
}

bool Signer::SignFile(const fs::path& from, const fs::path& to, std::string& error) {
  std::error_code failed;
  fs::create_directories(to.parent_path(), failed);
  std::vector<std::string> args = {kSigningTool, "sign", "-h", "sha256", "-time", SigningTime(from)};
  const std::vector<std::string> key = KeyArguments();
  args.insert(args.end(), key.begin(), key.end());
  args.insert(args.end(), {"-in", from.string(), "-out", to.string()});
  std::string failure;
  if (RunTool({args, {}, kSigningTool}, failure) && fs::is_regular_file(to)) return true;
  error = "cannot sign " + from.string() + ": " + failure;
  return false;
}

std::optional<Manifest> Signer::Sign(const Manifest& manifest, const SignOptions& options, std::string& error) {
  options_ = options;
  std::string name = (fs::temp_directory_path() / "setup-media-sign-XXXXXX").string();
  if (scratch_.empty() && mkdtemp(name.data()) != nullptr) scratch_ = name;
  if (scratch_.empty()) {
    error = "cannot make a scratch folder for the signed copies";
    return std::nullopt;
  }
  if (options.key.empty() || (options.certificate.empty() && !IsPkcs12(options.key))) {
    error = "signing needs a key and its certificate, or one PKCS#12 file that holds both";
    return std::nullopt;
  }
  if (!WritePassPhrase(options, error)) return std::nullopt;
  Manifest result = manifest;
  // The toolkit is found beside SETUP.EXE, so it is signed beside its copy.
  const fs::path product = scratch_ / "product" / manifest.setupExe.filename();
  if (!SignFile(manifest.setupExe, product, error)) return std::nullopt;
  result.setupExe = product;
  const fs::path toolkit = manifest.setupExe.parent_path() / "ZAVEZ432.DLL";
  if (fs::is_regular_file(toolkit) && !SignFile(toolkit, product.parent_path() / toolkit.filename(), error)) {
    return std::nullopt;
  }
  std::vector<SourceFile*> files{&result.main};
  for (SourceFile& file : result.files) files.push_back(&file);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::optional<std::string> bytes = ReadBytes(files[i]->path);
    if (!bytes || !pe::IsImage(*bytes)) continue;
    const fs::path copy = scratch_ / "files" / std::to_string(i) / files[i]->path.filename();
    if (!SignFile(files[i]->path, copy, error)) return std::nullopt;
    files[i]->path = copy;
  }
  return result;
}

std::vector<Diagnostic> UnsignedPrograms(const fs::path& dir) {
  std::vector<Diagnostic> found;
  const std::vector<fs::path> disks = DiskFolders(dir);
  for (std::size_t n = 0; n < disks.size(); ++n) {
    std::vector<fs::path> files;
    std::error_code failed;
    for (const auto& entry : fs::recursive_directory_iterator(disks[n], failed)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    const fs::path next = n + 1 < disks.size() ? disks[n + 1] : fs::path();
    for (const fs::path& file : files) {
      const fs::path relative = file.lexically_relative(disks[n]);
      const std::optional<std::string> content = Content(file, next, relative);
      if (!content || !pe::IsImage(*content) || pe::HasAuthenticodeSignature(*content)) continue;
      found.push_back({file.lexically_relative(dir).string(), 0, true,
                       "a program or library without an Authenticode signature"});
    }
  }
  return found;
}

}  // namespace media
