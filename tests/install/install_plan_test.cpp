#include "install/install_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mervalis {
namespace {

InstallOptions Options(bool licence, bool desktopShortcut, DesktopKind desktop = DesktopKind::kHtmlPage) {
  return {.apply = {.wallpaperNameCaption = "\"Mervalis\"", .desktop = desktop},
          .licenceAccepted = licence,
          .desktopShortcut = desktopShortcut};
}

TEST(InstallPlan, ChecksStopTheInstallInTheirOrder) {
  const struct {
    InstallChecks checks;
    bool licence;
    InstallStop stop;
  } rows[] = {
      {{false, false, false}, true, InstallStop::kShellTooOld},
      {{false, true, true}, true, InstallStop::kShellTooOld},
      {{true, false, true}, true, InstallStop::kTooFewColours},
      {{true, true, false}, false, InstallStop::kLicenceNeeded},
      {{true, true, false}, true, InstallStop::kNone},
      // Installed: the licence is not asked again, whatever the box holds.
      {{true, true, true}, false, InstallStop::kNone},
      // The desktop's shell of another account than the installer's, before anything else is asked.
      {{true, true, false, "S-1-5-21-7-1001", "S-1-5-21-7-500"}, false, InstallStop::kDesktopOfAnotherUser},
      {{true, true, true, "S-1-5-21-7-1001", "S-1-5-21-7-500"}, true, InstallStop::kDesktopOfAnotherUser},
      {{false, true, true, "S-1-5-21-7-1001", "S-1-5-21-7-500"}, true, InstallStop::kShellTooOld},
      // The same account, or an owner that cannot be told: the install goes on.
      {{true, true, true, "S-1-5-21-7-1001", "S-1-5-21-7-1001"}, true, InstallStop::kNone},
      {{true, true, true, "", "S-1-5-21-7-500"}, true, InstallStop::kNone},
      {{true, true, true, "S-1-5-21-7-1001", ""}, true, InstallStop::kNone},
      // Elevated: the same account goes on, another or one that cannot be
      // told (an administrator refused a look at the user's shell) stops.
      {{true, true, true, "S-1-5-21-7-1001", "S-1-5-21-7-1001", true}, true, InstallStop::kNone},
      {{true, true, true, "S-1-5-21-7-1001", "S-1-5-21-7-500", true}, true, InstallStop::kDesktopOfAnotherUser},
      {{true, true, true, "", "S-1-5-21-7-500", true}, true, InstallStop::kDesktopOfAnotherUser},
      {{true, true, false, "S-1-5-21-7-1001", "", true}, true, InstallStop::kDesktopOfAnotherUser},
      {{false, true, true, "", "S-1-5-21-7-500", true}, true, InstallStop::kShellTooOld},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const InstallPlan plan = PlanInstall(Options(rows[i].licence, true), rows[i].checks);
    EXPECT_EQ(plan.stop, rows[i].stop);
    if (plan.stop != InstallStop::kNone) {
      EXPECT_TRUE(plan.firstInstallShortcuts.empty());
    }
  }
}

TEST(InstallPlan, OptionCodeFollowsTheLayoutChoices) {
  const struct {
    bool stretched, border, extra;
    char code;
  } rows[] = {
      {false, true, true, '4'},  {false, true, false, '2'}, {false, false, true, '3'},
      {false, false, false, '1'}, {true, true, true, '5'},   {true, false, false, '5'},
  };
  for (const auto& row : rows) {
    InstallOptions options = Options(true, true);
    options.apply.stretched = row.stretched;
    options.apply.showBorder = row.border;
    options.apply.borderExtra = row.extra;
    EXPECT_EQ(PlanInstall(options, {true, true, false}).optionCode, row.code) << row.code;
  }
}

TEST(InstallPlan, TheAnimatedDesktopIsRestartedAndRegisteredAtLogonSinceVista) {
  for (const DesktopKind desktop : {DesktopKind::kHtmlPage, DesktopKind::kAnimatedBehindIcons}) {
    const InstallPlan plan = PlanInstall(Options(true, true, desktop), {true, true, true});
    const bool animated = desktop == DesktopKind::kAnimatedBehindIcons;
    EXPECT_EQ(plan.restartDesktopMode, animated);
    EXPECT_EQ(plan.writeRunValue, animated);
  }
}

TEST(InstallPlan, FirstInstallShortcutsFollowTheDesktopBox) {
  const struct {
    bool desktopShortcut;
    std::vector<std::string> names;
  } rows[] = {
      {true, {"Mervalis.lnk", "Try More Animated Wallpapers.lnk", "Mervalis.lnk", "Animated Wallpaper.lnk"}},
      {false, {"Mervalis.lnk", "Try More Animated Wallpapers.lnk"}},
  };
  for (const auto& row : rows) {
    const InstallPlan plan = PlanInstall(Options(true, row.desktopShortcut), {true, true, false});
    std::vector<std::string> names;
    for (const Shortcut& s : plan.firstInstallShortcuts) names.push_back(s.linkName);
    EXPECT_EQ(names, row.names) << row.desktopShortcut;
  }
}

}  // namespace
}  // namespace mervalis
