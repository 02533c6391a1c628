// The program's own allocation: the process heap, and a box instead of an
// exception when it runs out. The product has no exceptions, so the run
// time's throwing helpers end here too; none of them can arise from input
// that is checked before use, only from an exhausted heap.
#include "windows_api.h"

#include <cstddef>
#include <new>

#include "heap.h"

namespace {

constexpr int kTextCapacity = 128;
// Filled at start, so that the box needs no allocation when it is shown.
char g_text[kTextCapacity] = "Out of memory.";
char g_caption[kTextCapacity] = "Setup Error";

void* Allocate(std::size_t size) { return ::HeapAlloc(::GetProcessHeap(), 0, size == 0 ? 1 : size); }

void Release(void* block) {
  if (block != nullptr) ::HeapFree(::GetProcessHeap(), 0, block);
}

void* AllocateOrEnd(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  win32::EndOutOfMemory();
}

}  // namespace

namespace win32 {

void PrepareOutOfMemoryBox(HINSTANCE instance, int textId, int captionId) {
  ::LoadStringA(instance, static_cast<UINT>(textId), g_text, kTextCapacity);
  ::LoadStringA(instance, static_cast<UINT>(captionId), g_caption, kTextCapacity);
}

[[noreturn]] void EndOutOfMemory() {
  ::MessageBoxA(nullptr, g_text, g_caption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
  // Nothing can be cleaned up without memory; the exit code is 0 as always.
  ::ExitProcess(0);
}

}  // namespace win32

void* operator new(std::size_t size) { return AllocateOrEnd(size); }
void* operator new[](std::size_t size) { return AllocateOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

namespace std {
void __throw_bad_alloc() { win32::EndOutOfMemory(); }
void __throw_bad_array_new_length() { win32::EndOutOfMemory(); }
void __throw_length_error(const char*) { win32::EndOutOfMemory(); }
void __throw_logic_error(const char*) { win32::EndOutOfMemory(); }
void __throw_out_of_range(const char*) { win32::EndOutOfMemory(); }
void __throw_out_of_range_fmt(const char*, ...) { win32::EndOutOfMemory(); }
void __throw_invalid_argument(const char*) { win32::EndOutOfMemory(); }
void __throw_bad_function_call() { win32::EndOutOfMemory(); }
}  // namespace std
