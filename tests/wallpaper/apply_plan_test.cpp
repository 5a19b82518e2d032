#include "wallpaper/apply_plan.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

constexpr DesktopKind kXp = DesktopKind::kHtmlPage;
constexpr DesktopKind kTen = DesktopKind::kAnimatedBehindIcons;

// Where the shell shows no page, neither the page nor what only the page
// uses (pictures, control) is written.
TEST(ApplyPlan, TheSilentApplyRenewsOnlyTheBackgroundAndThePage) {
  for (const DesktopKind desktop : {kXp, kTen}) {
    const auto target =
        desktop == kXp ? WallpaperTarget::kPageInActiveDesktop : WallpaperTarget::kBackgroundAsPlain;
    for (const bool applyMode : {false, true}) {
      const ApplyPlan plan = PlanApply({.applyMode = applyMode, .desktop = desktop});
      EXPECT_EQ(plan.rememberPreviousWallpapers, !applyMode);
      EXPECT_EQ(plan.reportBackgroundError, !applyMode);
      EXPECT_EQ(plan.writePage, desktop == kXp);
      EXPECT_EQ(plan.writePicturesAndControl, !applyMode && desktop == kXp);
      EXPECT_EQ(plan.target, target);
      // Windows rotating the pictures: the install ends it, the silent apply
      // leaves the rotation and the wallpaper alone.
      for (const bool rotation : {false, true}) {
        const ApplyPlan rotating = PlanApply({.applyMode = applyMode, .desktop = desktop}, rotation);
        EXPECT_EQ(rotating.endWindowsRotation, rotation && !applyMode);
        EXPECT_EQ(rotating.setWallpaper, !(rotation && applyMode));
      }
    }
  }
}

TEST(ApplyPlan, OnlyTheSilentApplyOfAnInstalledAnimatedDesktopRestartsIt) {
  EXPECT_TRUE(RestartDesktopModeAroundApply({.applyMode = true, .desktop = kTen}, true));
  EXPECT_FALSE(RestartDesktopModeAroundApply({.applyMode = true, .desktop = kTen}, false));
  EXPECT_FALSE(RestartDesktopModeAroundApply({.applyMode = true, .desktop = kXp}, true));
  EXPECT_FALSE(RestartDesktopModeAroundApply({.applyMode = false, .desktop = kTen}, true));
  EXPECT_FALSE(RestartDesktopModeAroundApply({.applyMode = true, .desktop = kTen}, true, true));
}

}  // namespace
}  // namespace mervalis
