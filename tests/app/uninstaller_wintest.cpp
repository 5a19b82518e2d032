// The uninstaller under Wine: an install taken back completely, the previous
// desktop restored, and what the family shares kept while others need it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "payload/catalogue.h"
#include "robot.h"
#include "wine/installation.h"
#include "wine/snapshot.h"
#include "wine/support.h"

namespace {

using wine_test::Process;

constexpr char kRemoved[] = "Mervalis has been successfully removed from your computer.";

// What the uninstaller leaves on purpose, and what Windows (Wine) changes by
// itself while programs run: neither is a remnant of the install.
const std::vector<std::string> kExpectedChanges = {
    "hkcu\\software\\quorvanesoft",              // the two keys, "lastwp" and "lastap"
    "quoruninst1.exe",                           // the uninstaller copy
    "hkcu\\software\\wine",                      // Wine's own state
    "hklm\\software\\wine",
    "hkcu\\software\\mervalistests",             // the stand-in's own record
    "mervalis_active_desktop_calls.txt",
    ".at-apply",
    "\\temp\\",                                  // temporary files
    "\\windows\\logs",
    "hklm\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "hkcu\\software\\microsoft\\windows\\currentversion\\explorer",
    "hkcu\\software\\microsoft\\internet explorer\\desktop\\general|wallpaper",  // restored to its old value
    "hkcu\\control panel\\desktop|wallpaper",
    "hku\\.default\\control panel\\desktop|wallpaper",
};

void RunUninstaller(const std::string& exe, const char* mode) {
  Process p(exe, mode);
  ASSERT_TRUE(p.started()) << exe;
  if (std::string(mode) == "uninstall") {
    auto question = robot::WaitForMessageBox("Quorvanesoft", p.id());
    ASSERT_TRUE(question);
    ASSERT_TRUE(robot::PressMessageBoxButton(*question, "Yes"));
    ASSERT_TRUE(p.WaitForExit(10000));
  }
  auto done = robot::WaitForMessageBox("Quorvanesoft", 0, 30000);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text, kRemoved);
  EXPECT_TRUE(done->hasIcon);
  ASSERT_TRUE(robot::PressMessageBoxButton(*done, "OK"));
  ASSERT_TRUE(robot::WaitUntil([] { return !wine_test::IsProcessRunning("QuorUninst1.exe"); }, 15000));
  if (p.Running()) ASSERT_TRUE(p.WaitForExit(15000));
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

void SetActiveDesktopWallpaper(const std::string& value) {
  mervalis::Registry r(HKEY_CURRENT_USER);
  ASSERT_TRUE(r.OpenKey(mervalis::kActiveDesktopKey, true));
  ASSERT_EQ(r.WriteString("Wallpaper", value), ERROR_SUCCESS);
}

void SetSaved(const char* lastwp, const char* lastap) {
  mervalis::Registry r(HKEY_CURRENT_USER);
  ASSERT_TRUE(r.OpenKey(mervalis::kCompanyKey, true));
  ASSERT_EQ(r.WriteString("lastwp", lastwp), ERROR_SUCCESS);
  ASSERT_EQ(r.WriteString("lastap", lastap), ERROR_SUCCESS);
}

std::vector<std::string> SetWallpaperCalls() {
  std::vector<std::string> calls;
  for (const auto& line : active_desktop_fixture::ReadAndClearCalls()) {
    if (line.rfind("SetWallpaper|", 0) == 0 || line.rfind("SetDesktopItemOptions", 0) == 0) calls.push_back(line);
  }
  return calls;
}

class Uninstaller : public testing::Test {
 protected:
  void SetUp() override {
    wine_test::SetTestTimeLimit(180000);
    wine_test::RemoveInstallation();
  }
  void TearDown() override {
    wine_test::RemoveInstallation();
    ::DeleteFileA((mervalis::GetSystemFolder() + "QuorUninst1.exe").c_str());
  }
};

TEST_F(Uninstaller, InstallThenUninstallLeavesTheMachineAsBefore) {
  // What Windows has from the start, and Wine does not.
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetWallpaperFolder()));
  {
    mervalis::Registry desktop(HKEY_CURRENT_USER);
    ASSERT_TRUE(desktop.OpenKey(mervalis::kActiveDesktopKey, true));
  }
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(mervalis::FileExists(paths.applicationFile));
  // As from "Add or Remove Programs": the installed copy with "uninstall".
  RunUninstaller(paths.applicationFile, "uninstall");
  // The registration tool may still be finishing.
  ::Sleep(2000);
  const auto after = wine_test::TakeSnapshot(scope);
  const auto difference = wine_test::Difference(before, after, kExpectedChanges);
  EXPECT_TRUE(difference.empty()) << Join(difference);
  EXPECT_TRUE(mervalis::FileExists(mervalis::GetSystemFolder() + "QuorUninst1.exe"));
}

TEST_F(Uninstaller, SecondRunOnACleanMachineChangesNothing) {
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  RunUninstaller(wine_test::ProgramPath(), "douninstall");
  const auto difference = wine_test::Difference(before, wine_test::TakeSnapshot(scope), kExpectedChanges);
  EXPECT_TRUE(difference.empty()) << Join(difference);
}

TEST_F(Uninstaller, WallpaperNotCurrentIsLeftAlone) {
  SetActiveDesktopWallpaper("C:\\windows\\Web\\Wallpaper\\Another.html");
  SetSaved("C:\\old.bmp", "C:\\old.html");
  active_desktop_fixture::ClearCalls();
  RunUninstaller(wine_test::ProgramPath(), "douninstall");
  EXPECT_TRUE(SetWallpaperCalls().empty());
  EXPECT_NE(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"), "C:\\old.bmp");
}

TEST_F(Uninstaller, OnlyThePlainWallpaperWasSaved) {
  // The page name is found in any letter case, anywhere in the value.
  SetActiveDesktopWallpaper("c:\\WINDOWS\\web\\wallpaper\\quorvane - MERVALIS.HTML");
  SetSaved("C:\\windows\\old.bmp", "");
  active_desktop_fixture::ClearCalls();
  RunUninstaller(wine_test::ProgramPath(), "douninstall");
  EXPECT_TRUE(SetWallpaperCalls().empty());
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"),
            "C:\\windows\\old.bmp");
}

TEST_F(Uninstaller, NothingSavedSetsTheActiveDesktopToNone) {
  SetActiveDesktopWallpaper(wine_test::Paths().pagePath);
  SetSaved("", "");
  active_desktop_fixture::ClearCalls();
  RunUninstaller(wine_test::ProgramPath(), "douninstall");
  EXPECT_EQ(SetWallpaperCalls(), (std::vector<std::string>{"SetWallpaper|(None)|0"}));
}

TEST_F(Uninstaller, BothSavedAreRestoredPlainFirst) {
  SetActiveDesktopWallpaper(wine_test::Paths().pagePath);
  SetSaved("C:\\windows\\old.bmp", "C:\\windows\\Web\\Wallpaper\\Old.html");
  active_desktop_fixture::ClearCalls();
  RunUninstaller(wine_test::ProgramPath(), "douninstall");
  const auto calls = SetWallpaperCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "SetWallpaper|C:\\windows\\Web\\Wallpaper\\Old.html|0");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"),
            "C:\\windows\\old.bmp");
}

TEST_F(Uninstaller, AnotherFamilyWallpaperKeepsWhatIsShared) {
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  // "Coral Reef", installed beside it.
  const std::string otherEntry = mervalis::UninstallKey("Coral Reef");
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyA(HKEY_LOCAL_MACHINE, otherEntry.c_str(), &key), ERROR_SUCCESS);
  ::RegCloseKey(key);
  const std::string otherApp = paths.installFolder + "Coral Reef.exe";
  const std::string otherImages = mervalis::GetImagesFolder("CoralReef");
  ASSERT_TRUE(wine_test::WriteFileBytes(otherApp, "other"));
  ASSERT_TRUE(mervalis::ForceDirectories(otherImages));
  ASSERT_TRUE(wine_test::WriteFileBytes(otherImages + "fish1_l.gif", "other"));

  RunUninstaller(wine_test::ProgramPath(), "douninstall");

  // Shared: kept.
  EXPECT_TRUE(mervalis::FileExists(paths.startMenuGroup + "\\Try More Animated Wallpapers.lnk"));
  EXPECT_TRUE(mervalis::FileExists(paths.desktopFolder + "\\Animated Wallpaper.lnk"));
  EXPECT_TRUE(mervalis::DirectoryExists(paths.installFolder));
  EXPECT_TRUE(mervalis::FileExists(otherApp));
  EXPECT_TRUE(mervalis::DirectoryExists(mervalis::ImagesRootFolder(mervalis::GetWallpaperFolder())));
  EXPECT_TRUE(mervalis::FileExists(otherImages + "fish1_l.gif"));
  // Its own: gone.
  EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
  EXPECT_FALSE(mervalis::FileExists(paths.pagePath));
  EXPECT_FALSE(mervalis::DirectoryExists(paths.imagesFolder));
  EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
  EXPECT_FALSE(mervalis::FileExists(paths.desktopFolder + "\\Mervalis.lnk"));
  EXPECT_FALSE(mervalis::Registry(HKEY_LOCAL_MACHINE, KEY_READ).KeyExists(mervalis::UninstallKey("Mervalis")));

  mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, otherEntry);
  ::DeleteFileA(otherApp.c_str());
  ::DeleteFileA((otherImages + "fish1_l.gif").c_str());
  ::RemoveDirectoryA(otherImages.c_str());
  for (const std::string& link : {paths.startMenuGroup + "\\Try More Animated Wallpapers.lnk",
                                  paths.desktopFolder + "\\Animated Wallpaper.lnk"}) {
    ::DeleteFileA(link.c_str());
  }
}

TEST_F(Uninstaller, LockedAndReadOnlyFilesDoNotStopTheRest) {
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  const std::string background = paths.imagesFolder + "background.bmp";
  ASSERT_TRUE(::SetFileAttributesA(background.c_str(), FILE_ATTRIBUTE_READONLY));
  // The page held open without sharing, as an editor might.
  HANDLE page = ::CreateFileA(paths.pagePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(page, INVALID_HANDLE_VALUE);

  RunUninstaller(wine_test::ProgramPath(), "douninstall");
  ::CloseHandle(page);

  EXPECT_TRUE(mervalis::FileExists(paths.pagePath));  // locked: stays
  EXPECT_FALSE(mervalis::FileExists(background));       // ours, read-only or not
  EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
  for (const auto& picture : mervalis::kPayloadPictures) {
    EXPECT_FALSE(mervalis::FileExists(paths.imagesFolder + std::string(picture.fileName))) << picture.fileName;
  }
  EXPECT_FALSE(mervalis::FileExists(paths.controlPath));
  EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
  EXPECT_FALSE(mervalis::Registry(HKEY_LOCAL_MACHINE, KEY_READ).KeyExists(mervalis::UninstallKey("Mervalis")));
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, std::string(mervalis::kOptionsKey), "Mervalis"), "");
}

}  // namespace
