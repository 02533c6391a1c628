// Handles that release themselves through the part of the seam that gave
// them, so that no path of the program forgets one or releases it twice.
#pragma once

#include <utility>

#include "os_files.h"
#include "os_libraries.h"
#include "os_lz.h"
#include "os_painting.h"

namespace platform {

// Holds a handle above `kNone`; failure values (0, or an LZ error below 0)
// are never held. Move-only; releases on destruction or Reset().
template <typename Part, typename Handle, void (Part::*Release)(Handle), Handle kNone = Handle{}>
class Owned {
 public:
  Owned() = default;
  Owned(Part& part, Handle handle) : part_(&part), handle_(handle > kNone ? handle : kNone) {}
  Owned(Owned&& other) noexcept
      : part_(other.part_), handle_(std::exchange(other.handle_, kNone)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset();
      part_ = other.part_;
      handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ > kNone; }
  void Reset() {
    if (handle_ > kNone) (part_->*Release)(std::exchange(handle_, kNone));
  }
  // Lets go without releasing: the platform frees it when the process ends.
  void Abandon() { handle_ = kNone; }

 private:
  Part* part_ = nullptr;
  Handle handle_ = kNone;
};

using OwnedFile = Owned<FileSystem, File, &FileSystem::CloseFile>;
using OwnedLzFile = Owned<LzFiles, LzFile, &LzFiles::LzClose, LzFile{-1}>;
using OwnedLibrary = Owned<Libraries, Library, &Libraries::FreeLibrary>;
using OwnedDc = Owned<Painting, Dc, &Painting::DeleteDc>;
using OwnedGdi = Owned<Painting, Gdi, &Painting::DeleteObject>;

}  // namespace platform
