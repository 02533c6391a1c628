// LZ expansion, with the platform's rules for compressed twins and names.
#pragma once

#include "os_types.h"

namespace platform {

class LzFiles {
 public:
  virtual Result<LzFile> LzOpenRead(const std::string& path) = 0;
  virtual Result<LzFile> LzCreate(const std::string& path) = 0;
  // Bytes written, or an LZERROR_ value below 0.
  virtual Result<std::int64_t> LzCopy(LzFile source, LzFile destination) = 0;
  virtual void LzClose(LzFile file) = 0;
  // The expanded content of a file opened by LzOpenRead, when it is at
  // most `limit` bytes; nothing on a read error or when it is larger.
  virtual std::optional<boot::Block> LzReadAll(LzFile file, std::size_t limit) = 0;
  // The name recorded in a compressed file's header (a plain file keeps its
  // own); nothing when the file cannot be opened.
  virtual std::optional<std::string> ExpandedName(const std::string& path) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~LzFiles() = default;
};

}  // namespace platform
