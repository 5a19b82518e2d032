#include "desktop/scene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <set>
#include <tuple>
#include <vector>

namespace mervalis::desktop {
namespace {

// The generator's outputs equal the page test's Math.random (mulberry32):
// 32-bit outputs of that generator, divided by 2^32.
TEST(SeededRandom, EqualsThePageTestsGenerator) {
  struct Case {
    std::uint32_t seed;
    std::uint32_t outputs[4];
  };
  for (const Case& c : {Case{1, {2693262067u, 11749833u, 2265367787u, 4213581821u}},
                        Case{9001, {3725187136u, 1815277134u, 2273008028u, 1726669622u}},
                        Case{4294967295u, {3850105811u, 813802916u, 3073704848u, 4054706436u}}}) {
    SeededRandom random(c.seed);
    for (const std::uint32_t out : c.outputs) EXPECT_EQ(random.Next(), out / 4294967296.0) << c.seed;
  }
}

// Fish count and motion-change interval per layout, bubble count, and the
// animation area of each layout.
TEST(SceneLayout, CountsIntervalsAndAreaPerScreen) {
  struct Row {
    int w, h;
    int centredFish, centredMs, stretchedFish, stretchedMs, bubbles;
    int left, top;  // centred; the stretched area is the whole screen
  };
  for (const Row& r : {Row{800, 600, 3, 2000, 5, 1200, 8, 120, 90},
                       Row{1024, 768, 4, 1500, 6, 1000, 10, 153, 115},
                       Row{1280, 1024, 5, 1200, 7, 857, 13, 192, 153},
                       Row{1920, 1080, 8, 750, 11, 545, 19, 288, 162}}) {
    const SceneLayout c = LayoutFor({r.w, r.h, false});
    EXPECT_EQ(c.fishCount, r.centredFish) << r.w;
    EXPECT_EQ(c.motionChangeMs, r.centredMs) << r.w;
    EXPECT_EQ(c.bubbleCount, r.bubbles) << r.w;
    EXPECT_EQ(c.left, r.left) << r.w;
    EXPECT_EQ(c.top, r.top) << r.w;
    EXPECT_EQ(c.right, r.w - r.left) << r.w;
    EXPECT_EQ(c.bottom, r.h - r.top) << r.w;

    const SceneLayout s = LayoutFor({r.w, r.h, true});
    EXPECT_EQ(s.fishCount, r.stretchedFish) << r.w;
    EXPECT_EQ(s.motionChangeMs, r.stretchedMs) << r.w;
    EXPECT_EQ(s.bubbleCount, r.bubbles) << r.w;
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.right, r.w);
    EXPECT_EQ(s.bottom, r.h);
  }
}

TEST(SceneLayout, NarrowScreensHaveNoFish) {
  const SceneLayout c = LayoutFor({120, 90, false});
  EXPECT_EQ(c.fishCount, 0);
  EXPECT_EQ(c.motionChangeMs, 0);
  EXPECT_EQ(c.bubbleCount, 1);
  EXPECT_EQ(LayoutFor({125, 90, false}).fishCount, 1);  // an exact half rounds up
  EXPECT_EQ(LayoutFor({40, 30, true}).bubbleCount, 0);

  // The bubbles go on rising; nothing breaks without fish.
  Scene scene({120, 90, false}, 3);
  ASSERT_EQ(scene.Sprites().size(), 1u);
  const int top = scene.Sprites()[0].y;
  scene.AdvanceTo(100);
  EXPECT_LT(scene.Sprites()[0].y, top);
  Scene empty({40, 30, true}, 3);
  empty.AdvanceTo(10'000);
  EXPECT_TRUE(empty.Sprites().empty());
}

// Fish k swims as table entry k mod 6; bubbles alternate the two PNGs.
TEST(Scene, FishFromTheirTableEntriesAndAlternatingBubbles) {
  struct Entry {
    Picture left, right;
    int w, h;
  };
  const Entry table[6] = {{Picture::kFish2Left, Picture::kFish2Right, 70, 48},
                          {Picture::kFish1Left, Picture::kFish1Right, 90, 77},
                          {Picture::kFish4Left, Picture::kFish4Right, 95, 62},
                          {Picture::kFish6Left, Picture::kFish6Right, 90, 77},
                          {Picture::kFish5Left, Picture::kFish5Right, 95, 62},
                          {Picture::kFish3Left, Picture::kFish3Right, 105, 49}};
  const Scene scene({1920, 1080, true}, 5);  // 11 fish: the table and five again
  const auto& sprites = scene.Sprites();
  ASSERT_EQ(sprites.size(), 11u + 19u);
  for (int k = 0; k < 11; ++k) {
    const Entry& e = table[k % 6];
    const Sprite& s = sprites[static_cast<std::size_t>(k)];
    const Fish& f = scene.FishState()[static_cast<std::size_t>(k)];
    EXPECT_EQ(s.picture, f.motion < 2 ? e.left : e.right) << k;
    EXPECT_EQ(s.width, e.w) << k;
    EXPECT_EQ(s.height, e.h) << k;
    EXPECT_TRUE(s.visible) << k;
  }
  for (int i = 0; i < 19; ++i) {
    const Sprite& s = sprites[11u + static_cast<std::size_t>(i)];
    EXPECT_EQ(s.picture, i % 2 == 0 ? Picture::kBubble1Png : Picture::kBubble2Png) << i;
    EXPECT_EQ(s.width, i % 2 == 0 ? 24 : 14) << i;
    EXPECT_EQ(s.height, s.width) << i;
  }
}

// Each fish steps at its own interval (35, 40 or 45 ms); until the first
// motion change (1500 ms here) nothing else moves it.
TEST(Scene, EachFishStepsAtItsOwnInterval) {
  Scene scene({1024, 768, false}, 11);
  const int stepMs[4] = {40, 35, 40, 35};
  std::vector<int> lefts;
  for (const Fish& f : scene.FishState()) lefts.push_back(f.left);
  int moves[4] = {};
  for (std::uint64_t t = 1; t < 1500; ++t) {
    scene.AdvanceTo(t);
    for (int k = 0; k < 4; ++k) {
      const Fish& f = scene.FishState()[static_cast<std::size_t>(k)];
      if (f.left != lefts[static_cast<std::size_t>(k)]) {
        EXPECT_EQ(t % static_cast<std::uint64_t>(stepMs[k]), 0u) << "fish " << k << " moved at " << t;
        EXPECT_EQ(std::abs(f.left - lefts[static_cast<std::size_t>(k)]), f.moveX) << k;
        lefts[static_cast<std::size_t>(k)] = f.left;
        ++moves[k];
      }
    }
  }
  for (int k = 0; k < 4; ++k) EXPECT_EQ(moves[k], 1499 / stepMs[k]) << k;
}

// The clock's timers: bubbles every 20 ms, fish at their intervals, the
// motion change at its own (857 and 545 ms are no multiple of the others).
TEST(Scene, TimersFallDueAtTheirIntervals) {
  for (const auto& [config, changeMs] : {std::pair{SceneConfig{1280, 1024, true}, 857},
                                         std::pair{SceneConfig{1920, 1080, true}, 545}}) {
    Scene scene(config, 2);
    std::set<std::uint64_t> due;
    while (scene.NextDue() <= 2000) {
      due.insert(scene.NextDue());
      scene.AdvanceTo(scene.NextDue());
    }
    for (std::uint64_t t = 1; t <= 2000; ++t) {
      const bool expected = t % 20 == 0 || t % 35 == 0 || t % 40 == 0 || t % 45 == 0 ||
                            t % static_cast<std::uint64_t>(changeMs) == 0;
      EXPECT_EQ(due.count(t) == 1, expected) << config.screenWidth << " at " << t;
    }
    EXPECT_EQ(scene.Now(), 2000u);
  }
}

TEST(Scene, SameSeedSameScene) {
  Scene a({1280, 1024, false}, 77);
  Scene b({1280, 1024, false}, 77);
  Scene c({1280, 1024, false}, 78);
  for (std::uint64_t t = 0; t <= 5000; t += 250) {
    a.AdvanceTo(t);
    b.AdvanceTo(t);
    c.AdvanceTo(t);
    EXPECT_EQ(a.Sprites(), b.Sprites()) << t;
  }
  EXPECT_NE(a.Sprites(), c.Sprites());
}

// The turns of the centred layout, on 1024 × 768 (area 153, 115 to 871,
// 653; bottom line 653 / 1.1) with table entry 0 (70 × 48, 3 and 1 pixels
// per step).
TEST(StepFish, CentredTurnsAtTheEdges) {
  const SceneLayout layout = LayoutFor({1024, 768, false});
  struct Case {
    const char* what;
    int motion, vMove, left, top;
    int wantMotion, wantLeft, wantTop;
    bool wantRight;
  };
  for (const Case& c : {
           Case{"one step short of the left edge", 0, 0, 154, 300, 0, 151, 300, false},
           Case{"reaching the left edge turns right", 0, 0, 151, 300, 2, 148, 300, true},
           Case{"one step short of the right edge", 2, 0, 794, 300, 2, 797, 300, true},
           Case{"reaching the right edge turns left", 2, 0, 797, 300, 0, 800, 300, false},
           Case{"one step short of the bottom line", 0, 1, 400, 543, 0, 397, 544, false},
           Case{"reaching the bottom line turns up, facing as before", 0, 1, 400, 544, 1, 397, 545, false},
           Case{"reaching the top turns down", 1, 1, 400, 117, 0, 397, 116, false},
           Case{"keeping its height it still turns on the vertical test", 3, 0, 400, 116, 2, 403, 116, true},
           Case{"the side test comes first", 0, 1, 151, 544, 2, 148, 545, true},
       }) {
    Fish f{c.left, c.top, 70, 48, 3, 1, c.motion, c.vMove, c.motion >= 2};
    StepFish(f, layout, false);
    EXPECT_EQ(f.motion, c.wantMotion) << c.what;
    EXPECT_EQ(f.left, c.wantLeft) << c.what;
    EXPECT_EQ(f.top, c.wantTop) << c.what;
    EXPECT_EQ(f.facingRight, c.wantRight) << c.what;
  }
}

// The stretched layout wraps round the 1024 × 768 screen; the state stays.
TEST(StepFish, StretchedWrapsRoundTheScreen) {
  const SceneLayout layout = LayoutFor({1024, 768, true});
  struct Case {
    const char* what;
    int motion, vMove, left, top;
    int wantLeft, wantTop;
  };
  for (const Case& c : {
           Case{"just leaving on the left", 0, 0, -67, 300, -70, 300},
           Case{"gone on the left: back at the right edge", 0, 0, -70, 300, 1024, 300},
           Case{"just leaving on the right", 2, 0, 1021, 300, 1024, 300},
           Case{"gone on the right: back left of the screen", 2, 0, 1024, 300, -70, 300},
           Case{"just leaving at the bottom", 0, 1, 400, 767, 397, 768},
           Case{"gone at the bottom: back above the top", 0, 1, 400, 768, 397, -48},
           Case{"just leaving at the top", 1, 1, 400, -47, 397, -48},
           Case{"gone at the top: back at the bottom", 1, 1, 400, -48, 397, 768},
           Case{"keeping its height", 3, 0, 400, 200, 403, 200},
       }) {
    Fish f{c.left, c.top, 70, 48, 3, 1, c.motion, c.vMove, c.motion >= 2};
    StepFish(f, layout, true);
    EXPECT_EQ(f.motion, c.motion) << c.what;
    EXPECT_EQ(f.left, c.wantLeft) << c.what;
    EXPECT_EQ(f.top, c.wantTop) << c.what;
    EXPECT_EQ(f.facingRight, c.motion >= 2) << c.what;
  }
}

// Over simulated minutes of the stretched layout, a fish partly off the top
// or bottom of the screen is always on its way up or down: none rides along
// an edge half off the screen.
TEST(Scene, StretchedFishNeverRideAlongTheTopOrBottomEdge) {
  for (const auto& [width, height, seed] : {std::tuple{1920, 1080, 1u}, {1024, 768, 7u}, {2560, 1440, 99u}}) {
    Scene scene({width, height, true}, seed);
    while (scene.Now() < 10 * 60 * 1000) {
      scene.AdvanceTo(scene.NextDue());
      for (const Fish& f : scene.FishState()) {
        if (f.top < 0 || f.top + f.height > height) {
          ASSERT_EQ(f.vMove, 1) << width << "x" << height << " at " << scene.Now() << " ms, top " << f.top;
        }
      }
    }
  }
}

// A bubble that reaches doc_top + 2 starts again at the bottom of the area
// in a new column, with new speeds, the same amplitude and its phase.
TEST(StepBubble, RisesSwaysAndRestartsAtTheBottom) {
  const SceneLayout layout = LayoutFor({1024, 768, false});  // area 153, 115, 718 × 538
  Bubble b;
  b.width = b.height = 24;
  b.x = 400;
  b.y = 115 + 2 + 1.5 + 0.25;
  b.amp = 5;
  b.phase = 1;
  b.stepX = 0.05;
  b.stepY = 1.5;
  SeededRandom random(1);

  StepBubble(b, layout, random);
  EXPECT_DOUBLE_EQ(b.y, 117.25);
  EXPECT_EQ(b.top, 117);
  EXPECT_DOUBLE_EQ(b.phase, 1.05);
  EXPECT_EQ(b.left, 404);  // 400 + 5 sin 1.05 = 404.33

  StepBubble(b, layout, random);
  EXPECT_EQ(b.y, 629.0);  // 538 + 115 - 24
  EXPECT_EQ(b.top, 629);
  EXPECT_EQ(b.amp, 5.0);
  // The first three numbers of seed 1: 0.6271, 0.0027, 0.5274.
  EXPECT_NEAR(b.x, 0.62707394 * (718 - 5 - 24) + 153, 1e-6);
  EXPECT_NEAR(b.stepX, 0.03 + 0.00027357, 1e-8);
  EXPECT_NEAR(b.stepY, 1.2 + 0.52744704, 1e-8);
  EXPECT_DOUBLE_EQ(b.phase, 1.05 + b.stepX);
  EXPECT_EQ(b.left, 589);  // 585.05 + 5 sin 1.0803 = 589.46
}

}  // namespace
}  // namespace mervalis::desktop
