#include "tests/e2e/Screen.h"

namespace e2e::screen {

namespace {
Rgb FromColorRef(COLORREF colour) {
  return (static_cast<Rgb>(GetRValue(colour)) << 16) | (static_cast<Rgb>(GetGValue(colour)) << 8) |
         GetBValue(colour);
}
}  // namespace

Rgb PixelAt(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return FromColorRef(colour);
}

Capture::Capture(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
      GdiFlush();
      const auto* source = static_cast<const std::uint32_t*>(bits);
      pixels_.reserve(static_cast<std::size_t>(width) * height);
      for (int i = 0; i < width * height; ++i) pixels_.push_back(source[i] & 0xFFFFFFu);
      width_ = width;
      height_ = height;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

Capture Capture::OfWindow(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return Capture(frame);
}

Rgb Capture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFFu;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

}  // namespace e2e::screen
