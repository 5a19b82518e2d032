#include "desktop/visibility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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
  const auto layered = [&](std::uint8_t alpha) {
    TopWindowState s = state({0, 0, 1920, 1080});
    s.alpha = alpha;
    return s;
  };
  TopWindowState perPixel = state({0, 0, 1920, 1080});
  perPixel.perPixelAlpha = true;
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
      {"full-screen layered window, alpha 0 (a recording overlay)", layered(0), false},
      {"full-screen layered window, half see-through", layered(128), false},
      {"full-screen layered window, nearly opaque", layered(254), false},
      {"full-screen layered window, opaque", layered(255), true},
      {"full-screen layered window with per-pixel alpha (a GPU vendor's overlay)", perPixel, false},
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
  // Every reason counts on its own, the last ones too.
  EXPECT_TRUE(s.Set(PauseReason::Disconnected, true));
  EXPECT_FALSE(s.Set(PauseReason::EnergySaver, true));
  EXPECT_FALSE(s.Set(PauseReason::BatterySaver, false));
  EXPECT_FALSE(s.Set(PauseReason::Disconnected, false));  // energy saver still on
  EXPECT_TRUE(s.Set(PauseReason::EnergySaver, false));
}

TEST(CoveredTogether, SnappedWindowsCoverTheMonitorTogether) {
  const Rect work = {0, 0, 1920, 1040};
  auto at = [](Rect r) {
    TopWindowState s;
    s.rect = r;
    return s;
  };
  TopWindowState minimisedRight = at({960, 0, 1920, 1040});
  minimisedRight.minimised = true;
  TopWindowState overlayRight = at({960, 0, 1920, 1040});
  overlayRight.clickThrough = true;
  TopWindowState invisibleRight = at({960, 0, 1920, 1040});
  invisibleRight.alpha = 0;
  TopWindowState perPixelRight = at({960, 0, 1920, 1040});
  perPixelRight.perPixelAlpha = true;
  struct Row {
    const char* name;
    std::vector<TopWindowState> windows;
    bool covered;
  };
  const Row rows[] = {
      {"nothing", {}, false},
      {"maximised", {at({-8, -8, 1928, 1048})}, true},
      {"two halves", {at({0, 0, 960, 1040}), at({960, 0, 1920, 1040})}, true},
      {"two halves with a gap", {at({0, 0, 958, 1040}), at({960, 0, 1920, 1040})}, false},
      {"four quarters, overlapping", {at({0, 0, 970, 530}), at({950, 0, 1920, 530}), at({0, 520, 970, 1040}),
                                      at({950, 520, 1920, 1040})}, true},
      {"three quarters", {at({0, 0, 960, 520}), at({960, 0, 1920, 520}), at({0, 520, 960, 1040})}, false},
      {"half and a minimised half", {at({0, 0, 960, 1040}), minimisedRight}, false},
      {"half and an overlay", {at({0, 0, 960, 1040}), overlayRight}, false},
      {"half and an invisible layered half", {at({0, 0, 960, 1040}), invisibleRight}, false},
      {"half and a per-pixel layered half", {at({0, 0, 960, 1040}), perPixelRight}, false},
      {"windows on the other monitor", {at({1920, 0, 3840, 1080})}, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CoveredTogether(r.windows, work), r.covered);
  }
  // What covers it, for the log: the windows that took a part, not those
  // elsewhere or invisible.
  std::vector<std::size_t> by;
  ASSERT_TRUE(CoveredTogether({at({0, 0, 960, 1040}), at({1920, 0, 3840, 1080}), invisibleRight,
                               at({900, 0, 1920, 1040})},
                              work, &by));
  EXPECT_EQ(by, (std::vector<std::size_t>{0, 3}));
  // Many small windows that leave holes everywhere count as not covering.
  std::vector<TopWindowState> grid;
  for (int x = 0; x < 1920; x += 20) {
    for (int y = 0; y < 1040; y += 20) grid.push_back(at({x, y, x + 19, y + 19}));
  }
  EXPECT_FALSE(CoveredTogether(grid, work));
}

TEST(LockedBySessionFlag, WindowsSevenHasTheFlagReversed) {
  constexpr std::int32_t kLock = 0, kUnlock = 1, kUnknown = -1;
  struct Row {
    const char* name;
    std::int32_t flag;
    unsigned major, minor;
    std::optional<bool> locked;
  };
  const Row rows[] = {
      {"Windows 10, locked", kLock, 10, 0, true},
      {"Windows 10, unlocked", kUnlock, 10, 0, false},
      {"Windows 8, locked", kLock, 6, 2, true},
      {"Windows 7, locked (says unlock)", kUnlock, 6, 1, true},
      {"Windows 7, unlocked (says lock)", kLock, 6, 1, false},
      {"unknown", kUnknown, 10, 0, std::nullopt},
      {"unknown on Windows 7", kUnknown, 6, 1, std::nullopt},
      {"a value it does not know", 2, 10, 0, std::nullopt},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(LockedBySessionFlag(r.flag, r.major, r.minor), r.locked);
  }
}

// Checked against a plain grid of pixels over many small random sets of
// windows, in any stacking order, some partly off the area or of no size.
TEST(CoveredTogether, AgreesWithAPixelGrid) {
  const Rect area = {2, 1, 8, 6};
  std::srand(36);
  for (int round = 0; round < 20000; ++round) {
    std::vector<TopWindowState> windows(static_cast<std::size_t>(1 + std::rand() % 5));
    for (TopWindowState& w : windows) {
      const int left = std::rand() % 9, top = std::rand() % 8 - 1;
      w.rect = {left, top, left + std::rand() % 8, top + std::rand() % 7};
      w.minimised = std::rand() % 8 == 0;
    }
    bool gridCovered = true;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        gridCovered = gridCovered && std::any_of(windows.begin(), windows.end(), [&](const TopWindowState& w) {
                        return !w.minimised && w.rect.Contains(x, y);
                      });
      }
    }
    ASSERT_EQ(CoveredTogether(windows, area), gridCovered) << "round " << round;
  }
}

TEST(PausesOfSession, RemoteAndOtherUsersSessionsRest) {
  struct Row {
    const char* name;
    bool remote;
    std::uint32_t own, console;
    SessionPauses expected;
  };
  const Row rows[] = {
      {"the console session", false, 1, 1, {false, false}},
      {"another user has the console", false, 1, 2, {false, true}},
      {"no session has the console while switching", false, 1, kNoSession, {false, true}},
      {"remote", true, 3, 1, {true, false}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(PausesOfSession(r.remote, r.own, r.console), r.expected);
  }
}

}  // namespace
}  // namespace mervalis::desktop
