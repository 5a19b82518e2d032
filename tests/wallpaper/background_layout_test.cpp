#include "wallpaper/background.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mervalis {
namespace {

TEST(BackgroundLayout, MarginsAreExactIntegerFifteenPercent) {
  EXPECT_EQ(CentredMargin(800), 120);
  EXPECT_EQ(CentredMargin(1280), 192);  // 1280 * 0.15 in floating point is 191.99...
  EXPECT_EQ(CentredMargin(1024), 153);
  EXPECT_EQ(CentredMargin(768), 115);
  EXPECT_EQ(CentredMargin(6), 0);
  EXPECT_EQ(CentredMargin(7), 1);
  EXPECT_EQ(CentredMargin(kMaxScreenSide), 9830);
}

TEST(BackgroundLayout, ExactHalfRoundsDown) {
  EXPECT_EQ(RoundHalfDown(21.5f), 21);
  EXPECT_EQ(RoundHalfDown(21.500002f), 22);
  EXPECT_EQ(RoundHalfDown(21.0f), 21);
  EXPECT_EQ(RoundHalfDown(16.406f), 16);
  EXPECT_EQ(RoundHalfDown(29.531f), 30);
  EXPECT_EQ(RoundHalfDown(0.5f), 0);
}

struct WorkedRow {
  int w, h;
  Rect picture;
  double rx0, ry0;
  int rx, ry;
  Rect frame;
};

TEST(BackgroundLayout, CentredWithBorderMatchesTheWorkedTable) {
  const WorkedRow rows[] = {
      {640, 480, {96, 72, 544, 408}, 13.125, 13.125, 13, 13, {82, 58, 558, 422}},
      {800, 600, {120, 90, 680, 510}, 16.406, 16.406, 16, 16, {103, 73, 697, 527}},
      {1024, 768, {153, 115, 871, 653}, 21.035, 21.016, 21, 21, {131, 93, 893, 675}},
      {1280, 1024, {192, 153, 1088, 871}, 26.25, 28.047, 26, 28, {165, 124, 1115, 900}},
      {1366, 768, {204, 115, 1162, 653}, 28.066, 21.016, 28, 21, {175, 93, 1191, 675}},
      {1600, 1200, {240, 180, 1360, 1020}, 32.813, 32.813, 33, 33, {206, 146, 1394, 1054}},
      {1920, 1080, {288, 162, 1632, 918}, 39.375, 29.531, 39, 30, {248, 131, 1672, 949}},
      // Not in the table: heights where single precision gives another band
      // than double: ry0 is 27.5 exactly (27.500000000000004 in double, 28),
      // and 92.5000076 (92.5 exactly in double, 92).
      {1280, 1004, {192, 150, 1088, 854}, 26.25, 27.5, 26, 27, {165, 122, 1115, 882}},
      {1280, 3382, {192, 507, 1088, 2875}, 26.25, 92.5, 26, 93, {165, 413, 1115, 2969}},
  };
  for (const WorkedRow& row : rows) {
    SCOPED_TRACE(testing::Message() << row.w << "x" << row.h);
    const BackgroundLayout layout = ComputeBackgroundLayout(row.w, row.h, false, true, 1024, 768);
    EXPECT_EQ(layout.picture, row.picture);
    EXPECT_TRUE(layout.border);
    // The table gives three decimals, rounded half up (32.8125 shows as 32.813).
    EXPECT_EQ(std::lround(layout.rx0 * 1000.0), std::lround(row.rx0 * 1000.0)) << layout.rx0;
    EXPECT_EQ(std::lround(layout.ry0 * 1000.0), std::lround(row.ry0 * 1000.0)) << layout.ry0;
    EXPECT_EQ(layout.rx, row.rx);
    EXPECT_EQ(layout.ry, row.ry);
    EXPECT_EQ(layout.frame, row.frame);
  }
}

TEST(BackgroundLayout, StretchedIgnoresBothBoxes) {
  for (bool border : {false, true}) {
    const BackgroundLayout layout = ComputeBackgroundLayout(1280, 1024, true, border, 1024, 768);
    EXPECT_EQ(layout.picture, (Rect{0, 0, 1280, 1024}));
    EXPECT_FALSE(layout.border);
    EXPECT_TRUE(layout.frame.Empty());
  }
}

TEST(BackgroundLayout, NoBorderWithoutTheOptionOrWithoutAFramePicture) {
  const BackgroundLayout off = ComputeBackgroundLayout(1024, 768, false, false, 1024, 768);
  EXPECT_EQ(off.picture, (Rect{153, 115, 871, 653}));
  EXPECT_FALSE(off.border);
  const BackgroundLayout noPicture = ComputeBackgroundLayout(1024, 768, false, true, 0, 0);
  EXPECT_FALSE(noPicture.border);
  EXPECT_EQ(noPicture.picture, (Rect{153, 115, 871, 653}));
}

}  // namespace
}  // namespace mervalis
