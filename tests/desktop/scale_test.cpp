#include "desktop/scale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace mervalis::desktop {
namespace {

TEST(Scale, PhysicalAndLogicalSizesRoundToTheNearestPixel) {
  struct Row {
    int dpi, logical, physical;
  };
  // 100 %, 200 %, 125 % and 175 %: the fish 70 x 48 and the bubbles 24 and 14.
  for (const Row& r : {Row{96, 70, 70}, Row{192, 70, 140}, Row{192, -105, -210}, Row{120, 70, 88}, Row{120, 48, 60},
                       Row{120, 24, 30}, Row{120, 14, 18}, Row{120, -70, -87}, Row{168, 70, 123}, Row{168, 48, 84},
                       Row{168, 24, 42}, Row{168, 14, 25}, Row{0, 70, 70}}) {
    EXPECT_EQ(Scale{r.dpi}.ToPhysical(r.logical), r.physical) << r.dpi << " " << r.logical;
  }
  for (const Row& r : {Row{192, 1920, 3840}, Row{192, 1080, 2160}, Row{144, 1707, 2560}, Row{120, 1536, 1920},
                       Row{168, 1463, 2560}, Row{168, 823, 1440}, Row{96, 1366, 1366}}) {
    EXPECT_EQ(Scale{r.dpi}.ToLogical(r.physical), r.logical) << r.dpi << " " << r.physical;
  }
}

// At 200 % a 3840 x 2160 monitor has the fish and bubbles of a 1920 x 1080
// one, each at twice its size and place, step after step.
TEST(ScaledScene, TwiceOnA4kScreenIsTheFullHdSceneDoubled) {
  for (const bool stretched : {false, true}) {
    ScaledScene scaled({3840, 2160, stretched}, Scale{192}, 7);
    Scene full({1920, 1080, stretched}, 7);
    EXPECT_EQ(scaled.Logical().Layout().fishCount, stretched ? 11 : 8);
    EXPECT_EQ(scaled.Logical().Layout().bubbleCount, 19);
    ASSERT_EQ(scaled.Sprites().size(), full.Sprites().size());
    for (std::uint64_t t = 0; t <= 6000; t += 20) {
      scaled.AdvanceTo(t);
      full.AdvanceTo(t);
      for (std::size_t i = 0; i < full.Sprites().size(); ++i) {
        Sprite doubled = full.Sprites()[i];
        doubled.x *= 2, doubled.y *= 2, doubled.width *= 2, doubled.height *= 2;
        ASSERT_EQ(scaled.Sprites()[i], doubled) << stretched << " sprite " << i << " at " << t;
      }
    }
  }
}

// At 125 % and 175 % every sprite stays within half a pixel of its exact
// place for ten minutes: the steps keep their fractions.
TEST(ScaledScene, FractionalScalesDoNotDrift) {
  for (const int dpi : {120, 168}) {
    ScaledScene scene({1920, 1080, true}, Scale{dpi}, 3);
    for (std::uint64_t t = 0; t <= 600000; t += 20) {
      scene.AdvanceTo(t);
      const auto& logical = scene.Logical().Sprites();
      for (std::size_t i = 0; i < logical.size(); ++i) {
        const Sprite& p = scene.Sprites()[i];
        ASSERT_LE(std::abs(p.x * 96 - logical[i].x * dpi), 48) << dpi << " sprite " << i << " at " << t;
        ASSERT_LE(std::abs(p.y * 96 - logical[i].y * dpi), 48) << dpi << " sprite " << i << " at " << t;
      }
    }
  }
}

TEST(ScalePicture, ScaledOnceKeepingTimingColourAndValidAlpha) {
  auto picture = std::make_shared<PictureFrames>();
  picture->repetitions = 3;
  // An opaque red square with a half-transparent blue band and clear corners.
  Frame frame{14, 14, std::vector<std::uint32_t>(14 * 14, 0xFFFF0000u), 70};
  for (int i = 0; i < 14; ++i) frame.bgra[static_cast<std::size_t>(i)] = 0x800000FFu;
  frame.bgra[0] = frame.bgra[13] = 0;
  picture->frames = {frame, Frame{3, 2, std::vector<std::uint32_t>(6, 0xFF336699u), 120}};
  EXPECT_EQ(ScalePicture(picture, Scale{96}), picture);
  const auto scaled = ScalePicture(picture, Scale{168});
  ASSERT_EQ(scaled->frames.size(), 2u);
  EXPECT_EQ(scaled->repetitions, 3);
  const Frame& big = scaled->frames[0];
  EXPECT_EQ(big.width, 25);
  EXPECT_EQ(big.height, 25);
  EXPECT_EQ(big.delayMs, 70);
  EXPECT_EQ(scaled->frames[1].delayMs, 120);
  EXPECT_EQ(scaled->frames[1].bgra, std::vector<std::uint32_t>(5 * 4, 0xFF336699u));  // a flat colour stays flat
  for (const std::uint32_t pixel : big.bgra) {
    for (int shift = 0; shift < 24; shift += 8) ASSERT_LE((pixel >> shift) & 0xFF, pixel >> 24) << std::hex << pixel;
  }
  EXPECT_EQ(big.bgra[24 * 25 + 12], 0xFFFF0000u);  // the middle of the bottom row: red
}

}  // namespace
}  // namespace mervalis::desktop
