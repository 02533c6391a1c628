// Authenticode signatures for the programs on the media: copies signed
// with osslsigncode before they are compressed, and the check that every
// program or library on finished media carries a signature.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "media_build.h"
#include "media_lint.h"

namespace media {

// Where the key, its certificate and the key's pass-phrase come from. A
// PKCS#12 file holds key and certificate together: `key` names it and
// `certificate` stays empty or names the same file. The pass-phrase is
// read from a file or an environment variable, never given as a value.
struct SignOptions {
  std::filesystem::path key;
  std::filesystem::path certificate;
  std::filesystem::path passFile;
  std::string passVariable;
  std::string timestampUrl;

  bool Wanted() const { return !key.empty() || !certificate.empty(); }
};

// The manifest's [Signing] section (Key, Certificate, PassFile, PassEnv,
// TimestampUrl; paths relative to `folder`) fills what `options` leaves
// empty.
void ReadSigningSection(const std::string& manifestText, const std::filesystem::path& folder, SignOptions& options);

// Signed copies live in a scratch folder of their own (mode 0700), made by
// Sign and removed with this; the user's files are only read.
class Signer {
 public:
  Signer();
  ~Signer();
  Signer(const Signer&) = delete;
  Signer& operator=(const Signer&) = delete;

  // The manifest with SETUP.EXE, the toolkit beside it and every program
  // or library of the manifest replaced by signed copies. Nothing, with
  // `error`, when a file cannot be signed.
  std::optional<Manifest> Sign(const Manifest& manifest, const SignOptions& options, std::string& error);

 private:
  bool SignFile(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error);
  bool WritePassPhrase(const SignOptions& options, std::string& error);
  std::vector<std::string> KeyArguments() const;

  std::filesystem::path scratch_;
  std::filesystem::path passPhrase_;  // empty: the key has none
  SignOptions options_;
};

// Every program or library on the media in `dir` (DISK1, DISK2, ... or one
// disk's files), compressed ones expanded and split ones joined, that
// carries no Authenticode signature.
std::vector<Diagnostic> UnsignedPrograms(const std::filesystem::path& dir);

}  // namespace media
