#include "desktop/gif_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace mervalis {
namespace {

// A stored frame of one colour; `holes` lists pixels (x, y within the frame)
// left transparent.
struct Stored {
  std::vector<std::uint8_t> bgra;
  GifStoredFrame frame;
};
Stored Solid(int left, int top, int w, int h, std::uint8_t b, GifDisposal disposal,
             std::vector<std::pair<int, int>> holes = {}) {
  Stored s;
  s.bgra.resize(static_cast<std::size_t>(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    s.bgra[i * 4 + 0] = b;
    s.bgra[i * 4 + 1] = 2;
    s.bgra[i * 4 + 2] = 3;
    s.bgra[i * 4 + 3] = 255;
  }
  for (auto [x, y] : holes) s.bgra[(static_cast<std::size_t>(y) * w + x) * 4 + 3] = 0;
  s.frame = {left, top, w, h, s.bgra.data(), disposal};
  return s;
}

// Blue of pixel (x, y), or -1 where the canvas is transparent.
int BlueAt(const std::vector<std::uint8_t>& px, int width, int x, int y) {
  const std::uint8_t* p = px.data() + (static_cast<std::size_t>(y) * width + x) * 4;
  return p[3] == 0 ? -1 : p[0];
}

TEST(GifCanvas, FramesLandAtTheirPlaceOnATransparentCanvas) {
  GifCanvas canvas(4, 3);
  Stored f = Solid(1, 1, 2, 1, 10, GifDisposal::Keep, {{1, 0}});
  const auto& px = canvas.Add(f.frame);
  ASSERT_EQ(px.size(), 4u * 3u * 4u);
  EXPECT_EQ(BlueAt(px, 4, 0, 0), -1);
  EXPECT_EQ(BlueAt(px, 4, 1, 1), 10);
  EXPECT_EQ(BlueAt(px, 4, 2, 1), -1);  // a transparent pixel of the frame
  EXPECT_EQ(px[(1 * 4 + 1) * 4 + 1], 2);  // green and red are copied too
  EXPECT_EQ(px[(1 * 4 + 1) * 4 + 2], 3);
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

TEST(GifDelayMs, HundredthsToMillisecondsWithTheBrowsersFloor) {
  EXPECT_EQ(GifDelayMs(5), 50);
  EXPECT_EQ(GifDelayMs(2), 20);
  EXPECT_EQ(GifDelayMs(1), 100);
  EXPECT_EQ(GifDelayMs(0), 100);
  EXPECT_EQ(GifDelayMs(65535), 655350);
}

}  // namespace
}  // namespace mervalis
