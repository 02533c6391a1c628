// Windows, messages, timers and message boxes.
#pragma once

#include "os_types.h"

namespace platform {

class Windowing {
 public:
  virtual bool RegisterWindowClass(Instance instance, const WindowClass& wc, WindowProc proc) = 0;
  virtual Window CreateWindow(Instance instance, const WindowParams& params) = 0;
  virtual void ShowWindow(Window window, int command) = 0;
  virtual void UpdateWindow(Window window) = 0;
  virtual std::intptr_t DefWindowProc(Window window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
  virtual bool SetTimer(Window window, std::uintptr_t id, unsigned ms) = 0;
  virtual void KillTimer(Window window, std::uintptr_t id) = 0;
  virtual void PostQuit(int exitCode) = 0;
  // Runs until a quit request; returns its exit code.
  virtual int RunMessageLoop() = 0;
  // Dispatches the messages already waiting, without blocking; a quit
  // request among them stays for the main loop.
  virtual void PumpMessages() = 0;
  virtual int SystemMetric(int index) = 0;
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;

 protected:
  // Never deleted through the interface: a backend owns its parts.
  ~Windowing() = default;
};

}  // namespace platform
