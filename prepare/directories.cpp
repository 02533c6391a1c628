#include "directories.h"

#include "text.h"

namespace boot {
namespace {

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && ToUpperAscii(text.substr(0, prefix.size())) == ToUpperAscii(prefix);
}

// Enters a directory, and its drive when the path names one.
void EnterDirectory(platform::Platform& os, const std::string& path) {
  os.SetCurrentDirectory(path);
  const char letter = ToUpperAscii(path.substr(0, 1)).c_str()[0];
  if (path.size() > 1 && path[1] == ':' && letter >= 'A' && letter <= 'Z') {
    os.SetCurrentDrive(letter - 'A' + 1);
  }
}

}  // namespace

std::string GeneratedTempDir(const platform::SystemTime& time) {
  return "C:\\~S" + TwoDigits(time.month) + TwoDigits(time.day) + TwoDigits(time.minute);
}

std::string TempDirFromSetting(const std::string& setting) {
  const std::string upper = ToUpperAscii(setting);
  return upper[1] == ':' ? upper : "C:\\" + upper;
}

void PrepareDirectories(BootState& state, Sequence& seq) {
  platform::Platform& os = state.Os();
  seq.winDir = ToUpperAscii(os.WindowsDirectory());
  seq.osSysDir = os.SystemDirectory();
  // Real systems report both in mixed case, so case must not matter here.
  seq.sysDir = StartsWithIgnoringCase(seq.osSysDir, seq.winDir) ? seq.osSysDir : seq.winDir;
  AddTrailingBackslash(seq.winDir);
  AddTrailingBackslash(seq.sysDir);
  AddTrailingBackslash(seq.osSysDir);

  if (state.useTempDir == 1) {
    std::string path = IsSet(seq.tempDirSetting) ? TempDirFromSetting(seq.tempDirSetting)
                                                 : GeneratedTempDir(os.SystemTimeUtc());
    os.CreateDirectory(path);
    EnterDirectory(os, path);
    AddTrailingBackslash(path);
    seq.tempDir = path;
    seq.destDir = path;
    seq.setupDir = path;
  } else {
    seq.destDir = seq.sysDir;
    seq.setupDir = seq.winDir;
    EnterDirectory(os, seq.winDir);
  }
  state.splashText += seq.destDir + "|";
  seq.sourceDir = GetField(state.splashText, 1, '|');
}

}  // namespace boot
