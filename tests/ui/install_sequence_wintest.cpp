// The install button end to end under Wine: from a clean machine through the
// licence, the apply, the options, the copy, the shortcuts and the uninstall
// entry to the done panel, and what each choice of the window writes.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/win_handles.h"
#include "payload/expected_files.h"
#include "robot.h"
#include "ui/install_fixture.h"
#include "ui/main_form_ids.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "wine/support.h"

namespace {

using namespace install_test;
using namespace mervalis::ui;
using namespace wine_test::contract;

constexpr char kShortcutAddress[] = "http://www.quorvanesoft.com/index.php?ref=shortcut";

// What the shell keeps as a link's target path when given this one. The
// install hands the web address to its links unchanged; what the shell makes
// of an address as a path is the shell's affair.
std::string ShellReadingOf(const std::string& target) {
  mervalis::ComInit com;
  mervalis::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void()))) {
    return "";
  }
  (void)link->SetPath(target.c_str());
  char buffer[1024] = {};
  return SUCCEEDED(link->GetPath(buffer, sizeof(buffer), nullptr, SLGP_RAWPATH)) ? buffer : "";
}

DWORD ReadDword(const char* key, const char* name, DWORD* type) {
  DWORD value = 0;
  *type = REG_NONE;
  mervalis::RegistryKey registry;
  if (registry.Open(HKEY_LOCAL_MACHINE, key, KEY_READ) != ERROR_SUCCESS) return 0;
  (void)registry.QueryValue(name, type);
  (void)registry.ReadDword(name, value);
  return value;
}

// The text of a string in the file's version resource, or empty.
std::string FileVersionString(const std::string& file, const char* name) {
  DWORD ignored = 0;
  std::vector<char> data(::GetFileVersionInfoSizeA(file.c_str(), &ignored));
  if (data.empty() || !::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) return "";
  char* text = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
  if (!::VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return "";
  return text;
}

// The entry in Apps & features beyond its first three values.
void ExpectAppsAndFeaturesValues(const std::string& applicationFile, const std::string& installFolder) {
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "Quorvanesoft");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "1.0.0.0");
  // The version the installed file itself carries.
  EXPECT_EQ(FileVersionString(applicationFile, "FileVersion"), "1.0.0.0");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation") + "\\", installFolder);
  DWORD type = 0;
  const DWORD size = ReadDword(kUninstallKey, "EstimatedSize", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  // At least the program and its pictures, in KiB; far from a MiB-count mistaken for KiB.
  const DWORD programKiB = static_cast<DWORD>((wine_test::ReadFileBytes(applicationFile).size() + 1023) / 1024);
  EXPECT_GT(size, programKiB);
  EXPECT_LT(size, programKiB + 64 * 1024);
  for (const char* name : {"NoModify", "NoRepair"}) {
    EXPECT_EQ(ReadDword(kUninstallKey, name, &type), 1u) << name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
  }
}

TEST_F(Install, FirstInstallWritesEverything) {
  const auto paths = wine_test::Paths();
  // The desktop showed another page before.
  const char previous[] = "C:\\previous page.htm";
  ASSERT_TRUE(wine_test::SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", previous));
  ::DeleteFileA(wine_test::LogPath().c_str());
  ASSERT_NE(Start(), nullptr);
  Press(kBtnInstall);
  // The agreement first; nothing is written before consent.
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlLicense).visible; }, 10000));
  EXPECT_FALSE(mervalis::FileExists(paths.pagePath));
  EXPECT_FALSE(mervalis::DirectoryExists(paths.installFolder));
  EXPECT_EQ(OptionCode(), "");

  // Consent through the question.
  Press(kBtnLicenseInstall);
  auto question = robot::WaitForMessageBox("Quorvanesoft", program_->id());
  ASSERT_TRUE(question);
  ASSERT_TRUE(robot::PressMessageBoxButton(*question, "Yes"));
  ASSERT_TRUE(robot::WaitUntil([&] { return !::IsWindow(question->hwnd); }, 10000));
  WaitForDonePanel();
  EXPECT_EQ(Get(kLblWallpaperSet).text, "Your wallpaper has been applied");
  EXPECT_EQ(Get(kBtnInstall).text, "Apply Wallpaper");
  robot::Settle(window_);
  ::Sleep(300);
  EXPECT_TRUE(robot::SaveScreenshot(window_, wine_test::ArtifactFolder() + "window_done_panel.bmp"));

  // The installed copy is the program, byte for byte.
  EXPECT_EQ(wine_test::ReadFileBytes(paths.applicationFile), wine_test::ReadFileBytes(wine_test::ProgramPath()));
  // Options: stretched.
  EXPECT_EQ(OptionCode(), "5");
  // The previous page is remembered for the uninstall.
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Quorvanesoft", "lastap"), previous);
  // The uninstall entry, the path quoted.
  const std::string entry = kUninstallKey;
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, entry, "UninstallString"),
            "\"" + paths.applicationFile + "\" uninstall");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, entry, "DisplayName"), "Quorvane - Mervalis");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, entry, "DisplayIcon"), paths.applicationFile);
  ExpectAppsAndFeaturesValues(paths.applicationFile, paths.installFolder);
  // Windows XP shows the page itself: no animated desktop at logon.
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                          "Quorvane - Mervalis"),
            "");
  // Four shortcuts.
  const auto program = wine_test::ReadShortcut(paths.startMenuGroup + "\\Mervalis.lnk");
  EXPECT_TRUE(program.exists);
  EXPECT_EQ(program.target, paths.applicationFile);
  EXPECT_EQ(program.description, "Mervalis Animated Wallpaper");
  EXPECT_EQ(program.showCommand, SW_SHOWNORMAL);
  const std::string web = ShellReadingOf(kShortcutAddress);
  EXPECT_NE(web.find("index.php?ref=shortcut"), std::string::npos) << web;
  EXPECT_EQ(wine_test::ReadShortcut(paths.startMenuGroup + "\\Try More Animated Wallpapers.lnk").target, web);
  EXPECT_EQ(wine_test::ReadShortcut(paths.desktopFolder + "\\Mervalis.lnk").target, paths.applicationFile);
  EXPECT_EQ(wine_test::ReadShortcut(paths.desktopFolder + "\\Animated Wallpaper.lnk").target, web);
  // The desktop was shown the animated page; the page file now holds the stub.
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, active_desktop_fixture::kWallpaperKey, "Wallpaper"),
            paths.pagePath);
  const std::string shown = wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(paths.pagePath));
  EXPECT_NE(shown.find("var pageLayout = 1; // 0=Center, 1=Stretch"), std::string::npos);
  EXPECT_EQ(wine_test::ReadFileBytes(paths.pagePath), wine_test::ExpectedStubPage(paths.controlPath));
  EXPECT_TRUE(mervalis::FileExists(paths.imagesFolder + "background.bmp"));
  // Without `/log` or the user's value, no log.
  EXPECT_FALSE(mervalis::FileExists(wine_test::LogPath()));
}

TEST_F(Install, WithoutDesktopShortcutAndCentredWithBorder) {
  const auto paths = wine_test::Paths();
  ASSERT_NE(Start(), nullptr);
  SetBox(kChkDesktopShortcut, false);
  Press(kOptCenter);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).checked == BST_CHECKED; }, 3000));
  AcceptAndInstall();
  EXPECT_EQ(OptionCode(), "2");
  EXPECT_TRUE(wine_test::ReadShortcut(paths.startMenuGroup + "\\Mervalis.lnk").exists);
  EXPECT_TRUE(wine_test::ReadShortcut(paths.startMenuGroup + "\\Try More Animated Wallpapers.lnk").exists);
  EXPECT_FALSE(mervalis::FileExists(paths.desktopFolder + "\\Mervalis.lnk"));
  EXPECT_FALSE(mervalis::FileExists(paths.desktopFolder + "\\Animated Wallpaper.lnk"));
  const std::string shown = wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(paths.pagePath));
  EXPECT_NE(shown.find("var pageLayout = 0;"), std::string::npos);
}

TEST_F(Install, StretchedWithBorderCheckedStoresFive) {
  ASSERT_NE(Start(), nullptr);
  Press(kOptCenter);  // checks the border box ...
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).checked == BST_CHECKED; }, 3000));
  Press(kOptStretch);  // ... which stays checked, but no longer counts
  ASSERT_TRUE(robot::WaitUntil([&] { return !Get(kChkShowBorder).enabled; }, 3000));
  AcceptAndInstall();
  EXPECT_EQ(OptionCode(), "5");
}

TEST_F(Install, ChangeOptionsAppliesAgainWithoutLicenceOrShortcutsAndRenewsTheEntry) {
  const auto paths = wine_test::Paths();
  ASSERT_NE(Start(), nullptr);
  AcceptAndInstall();
  // The entry as an older version's install left it: the second install writes it anew.
  const std::string entry = kUninstallKey;
  {
    mervalis::RegistryKey registry;
    ASSERT_EQ(registry.Open(HKEY_LOCAL_MACHINE, entry), ERROR_SUCCESS);
    ASSERT_EQ(registry.WriteString("DisplayName", "marked"), ERROR_SUCCESS);
    ASSERT_EQ(registry.WriteString("DisplayVersion", "0.9.0.0"), ERROR_SUCCESS);
    ASSERT_EQ(registry.WriteString("InstallDate", "19990101"), ERROR_SUCCESS);
  }
  ASSERT_TRUE(::DeleteFileA((paths.startMenuGroup + "\\Mervalis.lnk").c_str()));

  Press(kBtnChangeOptions);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlInstall).visible && !Get(kPnlDone).visible; }, 5000));
  Press(kOptCenter);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).checked == BST_CHECKED; }, 3000));
  SetBox(kChkShowBorder, false);
  Press(kBtnInstall);
  WaitForDonePanel();
  EXPECT_EQ(OptionCode(), "1");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, entry, "DisplayName"), "Quorvane - Mervalis");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, entry, "DisplayVersion"), "1.0.0.0");
  SYSTEMTIME today = {};
  ::GetLocalTime(&today);
  char date[16];
  std::snprintf(date, sizeof(date), "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, entry, "InstallDate"), date);
  EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
  const std::string shown = wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(paths.pagePath));
  EXPECT_NE(shown.find("var pageLayout = 0;"), std::string::npos);
}

TEST_F(Install, DecorationOptionFromStoredCodeIsKept) {
  // "3": centred, border unchecked, the hidden decoration box checked.
  StoreOptionCode("3");
  ASSERT_NE(Start(), nullptr);
  SetBox(kChkShowBorder, true);
  AcceptAndInstall();
  EXPECT_EQ(OptionCode(), "4");
}

// The shipped program with `/log` writes the checkpoints of a first install.
TEST_F(Install, LogSwitchWritesTheCheckpointsOfAFirstInstall) {
  ::DeleteFileA(wine_test::LogPath().c_str());
  ASSERT_NE(Start(wine_test::ProgramPath(), "/log"), nullptr);
  AcceptAndInstall();
  program_->Kill();
  const std::string log = wine_test::LogMessages();
  ::DeleteFileA(wine_test::LogPath().c_str());
  const char* const window[] = {"Start - Mervalis 1.0.0.0, mode \"\"", "IsInstalled - Begin", "IsInstalled - End"};
  const char* const checks[] = {"btnInstall - Begin", "btnInstall - After Var Dec",
                                "HighEnoughShellVersion - Begin", "HighEnoughShellVersion - End",
                                "HighEnoughColors - Begin", "HighEnoughColors - End",
                                "IsInstalled - Begin", "IsInstalled - End"};
  // The program and its entry before the wallpaper, which they can then remove.
  const char* const install[] = {
      "btnInstall - Before HG Cursor",
      "btnInstall - Before WriteApplicationFile", "WriteApplicationFile - Begin", "WriteApplicationFile - End",
      "btnInstall - After WriteApplicationFile", "IsInstalled - Begin", "IsInstalled - End",
      "btnInstall - Before CreateShortcuts", "btnInstall - After CreateShortcuts",
      "btnInstall - Before Inst Reg Write", "btnInstall - After Inst Reg Write",
      "btnInstall - Before ApplyWallpaper", "ApplyWallpaper - Begin",
      "ApplyWallpaper - After Var Dec", "ApplyWallpaper - After Stretch Check",
      "ApplyWallpaper - Before WriteWallpaperBitmap", "WriteWallpaperBitmap - Begin",
      "WriteWallpaperBitmap - After Var Dec", "WriteWallpaperBitmap - After Stretch Check",
      "WriteWallpaperBitmap - Before Draw", "WriteWallpaperBitmap - After Draw",
      "WriteWallpaperBitmap - Before File Save", "WriteWallpaperBitmap - End",
      "ApplyWallpaper - After WriteWallpaperBitmap", "ApplyWallpaper - Before Tag Rplc",
      "ApplyWallpaper - After RL WP Res Write", "ApplyWallpaper - After Tag Rplc Write",
      "ApplyWallpaper - Before Res Write", "ApplyWallpaper - After Res Write",
      "ApplyWallpaper - After Set AD Wallpaper", "ApplyWallpaper - After SetWindowsWallpaper",
      "ApplyWallpaper - After OCX Reg", "ApplyWallpaper - After OCX WP Write", "ApplyWallpaper - End",
      "btnInstall - After ApplyWallpaper", "btnInstall - Before Opt Reg Write",
      "btnInstall - Before Minimize Windows"};
  std::string expected;
  for (const char* line : window) expected += std::string(line) + "\r\n";
  // First press: the checks, then the agreement; second press: the install.
  for (int press = 0; press < 2; ++press) {
    for (const char* line : checks) expected += std::string(line) + "\r\n";
    if (press == 0) expected += "btnInstall - End\r\n";
  }
  for (const char* line : install) expected += std::string(line) + "\r\n";
  // Whether the shell could minimise the windows decides the next line.
  const std::string minimised = "btnInstall - After Minimize Windows\r\n";
  if (log.find(minimised) != std::string::npos) expected += minimised;
  expected += "btnInstall - End\r\n";
  EXPECT_EQ(log, expected);
}

// A program that could not be copied (a full disk, a path too long, no
// rights) is reported, and nothing that would name it is written.
TEST_F(Install, ProgramThatCannotBeCopiedStopsBeforeAnythingNamesIt) {
  const auto paths = wine_test::Paths();
  // The copy is written beside its place first; a folder there makes it fail.
  const std::string blocker = paths.applicationFile + ".tmp";
  ASSERT_TRUE(mervalis::ForceDirectories(blocker));
  struct Removed {
    const std::string& folder;
    ~Removed() { ::RemoveDirectoryA(folder.c_str()); }
  } removed{blocker};
  ASSERT_NE(Start(), nullptr);
  Press(kBtnInstall);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlLicense).visible; }, 10000));
  SetBox(kChkAcceptLicense, true);
  Press(kBtnLicenseInstall);
  auto box = robot::WaitForMessageBox("Quorvanesoft", program_->id(), 60000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text,
            "Unable to copy the program into its folder! Please check that the disk has room and try again.");
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "OK"));
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kBtnInstall).enabled; }, 10000));
  EXPECT_FALSE(Get(kPnlDone).visible);
  EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
  EXPECT_FALSE(mervalis::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
  EXPECT_FALSE(mervalis::FileExists(paths.desktopFolder + "\\Mervalis.lnk"));
}

TEST_F(Install, TooFewColoursStopsBeforeAnythingIsWritten) {
  NEEDS_DISPLAY(1024, 768, 8);
  const auto paths = wine_test::Paths();
  ASSERT_NE(Start(), nullptr);
  Press(kBtnInstall);
  auto box = robot::WaitForMessageBox("Quorvanesoft", program_->id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text,
            "Your color depth is set too low.\nThis program requires 16 bit color or higher to run.\n\n"
            "Please change your display to at least 16 bit color, then run this program again.");
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "OK"));
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kBtnInstall).enabled; }, 5000));
  EXPECT_TRUE(Get(kPnlInstall).visible);
  EXPECT_FALSE(Get(kPnlLicense).visible);
  EXPECT_FALSE(mervalis::FileExists(paths.pagePath));
  EXPECT_EQ(OptionCode(), "");
}

}  // namespace
