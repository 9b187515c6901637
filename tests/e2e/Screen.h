// What the screen shows, as 0xRRGGBB colours.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace e2e::screen {

using Rgb = std::uint32_t;  // 0xRRGGBB

// One pixel of the screen at screen coordinates (x, y).
Rgb PixelAt(int x, int y);

// A copy of a screen rectangle, for checking many pixels at once.
class Capture {
 public:
  explicit Capture(const RECT& area);
  // The rectangle of `window` (screen coordinates) as shown now.
  static Capture OfWindow(HWND window);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_.empty(); }
  // (x, y) relative to the captured rectangle's top left.
  Rgb At(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;  // top-down rows
};

}  // namespace e2e::screen
