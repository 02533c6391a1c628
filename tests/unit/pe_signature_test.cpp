// The signature check of setup-media lint: a WIN_CERTIFICATE of PKCS#7
// signed data, found by the security directory entry, inside the file.
#include <gtest/gtest.h>

#include "pe_image.h"
#include "pe_signature.h"

namespace {

struct Certificate {
  std::uint32_t entryOffset = 0;  // 0: where the certificate lies, at the end
  std::uint32_t entrySize = 16, length = 16, revision = 0x200, type = 2;
  std::uint32_t directories = 16;
};

std::string Signed(bool plus, const Certificate& certificate) {
  std::string bytes = test_pe::Image({}, plus);
  const auto at = static_cast<std::uint32_t>(bytes.size());
  const std::size_t entry = test_pe::kOptionalHeader + (plus ? 144 : 128);
  test_pe::Put(bytes, test_pe::kOptionalHeader + (plus ? 108 : 92), certificate.directories, 4);
  test_pe::Put(bytes, entry, certificate.entryOffset != 0 ? certificate.entryOffset : at, 4);
  test_pe::Put(bytes, entry + 4, certificate.entrySize, 4);
  test_pe::Put(bytes, at, certificate.length, 4);
  test_pe::Put(bytes, at + 4, certificate.revision, 2);
  test_pe::Put(bytes, at + 6, certificate.type, 2);
  test_pe::Put(bytes, at + 8, 0x30, 4);  // the start of the PKCS#7 blob
  test_pe::Put(bytes, at + 12, 0, 4);
  return bytes;
}

TEST(PeSignature, OnlyAPkcs7CertificateInsideTheFileCounts) {
  const struct {
    const char* what;
    std::string file;
    bool image, signature;
  } cases[] = {
      {"unsigned", test_pe::Image({}), true, false},
      {"signed PE32", Signed(false, {}), true, true},
      {"signed PE32+", Signed(true, {}), true, true},
      {"an X.509 certificate, not PKCS#7", Signed(false, {.type = 1}), true, false},
      {"revision 1", Signed(false, {.revision = 0x100}), true, false},
      {"the entry runs past the end", Signed(false, {.entrySize = 64}), true, false},
      {"the certificate is longer than its entry", Signed(false, {.length = 24}), true, false},
      {"the certificate starts past the end", Signed(false, {.entryOffset = 0xFFFFFFF0u}), true, false},
      {"the header lists no security entry", Signed(false, {.directories = 4}), true, false},
      {"not a program", "MZ just text", false, false},
      {"empty", "", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(pe::IsImage(c.file), c.image);
    EXPECT_EQ(pe::HasAuthenticodeSignature(c.file), c.signature);
  }
}

}  // namespace
