// The simulated machine's files, LZ expansion and profile files.
#include <chrono>
#include <fstream>
#include <system_error>

#include "constants.h"
#include "host_machine.h"
#include "szdd.h"
#include "tree_io.h"

namespace fs = std::filesystem;

namespace host {
namespace {

bool IsWritable(const fs::path& path) {
  std::error_code error;
  const fs::perms perms = fs::status(path, error).permissions();
  return error || (perms & fs::perms::owner_write) != fs::perms::none;
}

std::uintmax_t SizeOf(const fs::path& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

platform::SystemTime TimeOf(fs::file_time_type written) {
  const auto since = std::chrono::file_clock::to_sys(written);
  const auto days = std::chrono::floor<std::chrono::days>(since);
  const std::chrono::year_month_day date(days);
  const std::chrono::hh_mm_ss time(std::chrono::floor<std::chrono::seconds>(since - days));
  return {static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
          static_cast<int>(unsigned(date.day())), static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())};
}

}  // namespace

// --- what may be done to a file ----------------------------------------------

bool HostMachine::IsReadOnly(const Target& target) const {
  std::error_code error;
  return fs::exists(target.host, error) && (faults_.ReadOnly(target.key) || !IsWritable(target.host));
}

// Named in the description, or held open by the program itself.
bool HostMachine::IsInUse(const Target& target) const {
  return faults_.InUse(target.key) || open_.Holds(target.key);
}

bool HostMachine::IsFull(const Target& target, std::size_t newSize) const {
  return faults_.Full(target.drive) && newSize > SizeOf(target.host);
}

std::uint32_t HostMachine::ReadRefusal(const Target& target) const {
  std::error_code error;
  if (target.tooLong) return platform::kErrorFilenameExcedRange;
  if (target.device || fs::is_regular_file(target.host, error)) return 0;
  if (fs::is_directory(target.host, error)) return platform::kErrorAccessDenied;
  return MissingError(target);
}

std::uint32_t HostMachine::WriteRefusal(const Target& target) const {
  std::error_code error;
  if (target.tooLong) return platform::kErrorFilenameExcedRange;
  if (!fs::is_directory(target.host.parent_path(), error)) return platform::kErrorPathNotFound;
  if (IsWriteProtected(target.drive)) return platform::kErrorWriteProtect;
  if (target.root || fs::is_directory(target.host, error)) return platform::kErrorAccessDenied;
  if (IsReadOnly(target)) return platform::kErrorAccessDenied;
  if (IsInUse(target)) return platform::kErrorSharingViolation;
  return 0;
}

std::uint32_t HostMachine::DeleteRefusal(const Target& target) const {
  std::error_code error;
  if (target.tooLong) return platform::kErrorFilenameExcedRange;
  // The platform finds no file to delete behind a device's name.
  if (target.device) return platform::kErrorFileNotFound;
  if (!fs::exists(target.host, error)) return MissingError(target);
  if (IsWriteProtected(target.drive)) return platform::kErrorWriteProtect;
  if (fs::is_directory(target.host, error) || IsReadOnly(target)) return platform::kErrorAccessDenied;
  if (IsInUse(target)) return platform::kErrorSharingViolation;
  return 0;
}

bool HostMachine::WriteWholeFile(const Target& target, const std::string& content) {
  if (target.device) {
    Note("write " + target.path + " (device, nothing stored)");
    return true;
  }
  if (const std::uint32_t refusal = WriteRefusal(target)) return Refuse(refusal);
  return WriteThrough(target, content, false);
}

// Writing where the machine already allowed it: a checked target or a file
// the program holds open. Only room on the drive can still be missing.
bool HostMachine::WriteThrough(const Target& target, const std::string& bytes, bool append) {
  if (target.device) return true;
  const std::size_t size = append ? SizeOf(target.host) + bytes.size() : bytes.size();
  if (IsFull(target, size)) return Refuse(platform::kErrorDiskFull);
  Forget(target);
  std::ofstream out(target.host, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out << bytes;
  return static_cast<bool>(out) || Refuse(platform::kErrorAccessDenied);
}

// --- profile files ---------------------------------------------------------------

std::string HostMachine::ProfilePath(const std::string& file) const {
  if (file.find_first_of("\\/") == std::string::npos && file.find(':') == std::string::npos) {
    return facts_.winDir + "\\" + file;
  }
  return file;
}

const profile::Document& HostMachine::Profile(const std::string& file) {
  const Target target = Locate(ProfilePath(file));
  if (const profile::Document* known = profiles_.Find(target.key)) return *known;
  return profiles_.Keep(target.key, target.device ? std::nullopt : ReadHostFile(target.host));
}

std::string HostMachine::ReadProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultText, std::size_t capacity,
                                           const std::string& file) {
  return Profile(file).ReadString(section, key, defaultText, capacity);
}

std::uint32_t HostMachine::ReadProfileInt(const std::string& section, const std::string& key,
                                          int defaultValue, const std::string& file) {
  return Profile(file).ReadInt(section, key, defaultValue);
}

bool HostMachine::WriteProfileString(const std::string& section, const std::string& key,
                                     const std::string& value, const std::string& file) {
  if (file.empty()) return Refuse(platform::kErrorAccessDenied);
  const std::string path = ProfilePath(file);
  const Target target = Locate(path);
  profiles_.NoteWrite(path, section);
  if (target.device) return WriteWholeFile(target, profile::WriteString(std::nullopt, section, key, value));
  std::optional<profile::Tail> tail = profiles_.TakeTail(target.key, target.host);
  if (tail) {
    if (std::optional<profile::Appending> appending = profile::Appended(*tail, section, key, value)) {
      // The same refusals and bytes as rewriting the file with the entry.
      if (const std::uint32_t refusal = WriteRefusal(target)) return Refuse(refusal);
      if (!WriteThrough(target, appending->line, true)) return false;
      tail->keys.insert(std::move(appending->key));
      profiles_.KeepTail(target.key, target.host, std::move(tail));
      return true;
    }
  }
  const std::string text = profile::WriteString(ReadHostFile(target.host), section, key, value);
  if (!WriteWholeFile(target, text)) return false;
  profiles_.KeepTail(target.key, target.host, profile::TailOf(text));
  return true;
}

std::optional<HostMachine::Section> HostMachine::LastWrittenSection() const {
  const auto& lastWrite = profiles_.LastWrite();
  if (!lastWrite) return std::nullopt;
  const Target target = Locate(lastWrite->first);
  const auto text = target.device ? std::nullopt : ReadHostFile(target.host);
  if (!text) return std::nullopt;
  const auto& [file, name] = *lastWrite;
  return Section{file, name, profile::Document(text).Entries(name)};
}

// --- whole files and pieces ----------------------------------------------------------

bool HostMachine::FileExists(const std::string& path) {
  if (path.empty()) return false;
  const Target target = Locate(path);
  if (target.device) return Refuse(platform::kErrorFileNotFound);
  // A directory is there but is no file: the platform's test finds it
  // without an error.
  std::error_code error;
  if (fs::is_directory(target.host, error)) return Refuse(0);
  const std::uint32_t refusal = ReadRefusal(target);
  return refusal == 0 || Refuse(refusal);
}

bool HostMachine::DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  const Target target = Locate(path);
  std::error_code error;
  return !target.device && fs::is_directory(target.host, error);
}

bool HostMachine::DoDeleteFile(const std::string& path) {
  if (path.empty()) return Refuse(platform::kErrorPathNotFound);
  const Target target = Locate(path);
  if (const std::uint32_t refusal = DeleteRefusal(target)) return Refuse(refusal);
  std::error_code error;
  if (!fs::remove(target.host, error)) return Refuse(platform::kErrorAccessDenied);
  Forget(target);
  Note("delete " + path);
  return true;
}

std::optional<std::string> HostMachine::ReadWhole(const std::string& path) {
  if (path.empty()) {
    Refuse(platform::kErrorPathNotFound);
    return std::nullopt;
  }
  const Target target = Locate(path);
  if (const std::uint32_t refusal = ReadRefusal(target)) {
    Refuse(refusal);
    return std::nullopt;
  }
  return target.device ? std::string() : ReadHostFile(target.host);
}

std::optional<boot::Block> HostMachine::BlockOf(const std::string& content, std::size_t limit) {
  if (content.size() > limit) {
    Refuse(platform::kErrorFileTooLarge);
    return std::nullopt;
  }
  std::optional<boot::Block> block = boot::Block::Allocate(content.size());
  if (!block) {
    Refuse(platform::kErrorNotEnoughMemory);
    return std::nullopt;
  }
  content.copy(block->Data(), content.size());
  return block;
}

std::optional<boot::Block> HostMachine::DoReadFile(const std::string& path, std::size_t limit) {
  const std::optional<std::string> content = ReadWhole(path);
  if (!content) return std::nullopt;
  return BlockOf(*content, limit);
}

bool HostMachine::DoReplaceFile(const std::string& from, const std::string& to) {
  const Target source = Locate(from);
  const Target target = Locate(to);
  if (source.device || target.device) return Refuse(platform::kErrorAccessDenied);
  if (const std::uint32_t refusal = ReadRefusal(source)) return Refuse(refusal);
  if (IsWriteProtected(source.drive)) return Refuse(platform::kErrorWriteProtect);
  if (IsInUse(source)) return Refuse(platform::kErrorSharingViolation);
  if (const std::uint32_t refusal = WriteRefusal(target)) return Refuse(refusal);
  if (source.drive != target.drive && IsFull(target, SizeOf(source.host))) {
    return Refuse(platform::kErrorDiskFull);
  }
  std::error_code error;
  fs::rename(source.host, target.host, error);
  if (error) return Refuse(platform::kErrorAccessDenied);
  Forget(source);
  Forget(target);
  Note("write " + to);
  return true;
}

platform::File HostMachine::DoOpenForRead(const std::string& path) {
  const Target target = Locate(path);
  if (const std::uint32_t refusal = ReadRefusal(target)) {
    Refuse(refusal);
    return 0;
  }
  std::string content = target.device ? "" : ReadHostFile(target.host).value_or("");
  return open_.Open({target, std::move(content), 0, false});
}

platform::File HostMachine::DoCreateForWrite(const std::string& path) {
  const Target target = Locate(path);
  if (!WriteWholeFile(target, "")) return 0;
  if (!target.device) Note("write " + path);
  return open_.Open({target, {}, 0, true});
}

std::optional<std::string> HostMachine::ReadBytes(platform::File file, std::size_t count) {
  PieceFile* piece = open_.Piece(file);
  if (piece == nullptr || piece->forWriting) {
    Refuse(platform::kErrorInvalidHandle);
    return std::nullopt;
  }
  std::string bytes = piece->content.substr(std::min(piece->offset, piece->content.size()), count);
  piece->offset += bytes.size();
  return bytes;
}

bool HostMachine::DoWriteBytes(platform::File file, const std::string& bytes) {
  const PieceFile* piece = open_.Piece(file);
  if (piece == nullptr || !piece->forWriting) return Refuse(platform::kErrorInvalidHandle);
  return WriteThrough(piece->target, bytes, true);
}

bool HostMachine::DoSetFileLength(platform::File file, std::uint64_t length) {
  const PieceFile* piece = open_.Piece(file);
  if (piece == nullptr || !piece->forWriting) return Refuse(platform::kErrorInvalidHandle);
  const Target& target = piece->target;
  if (target.device) return true;
  std::error_code error;
  fs::resize_file(target.host, length, error);
  if (error) return Refuse(platform::kErrorAccessDenied);
  Note("cut " + target.path + " to " + std::to_string(length));
  return true;
}

void HostMachine::CloseFile(platform::File file) { open_.Close(file); }

std::optional<platform::SystemTime> HostMachine::LastWriteTime(const std::string& path) {
  const Target target = Locate(path);
  if (const std::uint32_t refusal = ReadRefusal(target)) {
    Refuse(refusal);
    return std::nullopt;
  }
  std::error_code error;
  const auto written = fs::last_write_time(target.host, error);
  if (target.device || error) return std::nullopt;
  return TimeOf(written);
}

// --- LZ expansion ----------------------------------------------------------------------

platform::LzFile HostMachine::DoLzOpenRead(const std::string& path) {
  Target target = Locate(path);
  if (ReadRefusal(target) != 0) target = Locate(szdd::TwinName(path));
  if (const std::uint32_t refusal = ReadRefusal(target)) {
    Refuse(refusal);
    return platform::kLzErrorBadInHandle;
  }
  return open_.OpenLz({target, false});
}

platform::LzFile HostMachine::DoLzCreate(const std::string& path) {
  // Created by the name given alone: the compressed twin is tried only
  // when reading.
  const Target target = Locate(path);
  if (!WriteWholeFile(target, "")) return platform::kLzErrorBadInHandle;
  return open_.OpenLz({target, true});
}

std::int64_t HostMachine::DoLzCopy(platform::LzFile source, platform::LzFile destination) {
  return Expand(source, destination, true);
}

// `wholeOnly`: a stream that ends before the header's length is a read
// error, as the program's copy treats it; the version library's own copy
// takes what the stream gives.
std::int64_t HostMachine::Expand(platform::LzFile source, platform::LzFile destination, bool wholeOnly) {
  const LzOpenFile* in = open_.Lz(source);
  const LzOpenFile* out = open_.Lz(destination);
  if (in == nullptr || in->forWriting) return platform::kLzErrorBadInHandle;
  if (out == nullptr || !out->forWriting) return platform::kLzErrorBadOutHandle;
  const Target& from = in->target;
  const auto content = from.device ? std::string() : ReadHostFile(from.host);
  if (!content) return platform::kLzErrorRead;
  const szdd::Expansion expansion = szdd::Expand(*content);
  // The platform writes what the stream gives; only then does the length
  // in the header show the stream short or long.
  if (!WriteThrough(out->target, expansion.data, false)) return platform::kLzErrorWrite;
  if (wholeOnly && !expansion.complete) return platform::kLzErrorRead;
  return static_cast<std::int64_t>(expansion.data.size());
}

void HostMachine::LzClose(platform::LzFile file) { open_.CloseLz(file); }

std::optional<boot::Block> HostMachine::LzReadAll(platform::LzFile file, std::size_t limit) {
  const LzOpenFile* in = open_.Lz(file);
  if (in == nullptr || in->forWriting) {
    Refuse(platform::kErrorInvalidHandle);
    return std::nullopt;
  }
  const Target& from = in->target;
  const auto content = from.device ? std::string() : ReadHostFile(from.host);
  if (!content) return std::nullopt;
  // The platform reads as much as its header says (where a seek finds the
  // end), or what the stream gives when it ends before.
  const std::optional<szdd::Header> header = szdd::ParseHeader(*content);
  const std::size_t size = header ? header->length : content->size();
  if (size > limit) {
    Refuse(platform::kErrorFileTooLarge);
    return std::nullopt;
  }
  std::string data = szdd::Expand(*content).data;
  if (data.size() > size) data.resize(size);
  return BlockOf(data, limit);
}

std::optional<std::string> HostMachine::ExpandedName(const std::string& path) {
  const std::optional<std::string> content = ReadWhole(path);
  if (!content) return std::nullopt;
  return szdd::ExpandedName(path, *content);
}

}  // namespace host
