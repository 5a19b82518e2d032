// A 32-bit top-down DIB section selected into a memory device context: for
// tests that draw into a bitmap or copy the screen into one, then read the
// pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/win_handles.h"

namespace wine_test {

class Canvas {
 public:
  // Starts magenta (0xFF00FF), a colour that nothing under test draws.
  Canvas(int width, int height) : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!bits_) return;
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
    for (int i = 0; i < width * height; ++i) static_cast<std::uint32_t*>(bits_)[i] = 0xFFFF00FFu;
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    if (old_) ::SelectObject(dc_.get(), old_);
  }

  [[nodiscard]] bool Ready() const { return bits_ != nullptr; }
  [[nodiscard]] HDC dc() const { return dc_.get(); }
  [[nodiscard]] int width() const { return width_; }
  [[nodiscard]] int height() const { return height_; }
  // The pixels, rows top down, each 0x??RRGGBB, once the drawing so far is done.
  [[nodiscard]] const std::uint32_t* Pixels() const {
    ::GdiFlush();
    return static_cast<const std::uint32_t*>(bits_);
  }
  // The colour at (x, y) as 0xRRGGBB.
  [[nodiscard]] std::uint32_t At(int x, int y) const { return Pixels()[y * width_ + x] & 0x00FFFFFFu; }

 private:
  int width_, height_;
  mervalis::UniqueMemoryDc dc_;
  mervalis::UniqueBitmap bitmap_;
  void* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace wine_test
