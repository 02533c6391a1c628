// The demo's main setup program: shows that it was started and with which
// command line, then ends by itself, so the bootstrapper's wait and clean-up
// can be watched from start to end.
#include <windows.h>

#include <string>

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kRunMilliseconds = 5000;
constexpr int kWidth = 480;
constexpr int kHeight = 230;

std::string g_message;

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT box;
  GetClientRect(window, &box);
  InflateRect(&box, -16, -16);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, g_message.c_str(), -1, &box, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_TIMER:
      KillTimer(window, kCloseTimer);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

bool RegisterDemoClass(HINSTANCE instance) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = "DemoSetupWindow";
  return RegisterClassA(&cls) != 0;
}

HWND CreateDemoWindow(HINSTANCE instance) {
  const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - kHeight / 2;
  return CreateWindowExA(0, "DemoSetupWindow", "Demo main setup program", WS_OVERLAPPED | WS_CAPTION, left,
                         top, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  char directory[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof directory, directory);
  g_message = std::string("The main setup program has started.\n\nCommand line:\n") + GetCommandLineA() +
              "\n\nCurrent directory: " + directory + "\n\nThis window closes by itself in a few seconds.";
  if (!RegisterDemoClass(instance)) return 1;
  HWND window = CreateDemoWindow(instance);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  SetTimer(window, kCloseTimer, kRunMilliseconds, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
