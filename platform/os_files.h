// Directories and files.
#pragma once

#include "os_types.h"

namespace platform {

class FileSystem {
 public:
  // A new directory whose access list is exactly `entries`, inherited by
  // what is created inside and not merged with the parent's. Where the
  // system has no access lists, a plain directory.
  virtual Status CreateProtectedDirectory(const std::string& path,
                                          std::span<const AccessEntry> entries) = 0;
  virtual Status RemoveDirectory(const std::string& path) = 0;
  virtual Status SetCurrentDirectory(const std::string& path) = 0;
  virtual Status SetCurrentDrive(int drive) = 0;  // 1 = A:, 2 = B:, ...

  // Files. Every path up to kLongestPath characters is taken whole.
  // True for a file (not a directory) that is there.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual Status DeleteFile(const std::string& path) = 0;
  // Whole content of a file of at most `limit` bytes; nothing when it cannot
  // be opened or read, when it is larger (error 223), or when no block of
  // its size can be had (error 8).
  virtual Result<std::optional<boot::Block>> ReadFile(const std::string& path,
                                                      std::size_t limit) = 0;
  // Moves a file over an existing one.
  virtual Status ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Files read and written piece by piece (joining a file split over two
  // disks); a failed open gives 0.
  virtual Result<File> OpenForRead(const std::string& path) = 0;
  virtual Result<File> CreateForWrite(const std::string& path) = 0;
  // Up to `count` bytes; empty at the end; nothing on a read error.
  virtual std::optional<std::string> ReadBytes(File file, std::size_t count) = 0;
  virtual Status WriteBytes(File file, const std::string& bytes) = 0;
  // Cuts a file open for writing back to `length` bytes; later writes go
  // to its new end.
  virtual Status SetFileLength(File file, std::uint64_t length) = 0;
  virtual void CloseFile(File file) = 0;
  virtual std::optional<SystemTime> LastWriteTime(const std::string& path) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~FileSystem() = default;
};

}  // namespace platform
