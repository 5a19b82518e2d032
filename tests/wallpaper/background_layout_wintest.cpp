// The frame band of the centred layout as the 32-bit Windows build computes
// it. That build does its floating point on the x87 unit, whose wider
// registers can skip the single-precision rounding the band is defined by; a
// 1004-pixel-high screen is where the two give different bands.
#include <gtest/gtest.h>

#include <string>

#include "wallpaper/background.h"

namespace {

using mervalis::Rect;
using mervalis::Rgb;

// 1280 x 1004 with the 1024 x 768 frame picture, worked out by hand:
//   mx = 1280 * 15 / 100 = 192, my = 1004 * 15 / 100 = 150 (150.6 rounded down),
//   so P = (192, 150, 1088, 854): pw = 896, ph = 704.
//   sx = 1024 / 896 = 8 / 7 in single precision 1.14285719, 30 / sx = 26.2499981: rx = 26.
//   sy = 768 / 704 = 12 / 11 in single precision 1.09090912, a hair above 12 / 11;
//   30 / sy = 27.4999998 comes out as 27.5 exactly in single precision, and an
//   exact half goes down: ry = 27. (In double precision all through, ry0 is
//   27.500000000000004 and ry would be 28.)
//   F = (192 - 27, 150 - 28, 1088 + 27, 854 + 28) = (165, 122, 1115, 882).
TEST(BackgroundLayoutWindowsBuild, FrameBandOnA1004PixelHighScreenIsRoundedInSinglePrecision) {
  const mervalis::BackgroundLayout layout = mervalis::ComputeBackgroundLayout(1280, 1004, false, true, 1024, 768);
  EXPECT_TRUE(layout.border);
  EXPECT_EQ(layout.ry0, 27.5f);
  EXPECT_EQ(layout.ry, 27);
  EXPECT_EQ(layout.rx, 26);
  EXPECT_EQ(layout.picture, (Rect{192, 150, 1088, 854}));
  EXPECT_EQ(layout.frame, (Rect{165, 122, 1115, 882}));
}

// What each pixel along a line of the picture is: b(lack field), f(rame) or
// s(cene), one letter per run, each with the coordinate where it begins.
std::string Runs(const mervalis::Image& image, bool column, int at, Rgb frame, Rgb scene) {
  std::string runs;
  char last = 0;
  const int n = column ? image.Height() : image.Width();
  for (int i = 0; i < n; ++i) {
    const Rgb c = column ? image.Pixel(at, i) : image.Pixel(i, at);
    const char kind = c == Rgb{0, 0, 0} ? 'b' : c == frame ? 'f' : c == scene ? 's' : '?';
    if (kind == last) continue;
    if (!runs.empty()) runs += ' ';
    runs += kind;
    runs += std::to_string(i);
    last = kind;
  }
  return runs;
}

TEST(BackgroundLayoutWindowsBuild, ComposedFrameOnA1004PixelHighScreenIsTheSinglePrecisionBand) {
  const Rgb frame{200, 120, 40};
  const Rgb scene{30, 60, 90};
  mervalis::BackgroundInputs inputs;
  inputs.width = 1280;
  inputs.height = 1004;
  inputs.showBorder = true;
  inputs.frame = mervalis::Image(1024, 768, frame);
  inputs.scene = mervalis::Image(1024, 768, scene);
  const mervalis::Image image = mervalis::ComposeBackground(inputs);
  ASSERT_EQ(image.Width(), 1280);
  ASSERT_EQ(image.Height(), 1004);
  // The frame shows ry + 1 = 28 rows above and below the scene, rx + 1 = 27
  // columns beside it.
  EXPECT_EQ(Runs(image, true, 640, frame, scene), "b0 f122 s150 f854 b882");
  EXPECT_EQ(Runs(image, false, 500, frame, scene), "b0 f165 s192 f1088 b1115");
}

}  // namespace
