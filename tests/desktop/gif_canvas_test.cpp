#include "desktop/gif_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace mervalis::desktop {
namespace {

// A stored frame of one colour; `holes` lists pixels (x, y within the frame)
// left transparent.
struct Stored {
  std::vector<std::uint32_t> pixels;
  GifStoredFrame frame;
};
// A stored frame of one opaque colour 0xFF0302bb (blue `b`); `holes` lists
// pixels (x, y within the frame) left transparent.
Stored Solid(int left, int top, int w, int h, std::uint8_t b, GifDisposal disposal,
             std::vector<std::pair<int, int>> holes = {}) {
  Stored s;
  s.pixels.assign(static_cast<std::size_t>(w) * h, 0xFF030200u | b);
  for (auto [x, y] : holes) s.pixels[static_cast<std::size_t>(y) * w + x] = 0x00112233u;
  s.frame = {left, top, w, h, s.pixels.data(), disposal};
  return s;
}

// Blue of pixel (x, y), or -1 where the canvas is transparent (which must
// then be all zero, the premultiplied form).
int BlueAt(const std::vector<std::uint32_t>& px, int width, int x, int y) {
  const std::uint32_t p = px[static_cast<std::size_t>(y) * width + x];
  if ((p >> 24) == 0) return p == 0 ? -1 : -2;
  return static_cast<int>(p & 0xFF);
}

TEST(GifCanvas, FramesLandAtTheirPlaceOnATransparentCanvas) {
  GifCanvas canvas(4, 3);
  Stored f = Solid(1, 1, 2, 1, 10, GifDisposal::Keep, {{1, 0}});
  const auto& px = canvas.Add(f.frame);
  ASSERT_EQ(px.size(), 4u * 3u);
  EXPECT_EQ(BlueAt(px, 4, 0, 0), -1);
  EXPECT_EQ(BlueAt(px, 4, 1, 1), 10);
  EXPECT_EQ(BlueAt(px, 4, 2, 1), -1);  // a transparent pixel of the frame
  EXPECT_EQ(px[1 * 4 + 1], 0xFF03020Au);  // the whole colour, opaque
}

TEST(GifCanvas, EachDisposalPreparesTheNextFrame) {
  struct Row {
    GifDisposal first;
    int expectedUnderHole;  // what shows through the second frame's hole at (1, 1)
    int expectedOutside;    // (0, 0): drawn by the first frame only
  };
  const Row rows[] = {
      {GifDisposal::Unspecified, 10, 10},
      {GifDisposal::Keep, 10, 10},
      {GifDisposal::RestoreBackground, -1, -1},
      {GifDisposal::RestorePrevious, 5, 5},  // back to the base frame
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.first));
    GifCanvas canvas(3, 3);
    Stored base = Solid(0, 0, 3, 3, 5, GifDisposal::Keep);
    Stored first = Solid(0, 0, 2, 2, 10, r.first);
    Stored second = Solid(1, 1, 2, 2, 20, GifDisposal::Keep, {{0, 0}});
    canvas.Add(base.frame);
    const auto& after1 = canvas.Add(first.frame);
    EXPECT_EQ(BlueAt(after1, 3, 0, 0), 10);
    const auto& after2 = canvas.Add(second.frame);
    EXPECT_EQ(BlueAt(after2, 3, 1, 1), r.expectedUnderHole);
    EXPECT_EQ(BlueAt(after2, 3, 0, 0), r.expectedOutside);
    EXPECT_EQ(BlueAt(after2, 3, 2, 2), 20);
    // The base frame outside the first frame's rectangle is never touched.
    EXPECT_EQ(BlueAt(after2, 3, 2, 0), 5);
  }
}

TEST(GifCanvas, RestoreBackgroundClearsOnlyTheFramesRectangleEveryTime) {
  // The payload's fish: every frame a cropped rectangle with disposal 2.
  GifCanvas canvas(5, 1);
  Stored a = Solid(0, 0, 2, 1, 10, GifDisposal::RestoreBackground);
  Stored b = Solid(3, 0, 2, 1, 20, GifDisposal::RestoreBackground);
  canvas.Add(a.frame);
  const auto& px = canvas.Add(b.frame);
  EXPECT_EQ(BlueAt(px, 5, 0, 0), -1);
  EXPECT_EQ(BlueAt(px, 5, 1, 0), -1);
  EXPECT_EQ(BlueAt(px, 5, 3, 0), 20);
  const auto& again = canvas.Add(a.frame);
  EXPECT_EQ(BlueAt(again, 5, 0, 0), 10);
  EXPECT_EQ(BlueAt(again, 5, 3, 0), -1);
}

TEST(GifCanvas, FramesReachingOutsideAreClipped) {
  GifCanvas canvas(2, 2);
  Stored f = Solid(1, -1, 5, 2, 9, GifDisposal::RestoreBackground);
  const auto& px = canvas.Add(f.frame);
  EXPECT_EQ(BlueAt(px, 2, 1, 0), 9);   // the frame's row 1, column 0
  EXPECT_EQ(BlueAt(px, 2, 0, 0), -1);
  EXPECT_EQ(BlueAt(px, 2, 1, 1), -1);
  Stored far = Solid(2000000000, 2000000000, 100, 100, 1, GifDisposal::Keep);
  const auto& same = canvas.Add(far.frame);  // nothing to draw, the clear still happens
  EXPECT_EQ(BlueAt(same, 2, 1, 0), -1);
}

TEST(GifCanvas, RejectsSizesOutOfRange) {
  EXPECT_THROW(GifCanvas(0, 5), std::invalid_argument);
  EXPECT_THROW(GifCanvas(5, -1), std::invalid_argument);
  EXPECT_THROW(GifCanvas(70000, 1), std::invalid_argument);
}

}  // namespace
}  // namespace mervalis::desktop
