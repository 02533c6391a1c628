// Expands SRC into DST with the system's LZ expansion library, so tests can
// check our compressed files against the real reader.
// Usage: lzexpand.exe SRC DST
// Prints "LZCopy=<result>", "ExpandedName=<GetExpandedNameA of SRC>" (or
// "ExpandedName!=<code>" when it fails) and "CopyMicroseconds=<time of the
// opens, LZCopy and closes>" for benchmarks; exit code 0 when LZCopy succeeded.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using LzOpenFileFn = INT(WINAPI*)(LPSTR, LPOFSTRUCT, WORD);
using LzCopyFn = LONG(WINAPI*)(INT, INT);
using LzCloseFn = VOID(WINAPI*)(INT);
using GetExpandedNameFn = INT(WINAPI*)(LPSTR, LPSTR);

class Library {
 public:
  explicit Library(const std::string& path) : module_(::LoadLibraryA(path.c_str())) {}
  ~Library() {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  template <typename Fn>
  Fn Entry(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

class LzHandle {
 public:
  LzHandle(INT handle, LzCloseFn close) : handle_(handle), close_(close) {}
  ~LzHandle() {
    if (handle_ >= 0) close_(handle_);
  }
  LzHandle(const LzHandle&) = delete;
  LzHandle& operator=(const LzHandle&) = delete;

  INT Get() const { return handle_; }

 private:
  INT handle_;
  LzCloseFn close_;
};

struct LzCalls {
  LzOpenFileFn open;
  LzCopyFn copy;
  LzCloseFn close;
  GetExpandedNameFn expandedName;
};

// The calls take writable names; give them a copy.
std::vector<char> Writable(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

LONG Copy(const LzCalls& lz, const std::string& source, const std::string& destination) {
  OFSTRUCT sourceInfo{};
  OFSTRUCT destinationInfo{};
  std::vector<char> sourceName = Writable(source);
  std::vector<char> destinationName = Writable(destination);
  const LzHandle in(lz.open(sourceName.data(), &sourceInfo, OF_READ), lz.close);
  if (in.Get() < 0) return in.Get();
  const LzHandle out(lz.open(destinationName.data(), &destinationInfo, OF_CREATE), lz.close);
  if (out.Get() < 0) return out.Get();
  return lz.copy(in.Get(), out.Get());
}

void PrintExpandedName(const LzCalls& lz, const std::string& source) {
  std::vector<char> name = Writable(source);
  std::vector<char> expanded(name.size() + MAX_PATH, '\0');
  const INT result = lz.expandedName(name.data(), expanded.data());
  if (result < 0) {
    std::printf("ExpandedName!=%d\n", result);
  } else {
    std::printf("ExpandedName=%s\n", expanded.data());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: lzexpand SRC DST\n", stderr);
    return 2;
  }
  char systemDir[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(systemDir, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    std::fputs("cannot find the system directory\n", stderr);
    return 2;
  }
  const Library library(std::string(systemDir) + "\\LZ32.DLL");
  if (!library.Loaded()) {
    std::fprintf(stderr, "cannot load LZ32.DLL (error %lu)\n", ::GetLastError());
    return 2;
  }
  const LzCalls lz{library.Entry<LzOpenFileFn>("LZOpenFileA"), library.Entry<LzCopyFn>("LZCopy"),
                   library.Entry<LzCloseFn>("LZClose"), library.Entry<GetExpandedNameFn>("GetExpandedNameA")};
  if (!lz.open || !lz.copy || !lz.close || !lz.expandedName) {
    std::fputs("LZ32.DLL lacks an entry point\n", stderr);
    return 2;
  }
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  const LONG copied = Copy(lz, argv[1], argv[2]);
  ::QueryPerformanceCounter(&end);
  std::printf("LZCopy=%ld\n", static_cast<long>(copied));
  PrintExpandedName(lz, argv[1]);
  std::printf("CopyMicroseconds=%lld\n",
              static_cast<long long>((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart));
  return copied < 0 ? 1 : 0;
}
