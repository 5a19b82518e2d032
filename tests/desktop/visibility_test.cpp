#include "desktop/visibility.h"

#include <gtest/gtest.h>

namespace mervalis::desktop {
namespace {

TEST(HidesDesktop, MaximisedAndFullScreenHideOthersDoNot) {
  const Rect work = {0, 0, 1920, 1040};  // taskbar at the bottom
  struct Row {
    const char* name;
    TopWindowState window;
    bool hides;
  };
  auto state = [](Rect r) {
    TopWindowState s;
    s.rect = r;
    return s;
  };
  TopWindowState minimised = state({-8, -8, 1928, 1048});
  minimised.minimised = true;
  TopWindowState hidden = state({0, 0, 1920, 1080});
  hidden.visible = false;
  TopWindowState cloaked = state({0, 0, 1920, 1080});
  cloaked.cloaked = true;
  TopWindowState overlay = state({0, 0, 1920, 1080});
  overlay.clickThrough = true;
  TopWindowState shell = state({0, 0, 1920, 1080});
  shell.ignored = true;
  const Row rows[] = {
      {"maximised, frame past the work area", state({-8, -8, 1928, 1048}), true},
      {"maximised without a frame", state({0, 0, 1920, 1040}), true},
      {"full screen", state({0, 0, 1920, 1080}), true},
      {"spanning two monitors", state({-1920, 0, 1920, 1080}), true},
      {"one pixel short", state({1, 0, 1920, 1040}), false},
      {"ordinary window", state({100, 100, 900, 700}), false},
      {"maximised on the monitor to the left", state({-1928, -8, 8, 1048}), false},
      {"minimised", minimised, false},
      {"hidden", hidden, false},
      {"cloaked", cloaked, false},
      {"click-through overlay", overlay, false},
      {"the shell's own window", shell, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(HidesDesktop(r.window, work), r.hides);
  }
  EXPECT_FALSE(HidesDesktop(state({0, 0, 1920, 1080}), Rect{}));
}

TEST(PauseState, RunsOnlyWithoutAnyReasonAndReportsChanges) {
  PauseState s;
  EXPECT_TRUE(s.Running());
  EXPECT_TRUE(s.Set(PauseReason::Covered, true));   // stops
  EXPECT_FALSE(s.Set(PauseReason::Locked, true));   // already stopped
  EXPECT_FALSE(s.Set(PauseReason::Covered, false)); // still locked
  EXPECT_FALSE(s.Running());
  EXPECT_TRUE(s.Has(PauseReason::Locked));
  EXPECT_FALSE(s.Has(PauseReason::Covered));
  EXPECT_FALSE(s.Set(PauseReason::DisplayOff, false));  // clearing what was not set
  EXPECT_TRUE(s.Set(PauseReason::Locked, false));        // runs again
  EXPECT_TRUE(s.Running());
  EXPECT_FALSE(s.Set(PauseReason::Locked, false));
}

}  // namespace
}  // namespace mervalis::desktop
