// Profile files stay parsed in memory from their first read until the
// machine itself changes them; the section written last is the run's log.
// A file the machine has written keeps its tail too, so that the next new
// key of its last section is appended rather than the file rewritten: a
// log of N entries costs O(N), not O(N^2). A tail counts only while the
// file has the size and time of last write that the machine left.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "profile_text.h"

namespace host {

class ProfileStore {
 public:
  // The file with this Target key as parsed, or null before its first read.
  const profile::Document* Find(const std::string& key) const {
    const auto found = documents_.find(key);
    return found == documents_.end() ? nullptr : &found->second;
  }
  const profile::Document& Keep(const std::string& key, const std::optional<std::string>& text) {
    return documents_.emplace(key, profile::Document(text)).first->second;
  }
  void Forget(const std::string& key) {
    documents_.erase(key);
    tails_.erase(key);
  }
  void ForgetDrive(char drive) {
    const auto onDrive = [drive](const auto& entry) { return entry.first[0] == drive; };
    std::erase_if(documents_, onDrive);
    std::erase_if(tails_, onDrive);
  }

  // The tail of the file the machine wrote last at `host`, taken out; none
  // when the file changed since.
  std::optional<profile::Tail> TakeTail(const std::string& key, const std::filesystem::path& host);
  void KeepTail(const std::string& key, const std::filesystem::path& host, std::optional<profile::Tail> tail);

  void NoteWrite(const std::string& file, const std::string& section) { lastWrite_.emplace(file, section); }
  // The file (as the program named it) and section of the last write.
  const std::optional<std::pair<std::string, std::string>>& LastWrite() const { return lastWrite_; }

 private:
  struct WrittenTail {
    profile::Tail tail;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written;
  };

  std::map<std::string, profile::Document> documents_;  // by Target key
  std::map<std::string, WrittenTail> tails_;            // by Target key
  std::optional<std::pair<std::string, std::string>> lastWrite_;
};

}  // namespace host
