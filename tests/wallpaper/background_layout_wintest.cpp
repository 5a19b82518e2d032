// The frame band of the centred layout as the 32-bit Windows build computes
// it. That build does its floating point on the x87 unit, whose wider
// registers hold values in more than double precision unless told otherwise;
// the band is defined in single precision, and on some screen heights the
// three give different bands.
#include <gtest/gtest.h>

#include <string>

#include "wallpaper/background.h"

namespace {

using mervalis::Rect;
using mervalis::Rgb;

// 1280 pixels wide with the 1024 x 768 frame picture: mx = 1280 * 15 / 100 =
// 192, pw = 896, sx = 1024 / 896 = 8 / 7, in single precision 1.14285719;
// rx0 = 30 / sx = 26.2499981, rx = 26. The heights, worked out by hand:
//
// 1004: my = 150 (150.6 rounded down), ph = 704, sy = 768 / 704 = 12 / 11,
//   in single precision 1.09090912, a hair above; 30 / sy = 27.4999998 is
//   27.5 exactly in single precision, an exact half going down: ry = 27.
//   (In double precision 30 / sy is 27.500000000000004: 28.)
// 3382: my = 507 (507.3), ph = 2368, sy = 768 / 2368 = 12 / 37, in single
//   precision 0.324324310, a hair below; 30 / sy = 92.5000041 is
//   92.5000076 in single precision, above the half: ry = 93. (In double or
//   wider precision 30 / sy is 92.5, which goes down to 92.)
//
// F = (mx - rx - 1, my - ry - 1, W - mx + rx + 1, H - my + ry + 1).
TEST(BackgroundLayoutWindowsBuild, FrameBandIsRoundedInSinglePrecision) {
  struct Row {
    int height;
    Rect picture;
    int ry;
    Rect frame;
  };
  const Row rows[] = {
      {1004, {192, 150, 1088, 854}, 27, {165, 122, 1115, 882}},
      {3382, {192, 507, 1088, 2875}, 93, {165, 413, 1115, 2969}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "1280 x " << row.height);
    const mervalis::BackgroundLayout layout =
        mervalis::ComputeBackgroundLayout(1280, row.height, false, true, 1024, 768);
    EXPECT_TRUE(layout.border);
    EXPECT_EQ(layout.picture, row.picture);
    EXPECT_EQ(layout.rx, 26);
    EXPECT_EQ(layout.ry, row.ry);
    EXPECT_EQ(layout.frame, row.frame);
  }
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
