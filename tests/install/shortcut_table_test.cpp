#include "install/shortcut_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mervalis::Shortcut;
using mervalis::ShortcutTarget;

// A shortcut as "<all-users csidl>/<current-user csidl>:<group>\<name>-><target>".
std::vector<std::string> Describe(const std::vector<Shortcut>& shortcuts) {
  std::vector<std::string> lines;
  for (const Shortcut& s : shortcuts) {
    lines.push_back(std::to_string(s.place.allUsers) + "/" + std::to_string(s.place.currentUser) + ":" +
                    std::string(s.place.group) + "\\" + s.linkName +
                    (s.target == ShortcutTarget::kApplication ? "->application" : "->web"));
  }
  return lines;
}

// CSIDL_COMMON_PROGRAMS 23, CSIDL_PROGRAMS 2, CSIDL_COMMON_DESKTOPDIRECTORY 25,
// CSIDL_DESKTOPDIRECTORY 16.
const std::string kGroupApp = "23/2:Quorvane\\Mervalis.lnk->application";
const std::string kGroupMore = "23/2:Quorvane\\Try More Animated Wallpapers.lnk->web";
const std::string kDesktopApp = "25/16:\\Mervalis.lnk->application";
const std::string kDesktopMore = "25/16:\\Animated Wallpaper.lnk->web";

TEST(ShortcutTable, InstallMakesTheDesktopPairOnlyWithTheBoxChecked) {
  const struct {
    bool desktopBox;
    std::vector<std::string> expected;
  } cases[] = {
      {true, {kGroupApp, kGroupMore, kDesktopApp, kDesktopMore}},
      {false, {kGroupApp, kGroupMore}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.desktopBox);
    EXPECT_EQ(Describe(mervalis::ShortcutsToCreate("Mervalis", c.desktopBox)), c.expected);
  }
}

TEST(ShortcutTable, UninstallKeepsTheFamilyLinksWhileAnotherWallpaperIsInstalled) {
  const struct {
    bool otherInstalled;
    std::vector<std::string> expected;
  } cases[] = {
      {true, {kGroupApp, kDesktopApp}},
      {false, {kGroupApp, kDesktopApp, kGroupMore, kDesktopMore}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.otherInstalled);
    EXPECT_EQ(Describe(mervalis::ShortcutsToRemove("Mervalis", c.otherInstalled)), c.expected);
  }
}

TEST(ShortcutTable, TheStartMenuGroupIsTheOnlyFolderToTidy) {
  const auto groups = mervalis::ShortcutGroups();
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].group, "Quorvane");
  EXPECT_EQ(groups[0].allUsers, 23);
  EXPECT_EQ(groups[0].currentUser, 2);
}

}  // namespace
