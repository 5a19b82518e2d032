// The installer window while and after the install button works, under
// Wine: the desktop shown and the window brought back, the shell refusing its
// automation object, the check-mark buttons' glyphs, a close request waiting
// for the install, and an error escaping the apply.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "../fixtures/shell_application/shell_application.h"
#include "common/folders_win.h"
#include "common/registry_win.h"
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

// The cursor the window puts up when the system asks it over its client area.
HCURSOR CursorOverClient(HWND window) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
  CURSORINFO info = {};
  info.cbSize = sizeof(info);
  return ::GetCursorInfo(&info) ? info.hCursor : nullptr;
}

TEST_F(Install, ShellRefusingItsAutomationObjectStillShowsTheDonePanel) {
  // "Shell.Application" pointing at a class nobody serves.
  const std::string key = "Software\\Classes\\Shell.Application\\CLSID";
  const std::string original = wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, key, "");
  ASSERT_FALSE(original.empty());
  {
    mervalis::RegistryKey registry;
    ASSERT_EQ(registry.Open(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS);
    ASSERT_EQ(registry.WriteString("", "{0E5AAE11-A475-4C5B-AB00-C66DE400274E}"), ERROR_SUCCESS);
  }
  const wine_test::LogOn logOn;
  ASSERT_NE(Start(), nullptr);
  AcceptAndInstall();
  mervalis::RegistryKey registry;
  ASSERT_EQ(registry.Open(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS);
  EXPECT_EQ(registry.WriteString("", original), ERROR_SUCCESS);
  EXPECT_TRUE(Get(kPnlDone).visible);
  EXPECT_TRUE(Get(kBtnInstall).enabled);
  // The windows were not minimised, so nothing restores them either; the refusal is logged.
  const std::string log = wine_test::LogMessages();
  const std::string caught = "\r\nInstall - caught Shell.Application could not be created.\r\n";
  EXPECT_NE(log.find("btnInstall - Before Minimize Windows" + caught + "btnInstall - End"), std::string::npos) << log;
}

TEST_F(Install, TheDesktopIsShownThenTheWindowComesBackForAFewSeconds) {
  ::DeleteFileA(shell_application_fixture::CallLogPath().c_str());
  const wine_test::LogOn logOn;
  ASSERT_NE(Start(), nullptr);
  HWND app = robot::FindTopLevel({"TApplication", "Quorvanesoft", program_->id(), false});
  ASSERT_NE(app, nullptr);
  AcceptAndInstall();
  // Every window was minimised through the shell ...
  EXPECT_NE(wine_test::ReadFileBytes(shell_application_fixture::CallLogPath()).find("MinimizeAll"),
            std::string::npos);
  // ... and the program's window is brought back by its timer.
  EXPECT_TRUE(robot::WaitUntil([&] { return !::IsIconic(app) && ::IsWindowVisible(window_); }, 8000));
  // The timer stops after its ticks: a window minimised later stays so.
  ::Sleep(4000);
  ::PostMessageA(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(robot::WaitUntil([&] { return ::IsIconic(app); }, 5000));
  ::Sleep(1500);
  EXPECT_TRUE(::IsIconic(app));
  const std::string log = wine_test::LogMessages();
  EXPECT_NE(log.find("btnInstall - After Minimize Windows\r\nbtnInstall - End\r\n"), std::string::npos) << log;
  ::DeleteFileA(shell_application_fixture::CallLogPath().c_str());
}

TEST_F(Install, CheckMarkButtonsKeepTheirGlyphWhenTabbedOnto) {
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(robot::WaitUntil([&] { return Focused() == kBtnInstall; }, 5000));
  // Twice round the install panel.
  ASSERT_TRUE(TabOnto(kOptStretch));
  ASSERT_TRUE(TabOnto(kBtnInstall));
  ASSERT_TRUE(TabOnto(kOptStretch));
  ASSERT_TRUE(TabOnto(kBtnInstall));
  ExpectCheckMark(kBtnInstall);

  Press(kBtnInstall);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlLicense).visible; }, 10000));
  SetBox(kChkAcceptLicense, true);
  ASSERT_TRUE(robot::WaitUntil([&] { return Focused() == kChkAcceptLicense; }, 3000));
  ASSERT_TRUE(TabOnto(kBtnLicenseInstall));
  ExpectCheckMark(kBtnLicenseInstall);

  Press(kBtnLicenseInstall);
  WaitForDonePanel();
  // The windows were minimised to show the desktop; wait until the timer has
  // brought the window back for good.
  HWND app = robot::FindTopLevel({"TApplication", "Quorvanesoft", program_->id(), false});
  ::Sleep(3500);
  ASSERT_TRUE(robot::WaitUntil([&] { return !::IsIconic(app) && ::IsWindowVisible(window_); }, 5000));
  ::SetForegroundWindow(window_);
  ASSERT_TRUE(TabOnto(kBtnChangeOptions));
  ASSERT_TRUE(TabOnto(kBtnFinish));
  ExpectCheckMark(kBtnFinish);

  Press(kBtnChangeOptions);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlInstall).visible; }, 5000));
  ASSERT_TRUE(TabOnto(kBtnInstall));
  ExpectCheckMark(kBtnInstall);
}

// A close request (Alt+F4, the task bar) waiting behind the press: the install
// finishes with the window's title and options, then the window closes.
TEST_F(Install, CloseDuringTheInstallWaitsUntilItHasEnded) {
  const auto paths = wine_test::Paths();
  const std::string emptyTitlePage = PageOf("");
  // "3": centred, border unchecked, the hidden decoration box checked. The
  // window reads it at its start; the install has to write it back.
  StoreOptionCode("3");
  ASSERT_NE(Start(), nullptr);
  StoreOptionCode(nullptr);
  Press(kBtnInstall);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlLicense).visible; }, 10000));
  SetBox(kChkAcceptLicense, true);
  Press(kBtnLicenseInstall);
  ::PostMessageA(window_, WM_CLOSE, 0, 0);
  DWORD code = 1;
  const bool ended = program_->WaitForExit(kInstallTimeoutMs, &code);
  const bool emptyTitlePageWritten = mervalis::FileExists(emptyTitlePage);
  ::DeleteFileA(emptyTitlePage.c_str());
  ASSERT_TRUE(ended);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(emptyTitlePageWritten);
  EXPECT_EQ(OptionCode(), "3");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Quorvane - Mervalis");
  EXPECT_EQ(wine_test::ReadFileBytes(PageOf("Mervalis")), wine_test::ExpectedStubPage(paths.controlPath));
  EXPECT_TRUE(mervalis::FileExists(paths.imagesFolder + "background.bmp"));
  const std::string shown = wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(PageOf("Mervalis")));
  EXPECT_NE(shown.find("var pageLayout = 0;"), std::string::npos);
}

// The installer's window is DPI-unaware, so Windows gives it the screen
// scaled down (1706 x 960 for 2560 x 1440 at 150 %); the background it
// composes is still of the screen's real size. (Wine 8 gives an unaware
// program the real size anyway: the runner's relay check of the installer
// shows the awareness it composes with.)
TEST_F(Install, ComposesTheBackgroundInTheScreensRealPixels) {
  NEEDS_DISPLAY(2560, 1440, 24);
  const auto paths = wine_test::Paths();
  const wine_test::LogPixels scaled(144, true);
  ASSERT_NE(Start(), nullptr);
  AcceptAndInstall();
  const std::string bmp = wine_test::ReadFileBytes(paths.imagesFolder + "background.bmp");
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(wine_test::Read32(bmp, 18), 2560u);
  EXPECT_EQ(wine_test::Read32(bmp, 22), 1440u);
}

// An error that escapes the apply (the page is held open by the desktop
// before the stub page replaces it) reaches the error box, and the window is
// usable again: buttons enabled, no hourglass.
TEST_F(Install, ErrorEscapingTheApplyLeavesTheWindowUsable) {
  const std::string page = PageOf("Mervalis");
  active_desktop_fixture::SetHeldWallpaperFiles(1);
  struct Cleanup {
    ~Cleanup() { active_desktop_fixture::SetHeldWallpaperFiles(0); }
  } cleanup;
  ASSERT_NE(Start(), nullptr);
  const HCURSOR arrow = CursorOverClient(window_);
  Press(kBtnInstall);
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlLicense).visible && Get(kBtnInstall).enabled; }, 20000));
  SetBox(kChkAcceptLicense, true);
  Press(kBtnLicenseInstall);
  std::vector<robot::MessageBoxInfo> errors;
  ASSERT_TRUE(robot::WaitUntil([&] {
    HWND box = robot::FindTopLevel({robot::kMessageBoxClass, "", program_->id()});
    if (box && (errors.empty() || errors.back().hwnd != box)) {
      const auto info = robot::ReadMessageBox(box);
      if (info.buttons.empty()) return false;  // still being made
      errors.push_back(info);
      robot::PressMessageBoxButton(info, "OK");
    }
    return !errors.empty() && robot::WaitForWindowGone(errors.back().hwnd, 10000);
  }, kInstallTimeoutMs));

  // The standard error display, once.
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].caption, "Quorvanesoft");
  EXPECT_NE(errors[0].text.find(page), std::string::npos) << errors[0].text;
  robot::Settle(window_);
  EXPECT_TRUE(Get(kPnlLicense).visible);
  EXPECT_TRUE(Get(kBtnInstall).enabled);
  EXPECT_TRUE(Get(kBtnLicenseInstall).enabled);
  EXPECT_EQ(CursorOverClient(window_), arrow);
}

}  // namespace
