#include "name_index.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "text.h"

namespace fs = std::filesystem;

namespace host {
namespace {

// Changes of a folder's names, and the folder's own end. Attributes and
// contents do not move a name.
constexpr std::uint32_t kNameChanges =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR;

// The old way, for a folder without an index: one listing per look-up.
fs::path Listed(const fs::path& folder, const std::string& name) {
  std::error_code error;
  const fs::path exact = folder / name;
  if (fs::exists(exact, error)) return exact;
  const std::string wanted = boot::ToUpperAscii(name);
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (boot::ToUpperAscii(entry.path().filename().string()) == wanted) return entry.path();
  }
  return exact;
}

}  // namespace

NameIndex::NameIndex() : notices_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

NameIndex::~NameIndex() {
  if (notices_ >= 0) close(notices_);
}

fs::path NameIndex::Child(const fs::path& folder, const std::string& name) {
  bool isFolder = false;
  const Names* names = IndexOf(folder, isFolder);
  if (names == nullptr) return isFolder ? Listed(folder, name) : folder / name;
  const auto found = names->find(boot::ToUpperAscii(name));
  if (found == names->end()) return folder / name;
  for (const std::string& entry : found->second) {
    if (entry == name) return folder / name;
  }
  return folder / found->second.front();
}

void NameIndex::CatchUp() {
  alignas(inotify_event) char buffer[16384];
  while (true) {
    const ssize_t got = read(notices_, buffer, sizeof buffer);
    if (got <= 0) return;  // EAGAIN: nothing more is queued
    bool overflowed = false;
    for (ssize_t offset = 0; offset < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      overflowed = overflowed || (event->mask & IN_Q_OVERFLOW) != 0;
      const auto folder = folders_.find(event->wd);
      if (folder == folders_.end()) continue;
      if ((event->mask & IN_IGNORED) != 0) {
        folders_.erase(folder);
        continue;
      }
      if (event->len == 0) continue;  // the folder itself, not a name in it
      const std::string name = event->name;
      std::vector<std::string>& same = folder->second[boot::ToUpperAscii(name)];
      std::erase(same, name);
      if ((event->mask & (IN_CREATE | IN_MOVED_TO)) != 0) same.push_back(name);
      if (same.empty()) folder->second.erase(boot::ToUpperAscii(name));
    }
    // Changes were lost: every folder is listed afresh when next looked into.
    if (overflowed) folders_.clear();
  }
}

const NameIndex::Names* NameIndex::IndexOf(const fs::path& folder, bool& isFolder) {
  std::error_code error;
  if (notices_ < 0) {
    isFolder = fs::is_directory(folder, error);
    return nullptr;
  }
  CatchUp();
  const int watch = inotify_add_watch(notices_, folder.c_str(), kNameChanges);
  if (watch < 0) {
    isFolder = errno != ENOENT && errno != ENOTDIR && fs::is_directory(folder, error);
    return nullptr;
  }
  const auto [found, fresh] = folders_.try_emplace(watch);
  if (!fresh) return &found->second;
  // Watched before listed: a change while listing comes as a notice too.
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    found->second[boot::ToUpperAscii(name)].push_back(name);
  }
  if (error) {
    folders_.erase(found);
    inotify_rm_watch(notices_, watch);
    isFolder = true;
    return nullptr;
  }
  return &found->second;
}

}  // namespace host
