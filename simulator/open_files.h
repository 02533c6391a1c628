// The files the program holds open, plain and through the LZ library, by
// handle: while one is open its file is in use.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "file_tree.h"
#include "os_types.h"

namespace host {

struct LzOpenFile {
  Target target;
  bool forWriting = false;
};

struct PieceFile {
  Target target;
  std::string content;  // what a read handle reads
  std::size_t offset = 0;
  bool forWriting = false;
};

class OpenFiles {
 public:
  platform::File Open(PieceFile file) {
    files_[nextFile_] = std::move(file);
    return nextFile_++;
  }
  // Null for a handle that is not open.
  PieceFile* Piece(platform::File file) {
    const auto found = files_.find(file);
    return found == files_.end() ? nullptr : &found->second;
  }
  void Close(platform::File file) { files_.erase(file); }

  platform::LzFile OpenLz(LzOpenFile file) {
    lzFiles_[nextLz_] = std::move(file);
    return nextLz_++;
  }
  const LzOpenFile* Lz(platform::LzFile file) const {
    const auto found = lzFiles_.find(file);
    return found == lzFiles_.end() ? nullptr : &found->second;
  }
  void CloseLz(platform::LzFile file) { lzFiles_.erase(file); }

  bool Holds(const std::string& key) const {
    for (const auto& [handle, file] : files_) {
      if (file.target.key == key) return true;
    }
    for (const auto& [handle, file] : lzFiles_) {
      if (file.target.key == key) return true;
    }
    return false;
  }

 private:
  std::map<platform::File, PieceFile> files_;
  std::map<platform::LzFile, LzOpenFile> lzFiles_;
  platform::File nextFile_ = 1;
  platform::LzFile nextLz_ = 1;
};

}  // namespace host
