#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {
namespace {

platform::WindowProc g_proc = nullptr;

LRESULT CALLBACK Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return g_proc(Out(window), message, wParam, lParam);
}

}  // namespace


bool Win32Windowing::RegisterWindowClass(platform::Instance instance,
                                        const platform::WindowClass& wc,
                                        platform::WindowProc proc) {
  g_proc = proc;
  WNDCLASSA cls = {};
  cls.style = wc.style;
  cls.lpfnWndProc = Dispatch;
  cls.hInstance = As<HINSTANCE>(instance);
  cls.hIcon = ::LoadIconA(As<HINSTANCE>(instance), wc.icon.c_str());
  cls.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(wc.background));
  cls.lpszClassName = wc.name.c_str();
  return ::RegisterClassA(&cls) != 0;
}

platform::Window Win32Windowing::CreateWindow(platform::Instance instance,
                                             const platform::WindowParams& params) {
  return Out(::CreateWindowExA(params.exStyle, params.className.c_str(), params.title.c_str(), params.style,
                               params.x, params.y, params.width, params.height, nullptr, nullptr,
                               As<HINSTANCE>(instance), nullptr));
}

void Win32Windowing::ShowWindow(platform::Window window, int command) {
  ::ShowWindow(As<HWND>(window), command);
}

void Win32Windowing::UpdateWindow(platform::Window window) { ::UpdateWindow(As<HWND>(window)); }

std::intptr_t Win32Windowing::DefWindowProc(platform::Window window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  return ::DefWindowProcA(As<HWND>(window), message, wParam, lParam);
}

bool Win32Windowing::SetTimer(platform::Window window, std::uintptr_t id, unsigned ms) {
  return ::SetTimer(As<HWND>(window), id, ms, nullptr) != 0;
}

void Win32Windowing::KillTimer(platform::Window window, std::uintptr_t id) {
  ::KillTimer(As<HWND>(window), id);
}

void Win32Windowing::PostQuit(int exitCode) { ::PostQuitMessage(exitCode); }

int Win32Windowing::RunMessageLoop() {
  MSG msg = {};
  BOOL got;
  while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

void Win32Windowing::PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

int Win32Windowing::SystemMetric(int index) { return ::GetSystemMetrics(index); }

int Win32Windowing::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

}  // namespace win32
