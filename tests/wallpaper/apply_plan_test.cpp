#include "wallpaper/apply_plan.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

constexpr DesktopKind kXp = DesktopKind::kHtmlPage;
constexpr DesktopKind kTen = DesktopKind::kAnimatedBehindIcons;

ApplyOptions Options(bool applyMode, DesktopKind desktop) {
  ApplyOptions options;
  options.wallpaperNameCaption = "\"Mervalis\"";
  options.applyMode = applyMode;
  options.desktop = desktop;
  return options;
}

TEST(ApplyPlan, TheSilentApplyRenewsOnlyTheBackgroundAndThePage) {
  const struct {
    bool applyMode;
    DesktopKind desktop;
    bool installSteps;  // remember, report the background, pictures and control
    WallpaperTarget target;
  } rows[] = {
      {false, kXp, true, WallpaperTarget::kPageInActiveDesktop},
      {false, kTen, true, WallpaperTarget::kBackgroundAsPlain},
      {true, kXp, false, WallpaperTarget::kPageInActiveDesktop},
      {true, kTen, false, WallpaperTarget::kBackgroundAsPlain},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.applyMode);
    const ApplyPlan plan = PlanApply(Options(row.applyMode, row.desktop));
    EXPECT_EQ(plan.rememberPreviousWallpapers, row.installSteps);
    EXPECT_EQ(plan.reportBackgroundError, row.installSteps);
    EXPECT_EQ(plan.writePicturesAndControl, row.installSteps);
    EXPECT_EQ(plan.target, row.target);
  }
}

TEST(ApplyPlan, OnlyTheSilentApplyOfAnInstalledAnimatedDesktopRestartsIt) {
  const struct {
    bool applyMode;
    DesktopKind desktop;
    bool runValue;
    bool restart;
  } rows[] = {
      {true, kTen, true, true},   {true, kTen, false, false}, {true, kXp, true, false},
      {false, kTen, true, false}, {false, kXp, false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(RestartDesktopModeAroundApply(Options(row.applyMode, row.desktop), row.runValue), row.restart)
        << row.applyMode << row.runValue;
  }
}

}  // namespace
}  // namespace mervalis
