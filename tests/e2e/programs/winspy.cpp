// winspy: looks at the windows of the Wine session it runs in and answers
// message boxes, for the end-to-end tests. The X side cannot do this: without
// a window manager Wine draws no frames, and the message-box trace cuts texts.
//
//   winspy list                        every top-level window, one a line
//   winspy wait CLASS TITLE MS         wait until a visible window matches
//   winspy gone CLASS TITLE MS         wait until no visible window matches
//   winspy box CAPTION MS              wait for a message box, print its text
//   winspy press CAPTION BUTTONID      click a button of a message box
//   winspy screen                      screen metrics and system colours
//
// CLASS and TITLE match exactly; "*" matches anything. Output lines are
// tab-separated key=value fields; tab, line feed, CR and backslash inside
// values are written as \t, \n, \r and \\. Exit code 0 on success, 1 when a
// wait ran out or the window was not found, 2 on bad usage.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

std::wstring FromArg(const char* arg) {
  int size = MultiByteToWideChar(CP_ACP, 0, arg, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, arg, -1, out.data(), size);
  out.resize(wcslen(out.c_str()));
  return out;
}

std::string Escape(const std::wstring& text) {
  std::string out;
  for (char c : ToUtf8(text)) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT through SendMessageTimeout: a hung owner must not hang the spy.
  std::vector<wchar_t> buffer(65536, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  return std::wstring(buffer.data());
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::string RectText(const RECT& r) {
  char text[80];
  std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
  return text;
}

RECT ClientOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&client, origin.x, origin.y);
  return client;
}

unsigned long long HandleValue(HWND window) {
  return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

std::string Describe(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT outer{};
  GetWindowRect(window, &outer);
  char head[200];
  std::snprintf(head, sizeof head,
                "window\thwnd=0x%llx\tpid=%lu\tvisible=%d\tstyle=0x%08lx\texstyle=0x%08lx\towner=0x%llx",
                HandleValue(window), pid, IsWindowVisible(window) ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
                HandleValue(GetWindow(window, GW_OWNER)));
  return std::string(head) + "\tclass=" + Escape(ClassOf(window)) + "\ttitle=" + Escape(TextOf(window)) +
         "\touter=" + RectText(outer) + "\tclient=" + RectText(ClientOnScreen(window));
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool Matches(const std::wstring& pattern, const std::wstring& value) {
  return pattern == L"*" || pattern == value;
}

HWND FindVisible(const std::wstring& cls, const std::wstring& title) {
  for (HWND window : TopLevelWindows()) {
    if (IsWindowVisible(window) && Matches(cls, ClassOf(window)) && Matches(title, TextOf(window))) return window;
  }
  return nullptr;
}

// Polls rather than hooking: other processes' windows cannot be hooked from here.
HWND WaitFor(const std::wstring& cls, const std::wstring& title, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindVisible(cls, title)) return window;
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    Sleep(50);
  }
}

bool WaitGone(const std::wstring& cls, const std::wstring& title, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (FindVisible(cls, title)) {
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(50);
  }
  return true;
}

void PrintLine(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
}

int ListWindows() {
  for (HWND window : TopLevelWindows()) PrintLine(Describe(window));
  return 0;
}

// The box text is the static control whose id is 0xFFFF; the icon is another static.
std::wstring BoxText(HWND box) {
  for (HWND child : ChildWindows(box)) {
    if (ClassOf(child) == L"Static" && (GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) return TextOf(child);
  }
  return {};
}

void PrintButtons(HWND box) {
  for (HWND child : ChildWindows(box)) {
    if (ClassOf(child) != L"Button" || !IsWindowVisible(child)) continue;
    PrintLine("button\tid=" + std::to_string(GetDlgCtrlID(child)) + "\ttext=" + Escape(TextOf(child)));
  }
}

int ShowBox(const std::wstring& caption, DWORD timeout_ms) {
  HWND box = WaitFor(L"#32770", caption, timeout_ms);
  if (!box) return 1;
  PrintLine(Describe(box));
  PrintLine("text\tvalue=" + Escape(BoxText(box)));
  PrintButtons(box);
  return 0;
}

// WM_COMMAND as the button itself would send it: works without focus or mouse.
int PressButton(const std::wstring& caption, int id) {
  HWND box = FindVisible(L"#32770", caption);
  if (!box) return 1;
  HWND button = GetDlgItem(box, id);
  if (!button) return 1;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return 0;
}

int WaitCommand(bool present, const std::wstring& cls, const std::wstring& title, DWORD timeout_ms) {
  if (!present) return WaitGone(cls, title, timeout_ms) ? 0 : 1;
  HWND window = WaitFor(cls, title, timeout_ms);
  if (!window) return 1;
  PrintLine(Describe(window));
  return 0;
}

// System colours as RRGGBB, the order a screenshot's pixels come in.
std::string ColorText(int index) {
  COLORREF color = GetSysColor(index);
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", GetRValue(color), GetGValue(color), GetBValue(color));
  return text;
}

int ShowScreen() {
  char line[240];
  std::snprintf(line, sizeof line,
                "screen\twidth=%d\theight=%d\tcaption=%d\tframe_x=%d\tframe_y=%d\tbtnface=%s\twindow=%s",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYCAPTION),
                GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME),
                ColorText(COLOR_BTNFACE).c_str(), ColorText(COLOR_WINDOW).c_str());
  PrintLine(line);
  return 0;
}

DWORD Milliseconds(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 10)); }

int Usage() {
  std::fputs("usage: winspy list | wait CLASS TITLE MS | gone CLASS TITLE MS | box CAPTION MS |"
             " press CAPTION BUTTONID | screen\n",
             stderr);
  return 2;
}

int Dispatch(const std::string& command, int argc, char** argv) {
  if (command == "list" && argc == 2) return ListWindows();
  if (command == "screen" && argc == 2) return ShowScreen();
  if ((command == "wait" || command == "gone") && argc == 5)
    return WaitCommand(command == "wait", FromArg(argv[2]), FromArg(argv[3]), Milliseconds(argv[4]));
  if (command == "box" && argc == 4) return ShowBox(FromArg(argv[2]), Milliseconds(argv[3]));
  if (command == "press" && argc == 4) return PressButton(FromArg(argv[2]), std::atoi(argv[3]));
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  // Binary output: the harness splits on LF and must not see CR added.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) return Usage();
  int code = Dispatch(argv[1], argc, argv);
  std::fflush(stdout);
  return code;
}
