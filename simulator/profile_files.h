// Profile files stay parsed in memory from their first read until the
// machine itself changes them; the section written last is the run's log.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "profile_text.h"

namespace host {

class ProfileFiles {
 public:
  // The file with this Target key as parsed, or null before its first read.
  const profile::Document* Find(const std::string& key) const {
    const auto found = documents_.find(key);
    return found == documents_.end() ? nullptr : &found->second;
  }
  const profile::Document& Keep(const std::string& key, const std::optional<std::string>& text) {
    return documents_.emplace(key, profile::Document(text)).first->second;
  }
  void Forget(const std::string& key) { documents_.erase(key); }
  void ForgetDrive(char drive) {
    std::erase_if(documents_, [drive](const auto& entry) { return entry.first[0] == drive; });
  }

  void NoteWrite(const std::string& file, const std::string& section) { lastWrite_.emplace(file, section); }
  // The file (as the program named it) and section of the last write.
  const std::optional<std::pair<std::string, std::string>>& LastWrite() const { return lastWrite_; }

 private:
  std::map<std::string, profile::Document> documents_;  // by Target key
  std::optional<std::pair<std::string, std::string>> lastWrite_;
};

}  // namespace host
