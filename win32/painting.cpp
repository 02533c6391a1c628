#include "win32_backend.h"

#include "constants.h"
#include "win32_common.h"

namespace win32 {

platform::Dc Win32Painting::BeginPaint(platform::Window window) {
  PAINTSTRUCT& paint = paints_[As<HWND>(window)];
  return Out(::BeginPaint(As<HWND>(window), &paint));
}

void Win32Painting::EndPaint(platform::Window window, platform::Dc) {
  PAINTSTRUCT* paint = paints_.Find(As<HWND>(window));
  if (paint == nullptr) return;
  ::EndPaint(As<HWND>(window), paint);
  paints_.Erase(As<HWND>(window));
}

void Win32Painting::SetBkMode(platform::Dc dc, int mode) { ::SetBkMode(As<HDC>(dc), mode); }

int Win32Painting::DrawText(platform::Dc dc, const std::string& text, const platform::Rect& box,
                            unsigned format) {
  RECT rect;
  ::SetRect(&rect, box.left, box.top, box.right, box.bottom);
  return ::DrawTextA(As<HDC>(dc), text.c_str(), static_cast<int>(text.size()), &rect, format);
}

bool Win32Painting::DrawIcon(platform::Dc dc, int x, int y, platform::Gdi icon) {
  return ::DrawIcon(As<HDC>(dc), x, y, As<HICON>(icon));
}

platform::Dc Win32Painting::CreateCompatibleDc(platform::Dc dc) {
  return Out(::CreateCompatibleDC(As<HDC>(dc)));
}

platform::Gdi Win32Painting::SelectObject(platform::Dc dc, platform::Gdi object) {
  return Out(::SelectObject(As<HDC>(dc), As<HGDIOBJ>(object)));
}

platform::Gdi Win32Painting::CreateBitmap(const image::Dib& dib) {
  const HDC screen = ::GetDC(nullptr);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.info.data());
  const HBITMAP bitmap =
      ::CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.bits.data(), info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return Out(bitmap);
}

platform::Gdi Win32Painting::CreateIcon(platform::Instance, const image::Icon& icon) {
  ICONINFO parts = {};
  parts.fIcon = TRUE;
  parts.hbmColor = As<HBITMAP>(CreateBitmap(icon.colour));
  parts.hbmMask = ::CreateBitmap(icon.colour.width, icon.colour.height, 1, 1, icon.mask.data());
  const HICON made = parts.hbmColor != nullptr && parts.hbmMask != nullptr ? ::CreateIconIndirect(&parts) : nullptr;
  if (parts.hbmColor != nullptr) ::DeleteObject(parts.hbmColor);
  if (parts.hbmMask != nullptr) ::DeleteObject(parts.hbmMask);
  return Out(made);
}

std::optional<std::pair<int, int>> Win32Painting::BitmapSize(platform::Gdi bitmap) {
  BITMAP info = {};
  if (::GetObjectA(As<HGDIOBJ>(bitmap), sizeof info, &info) == 0) return std::nullopt;
  return std::make_pair(static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight));
}

bool Win32Painting::BitBlt(platform::Dc dc, int x, int y, int width, int height,
                           platform::Dc source, int sx, int sy, std::uint32_t rop) {
  return ::BitBlt(As<HDC>(dc), x, y, width, height, As<HDC>(source), sx, sy, rop);
}

void Win32Painting::DeleteDc(platform::Dc dc) { ::DeleteDC(As<HDC>(dc)); }

void Win32Painting::DeleteObject(platform::Gdi object) { ::DeleteObject(As<HGDIOBJ>(object)); }

}  // namespace win32
