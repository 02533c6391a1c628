#include "win32_backend.h"

#include "constants.h"
#include "szdd.h"
#include "win32_common.h"

namespace win32 {

// The platform's LZ expansion library, taken from the system directory
// only, so that a planted copy beside the program is never loaded. Files
// are opened here and handed to it: its own opens keep a path in 128
// characters, shorter than the paths a run names.
struct Win32LzFiles::LzLibrary {
  using InitFn = INT(WINAPI*)(INT);
  using CopyFn = LONG(WINAPI*)(INT, INT);
  using CloseFn = void(WINAPI*)(INT);
  using SeekFn = LONG(WINAPI*)(INT, LONG, INT);
  using ReadFn = INT(WINAPI*)(INT, LPSTR, INT);

  HMODULE module = nullptr;
  InitFn init = nullptr;
  CopyFn copy = nullptr;
  CloseFn close = nullptr;
  SeekFn seek = nullptr;
  ReadFn read = nullptr;

  LzLibrary() {
    module = ::LoadLibraryA(SystemPath("LZ32.DLL").c_str());
    if (module == nullptr) return;
    init = Entry<InitFn>(module, "LZInit");
    copy = Entry<CopyFn>(module, "LZCopy");
    close = Entry<CloseFn>(module, "LZClose");
    seek = Entry<SeekFn>(module, "LZSeek");
    read = Entry<ReadFn>(module, "LZRead");
  }
  ~LzLibrary() {
    if (module != nullptr) ::FreeLibrary(module);
  }
  bool Ready() const { return init && copy && close && seek && read; }
};

Win32LzFiles::~Win32LzFiles() { delete lz_; }

Win32LzFiles::LzLibrary& Win32LzFiles::Lz() {
  if (lz_ == nullptr) lz_ = new LzLibrary();
  return *lz_;
}

platform::Result<platform::LzFile> Win32LzFiles::LzOpenRead(const std::string& path) {
  const platform::LzFile lz = Open(path);
  return Returned(lz, lz < 0);
}

platform::LzFile Win32LzFiles::Open(const std::string& path) {
  if (!Lz().Ready()) return platform::kLzErrorBadInHandle;
  // As the library's own open: the compressed twin when the name is not
  // there, with the twin's error when neither is.
  std::string opened = path;
  platform::File file = OpenPlain(opened);
  if (file == 0) file = OpenPlain(opened = szdd::TwinName(path));
  if (file == 0) return platform::kLzErrorBadInHandle;
  // The library takes a file as a handle in an int, as its own opens give them.
  const INT lz = Lz().init(static_cast<INT>(file));
  if (lz < 0) {
    ClosePlain(file);
    return lz;
  }
  lzSources_[lz] = opened;
  return lz;
}

platform::Result<platform::LzFile> Win32LzFiles::LzCreate(const std::string& path) {
  if (!Lz().Ready()) return Returned<platform::LzFile>(platform::kLzErrorBadOutHandle, true);
  const platform::File file = CreatePlain(path);
  return Returned<platform::LzFile>(file == 0 ? platform::kLzErrorBadInHandle : static_cast<INT>(file),
                                    file == 0);
}

platform::Result<std::int64_t> Win32LzFiles::LzCopy(platform::LzFile source,
                                                    platform::LzFile destination) {
  const std::int64_t written = Copy(source, destination);
  return Returned(written, written < 0);
}

std::int64_t Win32LzFiles::Copy(platform::LzFile source, platform::LzFile destination) {
  const LONG written = Lz().copy(static_cast<INT>(source), static_cast<INT>(destination));
  if (written < 0) return written;
  // The platform does not notice a compressed file that ends early; its
  // header says how long the expansion must be.
  const std::string* opened = lzSources_.Find(source);
  if (opened == nullptr) return written;
  const std::optional<std::string> head = ReadHead(*opened, szdd::kHeaderSize);
  if (!head) return platform::kLzErrorRead;
  const auto header = szdd::ParseHeader(*head);
  if (header && header->length != static_cast<std::uint32_t>(written)) return platform::kLzErrorRead;
  return written;
}

void Win32LzFiles::LzClose(platform::LzFile file) {
  lzSources_.Erase(file);
  Lz().close(static_cast<INT>(file));
}

std::optional<boot::Block> Win32LzFiles::LzReadAll(platform::LzFile file, std::size_t limit) {
  const INT handle = static_cast<INT>(file);
  // Seeking to the end gives the expanded length, not the stored one.
  const LONG size = Lz().seek(handle, 0, FILE_END);
  if (size < 0 || Lz().seek(handle, 0, FILE_BEGIN) != 0) return std::nullopt;
  std::optional<boot::Block> block = BlockFor(static_cast<unsigned long>(size), limit);
  if (!block) return std::nullopt;
  std::size_t filled = 0;
  while (filled < block->Size()) {
    const INT got = Lz().read(handle, block->Data() + filled, static_cast<INT>(block->Size() - filled));
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  block->Shrink(filled);
  return block;
}

std::optional<std::string> Win32LzFiles::ExpandedName(const std::string& path) {
  // The library's call opens the file within its 128 characters; the rule
  // it applies to the header is the program's own.
  const std::optional<std::string> head = ReadHead(path, szdd::kHeaderSize);
  if (!head) return std::nullopt;
  return szdd::ExpandedName(path, *head);
}

}  // namespace win32
