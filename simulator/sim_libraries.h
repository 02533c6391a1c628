// The libraries of the machine: those the description lists as the
// system's own (no file stands for them), those the program has loaded and
// the entries it has found in them, by handle.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "os_types.h"

namespace host {

class LoadedLibraries {
 public:
  explicit LoadedLibraries(std::vector<std::string> listed) : listed_(std::move(listed)) {}

  // `name` in upper case, without a folder.
  bool Listed(const std::string& name) const {
    return std::find(listed_.begin(), listed_.end(), name) != listed_.end();
  }

  platform::Library Load(const std::string& path) {
    loaded_[nextLibrary_] = path;
    return nextLibrary_++;
  }
  bool Loaded(platform::Library library) const { return loaded_.contains(library); }
  // The path it was loaded by, or null.
  const std::string* PathOf(platform::Library library) const {
    const auto found = loaded_.find(library);
    return found == loaded_.end() ? nullptr : &found->second;
  }
  void Free(platform::Library library) { loaded_.erase(library); }

  platform::Entry AddEntry(const std::string& path, const std::string& label) {
    entries_[nextEntry_] = {path, label};
    return nextEntry_++;
  }
  // The library's path and the entry's label, or null.
  const std::pair<std::string, std::string>* EntryOf(platform::Entry entry) const {
    const auto found = entries_.find(entry);
    return found == entries_.end() ? nullptr : &found->second;
  }

 private:
  std::vector<std::string> listed_;  // upper case
  std::map<platform::Library, std::string> loaded_;
  platform::Library nextLibrary_ = 1;
  std::map<platform::Entry, std::pair<std::string, std::string>> entries_;
  platform::Entry nextEntry_ = 1;
};

}  // namespace host
