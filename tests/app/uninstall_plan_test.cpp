#include "app/uninstall_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/names.h"

namespace mervalis {
namespace {

// CSIDL 23 all users' programs, 2 the user's, 25 the all users' desktop, 16 the user's.
std::string EveryFolder(int csidl) {
  switch (csidl) {
    case 23: return "C:\\All\\Programs";
    case 2: return "C:\\Me\\Programs";
    case 25: return "C:\\All\\Desktop";
    case 16: return "C:\\Me\\Desktop";
    default: return "?";
  }
}
// A shell without all-users folders.
std::string UserFoldersOnly(int csidl) { return csidl == 23 || csidl == 25 ? std::string() : EveryFolder(csidl); }

UninstallFacts Facts() {
  UninstallFacts facts;
  facts.title = "Mervalis";
  facts.installFolder = "C:\\Program Files\\Quorvane\\";
  facts.wallpaperFolder = "C:\\WINDOWS\\Web\\Wallpaper\\";
  facts.systemFolder = "C:\\WINDOWS\\system32\\";
  facts.programPath = "C:\\WINDOWS\\system32\\QuorUninst1.exe";
  facts.specialFolder = &EveryFolder;
  facts.upper = &AsciiUpperCase;
  return facts;
}

std::vector<std::string> Tail(const std::vector<std::string>& files, std::size_t from) {
  return from < files.size() ? std::vector<std::string>(files.begin() + from, files.end()) : std::vector<std::string>();
}

TEST(UninstallPlan, FilesGoInOrderFromTheirFolders) {
  const UninstallPlan plan = PlanUninstall(Facts());
  EXPECT_EQ(plan.applicationFile, "C:\\Program Files\\Quorvane\\Mervalis.exe");
  const std::string images = "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis\\";
  ASSERT_EQ(plan.files.size(), 5u + 16u + 8u);
  const std::vector<std::string> first = {
      "C:\\Program Files\\Quorvane\\Mervalis.exe.tmp",
      "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html",
      images + "background.bmp",
      images + "background.bmp.tmp",
      images + "background.bmp.old",
      images + "fish1_l.gif",
  };
  EXPECT_EQ(std::vector<std::string>(plan.files.begin(), plan.files.begin() + 6), first);
  EXPECT_EQ(plan.files[20], images + "fish6_r.gif");
  EXPECT_EQ(plan.leftoverPatterns, (std::vector<std::string>{"C:\\Program Files\\Quorvane\\Mervalis.exe.*.tmp",
                                                             images + "background.bmp.*.tmp"}));
  EXPECT_EQ(plan.controlPath, "C:\\WINDOWS\\system32\\quorvanexrun.ocx");
  EXPECT_EQ(plan.emptyFolders, (std::vector<std::string>{
                                   "C:\\Program Files\\Quorvane\\",
                                   "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis",
                                   "C:\\WINDOWS\\Web\\Wallpaper\\QVImages",
                                   "C:\\All\\Programs\\Quorvane",
                                   "C:\\Me\\Programs\\Quorvane",
                               }));
}

TEST(UninstallPlan, TheFamilysLinksGoWithItsLastWallpaper) {
  const std::vector<std::string> own = {
      "C:\\All\\Programs\\Quorvane\\Mervalis.lnk", "C:\\Me\\Programs\\Quorvane\\Mervalis.lnk",
      "C:\\All\\Desktop\\Mervalis.lnk", "C:\\Me\\Desktop\\Mervalis.lnk"};
  const std::vector<std::string> shared = {
      "C:\\All\\Programs\\Quorvane\\Try More Animated Wallpapers.lnk",
      "C:\\Me\\Programs\\Quorvane\\Try More Animated Wallpapers.lnk", "C:\\All\\Desktop\\Animated Wallpaper.lnk",
      "C:\\Me\\Desktop\\Animated Wallpaper.lnk"};
  UninstallFacts facts = Facts();
  facts.otherWallpaperInstalled = true;
  EXPECT_EQ(Tail(PlanUninstall(facts).files, 21), own);
  // The runtime control is the family's too: the others still renew themselves with it.
  EXPECT_EQ(PlanUninstall(facts).controlPath, "");
  facts.otherWallpaperInstalled = false;
  std::vector<std::string> all = own;
  all.insert(all.end(), shared.begin(), shared.end());
  EXPECT_EQ(Tail(PlanUninstall(facts).files, 21), all);
  EXPECT_EQ(PlanUninstall(facts).controlPath, "C:\\WINDOWS\\system32\\quorvanexrun.ocx");
}

// A per-user install touches only the user's own folders and has no
// control; its copy is never scheduled for the restart (that would write to
// the machine's registry).
TEST(UninstallPlan, PerUserInstallKeepsToTheUsersOwnFolders) {
  UninstallFacts facts = Facts();
  facts.desktop = DesktopKind::kAnimatedBehindIcons;
  facts.perUser = true;
  facts.installFolder = "C:\\Me\\Local\\Programs\\Quorvane\\";
  facts.wallpaperFolder = "C:\\Me\\Local\\Quorvane\\";
  facts.programPath = "C:\\Me\\Temp\\Mervalis-uninstall-1\\QuorUninst1.exe";
  const UninstallPlan plan = PlanUninstall(facts);
  EXPECT_EQ(plan.applicationFile, "C:\\Me\\Local\\Programs\\Quorvane\\Mervalis.exe");
  EXPECT_EQ(plan.files[2], "C:\\Me\\Local\\Quorvane\\QVImages\\Mervalis\\background.bmp");
  EXPECT_EQ(Tail(plan.files, 21),
            (std::vector<std::string>{"C:\\Me\\Programs\\Quorvane\\Mervalis.lnk", "C:\\Me\\Desktop\\Mervalis.lnk",
                                      "C:\\Me\\Programs\\Quorvane\\Try More Animated Wallpapers.lnk",
                                      "C:\\Me\\Desktop\\Animated Wallpaper.lnk"}));
  EXPECT_EQ(plan.controlPath, "");
  EXPECT_EQ(plan.emptyFolders, (std::vector<std::string>{
                                   "C:\\Me\\Local\\Programs\\Quorvane\\",
                                   "C:\\Me\\Local\\Quorvane\\QVImages\\Mervalis",
                                   "C:\\Me\\Local\\Quorvane\\QVImages",
                                   "C:\\Me\\Local\\Quorvane\\",
                                   "C:\\Me\\Programs\\Quorvane",
                               }));
  EXPECT_FALSE(plan.deleteSelfAtRestart);
}

TEST(UninstallPlan, FoldersTheShellDoesNotHaveAreLeftOut) {
  UninstallFacts facts = Facts();
  facts.otherWallpaperInstalled = true;
  facts.specialFolder = &UserFoldersOnly;
  const UninstallPlan plan = PlanUninstall(facts);
  EXPECT_EQ(Tail(plan.files, 21),
            (std::vector<std::string>{"C:\\Me\\Programs\\Quorvane\\Mervalis.lnk", "C:\\Me\\Desktop\\Mervalis.lnk"}));
  EXPECT_EQ(Tail(plan.emptyFolders, 3), std::vector<std::string>{"C:\\Me\\Programs\\Quorvane"});

  // Folders Windows could not give: nothing is named in the current folder.
  facts.installFolder = facts.wallpaperFolder = facts.systemFolder = "";
  facts.otherWallpaperInstalled = false;
  const UninstallPlan without = PlanUninstall(facts);
  EXPECT_EQ(without.applicationFile, "");
  EXPECT_EQ(without.controlPath, "");
  EXPECT_TRUE(without.leftoverPatterns.empty());
  EXPECT_EQ(without.files, (std::vector<std::string>{"C:\\Me\\Programs\\Quorvane\\Mervalis.lnk",
                                                     "C:\\Me\\Desktop\\Mervalis.lnk",
                                                     "C:\\Me\\Programs\\Quorvane\\Try More Animated Wallpapers.lnk",
                                                     "C:\\Me\\Desktop\\Animated Wallpaper.lnk"}));
}

TEST(UninstallPlan, OnlyTheCopyInTheSystemFolderDeletesItselfAtRestart) {
  UninstallFacts facts = Facts();
  for (const char* copy : {"C:\\WINDOWS\\system32\\QuorUninst1.exe", "c:\\windows\\SYSTEM32\\quoruninst1.EXE"}) {
    facts.programPath = copy;
    EXPECT_TRUE(PlanUninstall(facts).deleteSelfAtRestart) << copy;
  }
  for (const char* other : {"C:\\Program Files\\Quorvane\\Mervalis.exe", "C:\\Temp\\QuorUninst1.exe"}) {
    facts.programPath = other;
    EXPECT_FALSE(PlanUninstall(facts).deleteSelfAtRestart) << other;
  }
}

TEST(UninstallPlan, TheWallpaperIsPutBackOnlyWhileTheDesktopShowsOurs) {
  UninstallFacts facts = Facts();
  facts.saved = {"C:\\old.bmp", ""};
  facts.current.activeDesktop = "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html";
  EXPECT_EQ(PlanUninstall(facts).wallpaper.plain, std::optional<std::string>("C:\\old.bmp"));
  facts.current.activeDesktop = "C:\\WINDOWS\\Web\\Wallpaper\\Bliss.html";
  EXPECT_FALSE(PlanUninstall(facts).wallpaper.plain.has_value());
}

}  // namespace
}  // namespace mervalis
