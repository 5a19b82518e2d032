#include "desktop/scene_clock.h"

#include <gtest/gtest.h>

namespace mervalis::desktop {
namespace {

TEST(SceneClock, RunsOnlyWhileResumedAndGoesOnWhereItStopped) {
  SceneClock clock;
  EXPECT_FALSE(clock.Running());
  EXPECT_EQ(clock.Now(5000), 0u);
  clock.Resume(5000);
  EXPECT_EQ(clock.Now(5040), 40u);
  clock.Resume(5030);  // already running: no restart
  EXPECT_EQ(clock.Now(5100), 100u);
  clock.Pause(5100);
  EXPECT_EQ(clock.Now(9000), 100u);  // hidden for four seconds: the scene waits
  clock.Pause(9500);
  EXPECT_EQ(clock.Now(9500), 100u);
  clock.Resume(10000);
  EXPECT_EQ(clock.Now(10025), 125u);
  clock.Reset();
  EXPECT_FALSE(clock.Running());
  EXPECT_EQ(clock.Now(20000), 0u);
}

TEST(SceneClock, WallTickWrapsAroundAfter49Days) {
  SceneClock clock;
  clock.Resume(0xFFFFFFF0u);
  EXPECT_EQ(clock.Now(0x00000010u), 32u);
  clock.Pause(0x00000020u);
  EXPECT_EQ(clock.Now(0x00000030u), 48u);
}

TEST(SceneClock, DelayUntilTheNextDueTimeIsKeptWithinBounds) {
  SceneClock clock;
  clock.Resume(1000);
  EXPECT_EQ(clock.DelayUntil(35, 1000), 35u);
  EXPECT_EQ(clock.DelayUntil(35, 1030), SceneClock::kMinimumDelayMs);  // 5 ms away
  EXPECT_EQ(clock.DelayUntil(35, 1100), SceneClock::kMinimumDelayMs);  // late already
  EXPECT_EQ(clock.DelayUntil(60000, 1000), SceneClock::kMaximumDelayMs);
  // While paused the scene time stands, so the wait does not shrink.
  clock.Pause(1010);
  EXPECT_EQ(clock.DelayUntil(50, 5000), 40u);
}

// Frames follow the scene's changes but come no closer than 31 ms apart: a
// step between two frames joins the next frame.
TEST(SceneClock, NextFrameWaitsForTheSceneButNoLessThanAFramePeriod) {
  struct Case {
    std::uint64_t nextDue, drawn, want;
  };
  for (const Case& c : {
           Case{40, 20, 51},      // the next bubble step, 20 ms after the last frame, waits for 51
           Case{51, 20, 51},      // a step a period after the last frame
           Case{45, 40, 71},
           Case{100, 20, 100},    // nothing moves before 100
           Case{0, 0, 31},        // the first frame after the one at 0
           Case{1000, 990, 1021},
       }) {
    EXPECT_EQ(SceneClock::NextFrame(c.nextDue, c.drawn), c.want) << c.nextDue << " after " << c.drawn;
  }
}

TEST(SceneClock, WaitWithinTwoMillisecondsOfThePeriodKeepsIt) {
  struct Case {
    std::uint32_t period, wanted;
    bool keeps;
  };
  for (const Case& c : {
           Case{20, 20, true}, Case{20, 19, true}, Case{20, 18, true}, Case{20, 22, true},
           Case{20, 17, false},  // a frame came late: the next one sooner
           Case{20, 23, false},
           Case{20, 1000, false},  // nothing moves for a while
           Case{0, 20, false},     // no timer yet
       }) {
    EXPECT_EQ(SceneClock::KeepsPeriod(c.period, c.wanted), c.keeps) << c.period << " for " << c.wanted;
  }
}

TEST(SceneClock, CatchUpAfterAGapIsCapped) {
  struct Row {
    const char* name;
    std::uint32_t tick;     // of the next frame; the clock resumed at 1000, last frame at scene time 500
    std::uint64_t expected;  // scene time then
  };
  const Row rows[] = {
      {"the next frame on time", 1531, 531},
      {"a gap as long as the cap", 1750, 750},
      {"an hour of sleep", 1000 + 3600000, 750},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SceneClock clock;
    clock.Resume(1000);
    clock.CapCatchUp(r.tick, 500);
    EXPECT_EQ(clock.Now(r.tick), r.expected);
    EXPECT_EQ(clock.Now(r.tick + 31), r.expected + 31);  // and runs on from there
  }
  SceneClock paused;
  paused.CapCatchUp(90000, 0);
  EXPECT_EQ(paused.Now(90000), 0u);
}

}  // namespace
}  // namespace mervalis::desktop
