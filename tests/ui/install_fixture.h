// The fixture of the install tests under Wine: the installer window started
// on a clean machine, its controls read and pressed through the robot.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "common/registry_win.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "wine/support.h"

namespace install_test {

inline constexpr DWORD kInstallTimeoutMs = 60000;

// Stores the option code the window reads at its start; null removes it.
inline void StoreOptionCode(const char* code) {
  mervalis::RegistryKey registry;
  ASSERT_EQ(registry.Create(HKEY_CURRENT_USER, wine_test::contract::kOptionsKey), ERROR_SUCCESS);
  if (code) {
    ASSERT_EQ(registry.WriteString("Mervalis", code), ERROR_SUCCESS);
  } else {
    (void)registry.DeleteValue("Mervalis");
  }
}

// The page of a wallpaper: "Web\\Wallpaper\\Quorvane - <title>.html" in the Windows directory.
inline std::string PageOf(const std::string& title) {
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  std::string folder = windows;
  if (folder.back() != '\\') folder += '\\';
  return folder + "Web\\Wallpaper\\Quorvane - " + title + ".html";
}

// Pixels of the green check mark inside the button, as the screen shows them.
inline int CheckMarkPixels(HWND button) {
  RECT r;
  ::GetWindowRect(button, &r);
  HDC screen = ::GetDC(nullptr);
  int green = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = ::GetPixel(screen, x, y);
      if (GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40) ++green;
    }
  }
  ::ReleaseDC(nullptr, screen);
  return green;
}

// The installer window of a program started by the test, driven as a person
// would; the program is ended and the machine cleared after each test.
class Install : public wine_test::CleanMachineTest {
 protected:
  void TearDown() override {
    if (program_) program_->Kill();
    CleanMachineTest::TearDown();
  }

  HWND Start(const std::string& exe = wine_test::ProgramPath(), std::string_view arguments = "") {
    program_.emplace(exe, arguments);
    window_ = robot::WaitForWindow({"TfrmMain", "Quorvanesoft - Animated Desktop Wallpaper", program_->id()});
    return window_;
  }
  robot::ControlInfo Get(int id) {
    auto c = robot::Control(window_, id);
    return c ? *c : robot::ControlInfo{};
  }
  void Press(int id) { ASSERT_TRUE(robot::PressButton(window_, id)) << "control " << id; }
  void SetBox(int id, bool checked) {
    if ((Get(id).checked == BST_CHECKED) != checked) {
      Press(id);
      ASSERT_TRUE(robot::WaitUntil([&] { return (Get(id).checked == BST_CHECKED) == checked; }, 3000));
    }
  }
  // Accepts the licence by its check box and installs; waits for the done panel.
  void AcceptAndInstall() {
    Press(mervalis::ui::kBtnInstall);
    ASSERT_TRUE(robot::WaitUntil([&] { return Get(mervalis::ui::kPnlLicense).visible; }, 10000));
    SetBox(mervalis::ui::kChkAcceptLicense, true);
    Press(mervalis::ui::kBtnLicenseInstall);
    WaitForDonePanel();
  }
  void WaitForDonePanel() {
    // Any box the install shows is an error: read it into the failure.
    std::string boxes;
    ASSERT_TRUE(wine_test::AnswerBoxesUntilDone(window_, program_->id(), boxes, kInstallTimeoutMs))
        << "no done panel; boxes: " << boxes;
    EXPECT_EQ(boxes, "");
    EXPECT_FALSE(Get(mervalis::ui::kPnlInstall).visible);
    EXPECT_FALSE(Get(mervalis::ui::kPnlLicense).visible);
    EXPECT_TRUE(robot::WaitUntil([&] { return Get(mervalis::ui::kBtnInstall).enabled; }, 5000));
  }
  std::string OptionCode() {
    return wine_test::ReadRegistryString(HKEY_CURRENT_USER, wine_test::contract::kOptionsKey, "Mervalis");
  }
  int Focused() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window_, nullptr), &info);
    return ::GetDlgCtrlID(info.hwndFocus);
  }
  // Presses Tab until the control has the focus; false after six presses.
  bool TabOnto(int id) {
    for (int i = 0; i < 6; ++i) {
      robot::PressKey(window_, VK_TAB);
      if (robot::WaitUntil([&] { return Focused() == id; }, 500)) return true;
    }
    return false;
  }
  // The owner-drawn type survives the dialog manager, and the check mark shows.
  void ExpectCheckMark(int id) {
    const robot::ControlInfo button = Get(id);
    EXPECT_EQ(button.style & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW)) << "control " << id;
    EXPECT_TRUE(robot::WaitUntil([&] { return CheckMarkPixels(button.hwnd) > 40; }, 3000))
        << "control " << id << ": " << CheckMarkPixels(button.hwnd) << " green pixels";
  }

  std::optional<wine_test::Process> program_;
  HWND window_ = nullptr;
};

}  // namespace install_test
