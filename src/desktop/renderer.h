// Draws the aquarium, telling which parts of the screen changed since the
// last frame: the Windows side composes just those rectangles and copies them
// to the screen, which keeps the rest. No picture of the whole screen is kept
// beside the background (at 1920 × 1080 that would be 8 MB more).
//
// Pixels are 32-bit words 0xAARRGGBB (bytes B, G, R, A in memory), rows top
// down without padding, alpha premultiplied: the form of a top-down 32-bit
// DIB section and of WIC's GUID_WICPixelFormat32bppPBGRA.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/rect.h"
#include "desktop/scene.h"

namespace mervalis::desktop {

// One decoded frame of a picture, composed to the picture's full size
// (disposal already applied), premultiplied alpha.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> bgra;
  int delayMs = 0;  // as the file has it: hundredths times 10
};

struct PictureFrames {
  std::vector<Frame> frames;
  int repetitions = 0;  // see FrameAt: kRepeatForever for a looping GIF
};

// Blends premultiplied src over dst.
[[nodiscard]] std::uint32_t BlendOver(std::uint32_t dst, std::uint32_t src) noexcept;

// Softens a frame by one pixel (a 1-2-1 filter across and down, edges
// clamped), in place: the page draws its fish through a blur of radius 1.
void SoftenFrame(Frame& frame);

class Renderer {
 public:
  // Throws std::length_error for a screen whose scene does not fit in the
  // memory of a 32-bit process (MonitorsToAnimate).
  Renderer(int width, int height);

  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }

  // The still picture under everything: width × height opaque pixels. The
  // next Draw redraws the whole screen. Throws std::invalid_argument when
  // the size does not match.
  void SetBackground(const std::vector<std::uint32_t>& pixels);
  // The same a row at a time, as a file is read, so that the whole picture
  // is never held twice: StartBackground makes it black, SetBackgroundRow
  // puts row y (width opaque pixels; another y is ignored).
  void StartBackground();
  void SetBackgroundRow(int y, const std::uint32_t* pixels) noexcept;
  // A picture's frames; fish pictures are softened as the page blurs them.
  // Sprites of a picture without frames draw nothing.
  void SetPicture(Picture picture, PictureFrames frames);
  // A picture as this renderer holds it (softened, checked), to be shared
  // with another renderer by SharePicture: the scenes of several monitors
  // keep one copy of the pictures. Null before SetPicture.
  [[nodiscard]] std::shared_ptr<const PictureFrames> SharedPicture(Picture picture) const noexcept;
  void SharePicture(Picture picture, std::shared_ptr<const PictureFrames> frames);
  // Makes the next Draw redraw the whole screen (after the screen's pixels
  // were lost, for example).
  void InvalidateAll() noexcept { fullRedraw_ = true; }

  // Takes the sprites as they stand at scene time ms (bottom first) and
  // returns the rectangles of the screen that changed since the last Draw,
  // inside the screen; empty when nothing changed. The first Draw, and the
  // first after SetBackground, SetPicture or InvalidateAll, returns the whole
  // screen.
  const std::vector<Rect>& Draw(const std::vector<Sprite>& sprites, std::uint64_t ms);

  // Composes `area` of the screen as the last Draw left it (the background,
  // black without one, then the sprites) into `out`: area.Width() pixels a
  // row, top down. Writes nothing unless the area lies inside the screen.
  void Compose(const Rect& area, std::uint32_t* out) const;

 private:
  struct Drawn {  // what a sprite looks like at one Draw
    Rect rect;    // on screen, clipped; empty when nothing is drawn
    const Frame* frame = nullptr;
    int x = 0;  // where the frame's top left corner goes
    int y = 0;
  };

  [[nodiscard]] std::size_t PixelCount() const noexcept;
  [[nodiscard]] Drawn Look(const Sprite& sprite, std::uint64_t ms) const noexcept;

  int width_;
  int height_;
  // The background in square tiles of kTile × kTile pixels, one memory page
  // each, rows of tiles left to right and top down; empty until set. A
  // sprite's area lies in a few pages instead of one page per row, which
  // keeps the memory a frame touches small.
  static constexpr int kTile = 32;
  [[nodiscard]] std::size_t TileIndex(int x, int y) const noexcept;  // of pixel (x, y) in tiles_
  std::vector<std::uint32_t> tiles_;
  std::size_t firstTile_ = 0;  // where the page-aligned tiles start in tiles_
  int tilesAcross_ = 0;
  std::array<std::shared_ptr<const PictureFrames>, kPictureCount> pictures_;
  std::array<std::vector<int>, kPictureCount> delays_;
  // Of each frame, the box of its pixels that are not clear, in the frame's
  // own coordinates (empty for a clear frame): only that box is drawn and
  // counted as changed. The fish pictures have wide clear margins.
  std::array<std::vector<Rect>, kPictureCount> inked_;
  std::vector<Drawn> drawn_;  // the last Draw's sprites, as Compose shows them
  std::vector<Drawn> looks_;  // the frame being drawn, kept: no allocation per frame
  std::vector<Rect> dirty_;
  bool fullRedraw_ = true;
};

}  // namespace mervalis::desktop
