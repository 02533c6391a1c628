#include "profile_files.h"

#include <system_error>

namespace fs = std::filesystem;

namespace host {

std::optional<profile::Tail> ProfileStore::TakeTail(const std::string& key, const fs::path& host) {
  const auto found = tails_.find(key);
  if (found == tails_.end()) return std::nullopt;
  WrittenTail kept = std::move(found->second);
  tails_.erase(found);
  std::error_code sizeError, timeError;
  const std::uintmax_t size = fs::file_size(host, sizeError);
  const fs::file_time_type written = fs::last_write_time(host, timeError);
  if (sizeError || timeError || size != kept.size || written != kept.written) return std::nullopt;
  return std::move(kept.tail);
}

void ProfileStore::KeepTail(const std::string& key, const fs::path& host, std::optional<profile::Tail> tail) {
  if (!tail) return;
  std::error_code sizeError, timeError;
  const std::uintmax_t size = fs::file_size(host, sizeError);
  const fs::file_time_type written = fs::last_write_time(host, timeError);
  if (sizeError || timeError) return;
  tails_[key] = {std::move(*tail), size, written};
}

}  // namespace host
