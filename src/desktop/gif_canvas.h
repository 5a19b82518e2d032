// Playing an animated GIF's frames as a browser does. The codec (WIC) gives
// each frame as it is stored: a rectangle of the picture, with a disposal
// that says what becomes of it before the next frame. This canvas turns them
// into whole pictures, one per frame.
#pragma once

#include <cstdint>
#include <vector>

namespace mervalis {

// A frame's disposal, as the Graphic Control Extension stores it.
enum class GifDisposal : std::uint8_t {
  Unspecified = 0,  // left in place
  Keep = 1,
  RestoreBackground = 2,  // its rectangle becomes transparent
  RestorePrevious = 3,    // the canvas returns to what it was before the frame
};

// A frame as stored: `bgra` holds width * height pixels, rows top-down,
// B, G, R, A with straight alpha; A of 0 marks a transparent pixel.
struct GifStoredFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  const std::uint8_t* bgra = nullptr;
  GifDisposal disposal = GifDisposal::Unspecified;
};

class GifCanvas {
 public:
  // A transparent canvas of the picture's logical size.
  GifCanvas(int width, int height);

  // Disposes of the previous frame as it asked, then draws `frame` over the
  // canvas (transparent pixels leave what lies below), clipped to the canvas.
  // Returns the whole picture: width * height B, G, R, A pixels, top-down.
  const std::vector<std::uint8_t>& Add(const GifStoredFrame& frame);

  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }

 private:
  struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  [[nodiscard]] Area Clip(const GifStoredFrame& frame) const noexcept;

  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
  std::vector<std::uint8_t> saved_;  // the canvas before a RestorePrevious frame
  GifDisposal lastDisposal_ = GifDisposal::Keep;
  Area lastArea_;
};

// A stored delay in hundredths of a second as milliseconds. Delays of 0 and
// 1 play at 100 ms, as browsers play them.
[[nodiscard]] int GifDelayMs(int hundredths) noexcept;

}  // namespace mervalis
