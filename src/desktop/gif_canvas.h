// Playing an animated GIF's frames as a browser does. The codec (WIC) gives
// each frame as it is stored: a rectangle of the picture, with a disposal
// that says what becomes of it before the next frame. This canvas turns them
// into whole pictures, one per frame, in the renderer's pixel form.
#pragma once

#include <cstdint>
#include <vector>

namespace mervalis::desktop {

// A frame's disposal, as the Graphic Control Extension stores it.
enum class GifDisposal : std::uint8_t {
  Unspecified = 0,  // left in place
  Keep = 1,
  RestoreBackground = 2,  // its rectangle becomes transparent
  RestorePrevious = 3,    // the canvas returns to what it was before the frame
};

// A frame as stored: width * height pixels 0xAARRGGBB, rows top-down. A GIF
// pixel is opaque or transparent: alpha 0 marks a transparent one, which
// leaves what lies below.
struct GifStoredFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  const std::uint32_t* pixels = nullptr;
  GifDisposal disposal = GifDisposal::Unspecified;
};

class GifCanvas {
 public:
  // A transparent canvas of the picture's logical size. Throws
  // std::invalid_argument for a side outside 1..65535.
  GifCanvas(int width, int height);

  // Disposes of the previous frame as it asked, then draws `frame` over the
  // canvas, clipped to it. Returns the whole picture: width * height pixels,
  // top-down, each opaque or 0 (transparent, which is also its
  // premultiplied form).
  const std::vector<std::uint32_t>& Add(const GifStoredFrame& frame);

  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }

 private:
  struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  [[nodiscard]] Area Clip(const GifStoredFrame& frame) const noexcept;

  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
  std::vector<std::uint32_t> saved_;  // the canvas before a RestorePrevious frame
  GifDisposal lastDisposal_ = GifDisposal::Keep;
  Area lastArea_;
};

}  // namespace mervalis::desktop
