// The installer window under Wine, driven by the robot as a person would.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/names.h"
#include "common/registry_win.h"
#include "robot.h"
#include "wine/canvas.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "ui/main_form_ids.h"
#include "wine/support.h"

namespace {

using namespace mervalis::ui;
using namespace wine_test::contract;
using wine_test::Process;

// The registry the window reads: the stored option and the uninstall entry.
void StoreOption(const char* code) {
  mervalis::RegistryKey registry;
  ASSERT_EQ(registry.Create(HKEY_CURRENT_USER, kOptionsKey), ERROR_SUCCESS);
  (void)registry.DeleteValue("Mervalis");
  if (code) {
    ASSERT_EQ(registry.WriteString("Mervalis", code), ERROR_SUCCESS);
  }
}

void StoreDwordOption(DWORD value) {
  mervalis::RegistryKey registry;
  ASSERT_EQ(registry.Create(HKEY_CURRENT_USER, kOptionsKey), ERROR_SUCCESS);
  ASSERT_EQ(registry.WriteDword("Mervalis", value), ERROR_SUCCESS);
}

void SetInstalled(bool installed) {
  if (installed) {
    // Installed: the entry's command names a program that is there.
    (void)wine_test::SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                               "\"" + wine_test::ProgramPath() + "\" uninstall");
  } else {
    mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
}

class MainForm : public testing::Test {
 protected:
  void SetUp() override {
    StoreOption(nullptr);
    SetInstalled(false);
  }
  void TearDown() override {
    if (program_) program_->Kill();
    StoreOption(nullptr);
    SetInstalled(false);
  }

  HWND Start() {
    program_.emplace(wine_test::ProgramPath(), "");
    window_ = robot::WaitForWindow({"TfrmMain", "Quorvanesoft - Animated Desktop Wallpaper", program_->id()});
    return window_;
  }
  robot::ControlInfo Get(int id) {
    auto c = robot::Control(window_, id);
    EXPECT_TRUE(c) << "no control " << id;
    return c ? *c : robot::ControlInfo{};
  }
  bool Shows(int id) { return Get(id).visible; }
  void Screenshot(const char* name) {
    robot::Settle(window_);
    ::Sleep(300);
    EXPECT_TRUE(robot::SaveScreenshot(window_, wine_test::ArtifactFolder() + name));
  }

  std::optional<Process> program_;
  HWND window_ = nullptr;
};

TEST_F(MainForm, FirstStartWithNothingStored) {
  ASSERT_NE(Start(), nullptr);
  RECT client;
  ::GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 471);
  EXPECT_EQ(client.bottom, 316);
  const LONG style = ::GetWindowLongA(window_, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  EXPECT_EQ(Get(kOptStretch).checked, BST_CHECKED);
  EXPECT_EQ(Get(kOptCenter).checked, BST_UNCHECKED);
  EXPECT_FALSE(Get(kChkShowBorder).enabled);
  EXPECT_EQ(Get(kChkShowBorder).checked, BST_UNCHECKED);
  EXPECT_TRUE(Get(kChkDesktopShortcut).visible);
  EXPECT_EQ(Get(kChkDesktopShortcut).checked, BST_CHECKED);
  EXPECT_FALSE(Get(kChkBorderExtra).visible);
  EXPECT_EQ(Get(kBtnInstall).text, "&Install Wallpaper");
  EXPECT_EQ(Get(kLblWallpaperName).text, "\"Mervalis\"");
  EXPECT_EQ(Get(kLblMorePapers).text, "\r\n\r\n\r\nClick here to try more animated wallpapers");
  EXPECT_TRUE(Shows(kPnlInstall));
  EXPECT_FALSE(Shows(kPnlLicense));
  EXPECT_FALSE(Shows(kPnlDone));

  // Where the controls stand, in the window's client area.
  const auto at = [&](int id) { return Get(id).rect; };
  const RECT expected[] = {{8, 8, 172, 310}, {180, 8, 463, 85}, {180, 96, 461, 305}, {232, 276, 409, 305},
                           {188, 216, 301, 233}, {22, 20, 157, 122}, {23, 21, 156, 121}};
  const int ids[] = {kPnlLeft, kImgTitle, kPnlInstall, kBtnInstall, kOptCenter, kPnlBG, kImgBG};
  for (size_t i = 0; i < std::size(ids); ++i) {
    const RECT r = at(ids[i]);
    EXPECT_TRUE(EqualRect(&r, &expected[i])) << "control " << ids[i] << " at (" << r.left << "," << r.top << ","
                                             << r.right << "," << r.bottom << ")";
  }
  Screenshot("window_install_panel.bmp");

  // The pictures are drawn in their own colours: the banner and the scene are
  // mostly blue, not orange.
  for (int id : {kImgTitle, kImgBG}) {
    RECT r;
    ::GetWindowRect(Get(id).hwnd, &r);
    HDC screen = ::GetDC(nullptr);
    long red = 0, blue = 0;
    for (int y = r.top; y < r.bottom; y += 3) {
      for (int x = r.left; x < r.right; x += 3) {
        const COLORREF c = ::GetPixel(screen, x, y);
        red += GetRValue(c);
        blue += GetBValue(c);
      }
    }
    ::ReleaseDC(nullptr, screen);
    EXPECT_GT(blue, red * 3 / 2) << "picture " << id;
  }
}

struct StoredCase {
  const char* code;  // nullptr: a DWORD value
  bool centre;
  bool borderEnabled, borderChecked, extraEnabled, extraChecked;
};

TEST_F(MainForm, StoredOptionCodesSetTheControls) {
  const StoredCase cases[] = {
      {"1", true, true, false, true, false},  {"2", true, true, true, true, false},
      {"3", true, true, false, true, true},   {"4", true, true, true, true, true},
      {"5", false, false, false, false, false}, {" 1", false, false, false, true, false},
      {"01", false, false, false, true, false}, {"", false, false, false, true, false},
      {nullptr, false, false, false, true, false},
  };
  for (const StoredCase& c : cases) {
    SCOPED_TRACE(c.code ? std::string("code \"") + c.code + "\"" : std::string("DWORD value"));
    if (c.code) {
      StoreOption(c.code);
    } else {
      StoreDwordOption(1);
    }
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(Get(kOptCenter).checked == BST_CHECKED, c.centre);
    EXPECT_EQ(Get(kOptStretch).checked == BST_CHECKED, !c.centre);
    EXPECT_EQ(Get(kChkShowBorder).enabled, c.borderEnabled);
    EXPECT_EQ(Get(kChkShowBorder).checked == BST_CHECKED, c.borderChecked);
    EXPECT_EQ(Get(kChkBorderExtra).enabled, c.extraEnabled);
    EXPECT_EQ(Get(kChkBorderExtra).checked == BST_CHECKED, c.extraChecked);
    program_->Kill();
  }
}

TEST_F(MainForm, InstalledWallpaperOffersApplyWithoutShortcutBox) {
  SetInstalled(true);
  StoreOption("2");
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(Get(kBtnInstall).text, "Apply Wallpaper");
  EXPECT_FALSE(Get(kChkDesktopShortcut).visible);
  EXPECT_EQ(Get(kChkDesktopShortcut).checked, BST_UNCHECKED);
  EXPECT_EQ(Get(kOptCenter).checked, BST_CHECKED);
  EXPECT_EQ(Get(kChkShowBorder).checked, BST_CHECKED);
}

TEST_F(MainForm, OptionClickRules) {
  StoreOption("1");
  ASSERT_NE(Start(), nullptr);
  // Stored "1": centred with the border box enabled but unchecked.
  EXPECT_EQ(Get(kChkShowBorder).checked, BST_UNCHECKED);
  EXPECT_TRUE(Get(kChkShowBorder).enabled);

  // Clicking the option already selected changes nothing.
  ASSERT_TRUE(robot::PressButton(window_, kOptCenter));
  robot::Settle(window_);
  ::Sleep(200);
  EXPECT_EQ(Get(kChkShowBorder).checked, BST_UNCHECKED);

  // Stretch disables the box without unchecking it ...
  ASSERT_TRUE(robot::PressButton(window_, kChkShowBorder));
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).checked == BST_CHECKED; }, 3000));
  ASSERT_TRUE(robot::PressButton(window_, kOptStretch));
  ASSERT_TRUE(robot::WaitUntil([&] { return !Get(kChkShowBorder).enabled; }, 3000));
  EXPECT_EQ(Get(kChkShowBorder).checked, BST_CHECKED);
  EXPECT_FALSE(Get(kChkBorderExtra).enabled);
  EXPECT_EQ(Get(kOptCenter).checked, BST_UNCHECKED);

  // ... and centring by hand always checks it.
  ASSERT_TRUE(robot::PressButton(window_, kOptCenter));
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).enabled; }, 3000));
  EXPECT_EQ(Get(kChkShowBorder).checked, BST_CHECKED);
  ASSERT_TRUE(robot::PressButton(window_, kChkShowBorder));
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).checked == BST_UNCHECKED; }, 3000));
  ASSERT_TRUE(robot::PressButton(window_, kOptStretch));
  ASSERT_TRUE(robot::WaitUntil([&] { return !Get(kChkShowBorder).enabled; }, 3000));
  ASSERT_TRUE(robot::PressButton(window_, kOptCenter));
  ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkShowBorder).checked == BST_CHECKED; }, 3000));
}

// Counts the pixels of the label on the screen that are of each colour. The
// label is copied off the screen in one go, so that a sample is one moment
// (and quick even on a loaded machine), not a pixel at a time.
std::pair<int, int> BlueAndYellowPixels(HWND label) {
  RECT r;
  ::GetWindowRect(label, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return {0, 0};
  wine_test::Canvas canvas(width, height);
  int blue = 0, yellow = 0;
  if (!canvas.Ready()) return {0, 0};
  {
    const mervalis::WindowDc screen(nullptr);
    ::BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
  }
  const std::uint32_t* pixel = canvas.Pixels();
  for (int i = 0; i < width * height; ++i) {
    const std::uint32_t c = pixel[i] & 0xFFFFFF;  // 0xRRGGBB
    if (c == 0x0000FF) ++blue;
    if (c == 0xFFFF00) ++yellow;
  }
  return {blue, yellow};
}

TEST_F(MainForm, TellLinkBlinksBetweenBlueAndYellow) {
  ASSERT_NE(Start(), nullptr);
  const HWND label = Get(kLblTell).hwnd;
  // Sampled often, for a fixed stretch of wall time, each change with the
  // moment it was seen: what is judged is the time between changes, which a
  // loaded machine that runs the test slowly does not shorten.
  constexpr DWORD kWatchMs = 6000;
  std::vector<DWORD> changedAt;
  bool sawBlue = false, sawYellow = false;
  int last = -1;
  const DWORD start = ::GetTickCount();
  for (DWORD now = start; now - start < kWatchMs; now = ::GetTickCount()) {
    const auto [blue, yellow] = BlueAndYellowPixels(label);
    const int colour = blue > 20 && yellow == 0 ? 0 : (yellow > 20 && blue == 0 ? 1 : -1);
    sawBlue |= colour == 0;
    sawYellow |= colour == 1;
    if (colour >= 0 && last >= 0 && colour != last) changedAt.push_back(now);
    if (colour >= 0) last = colour;
    ::Sleep(40);
  }
  EXPECT_TRUE(sawBlue);
  EXPECT_TRUE(sawYellow);
  // About one change a second: over six seconds at least three, and the
  // usual time between two changes near a second (the middle one of the
  // gaps, so that one late timer on a busy machine does not decide).
  ASSERT_GE(changedAt.size(), 3u);
  std::vector<DWORD> gaps;
  for (size_t i = 1; i < changedAt.size(); ++i) gaps.push_back(changedAt[i] - changedAt[i - 1]);
  std::sort(gaps.begin(), gaps.end());
  const DWORD middle = gaps[gaps.size() / 2];
  EXPECT_GE(middle, 700u);
  EXPECT_LE(middle, 1500u);
  EXPECT_LE(changedAt.size(), 9u);  // never much faster than once a second
}

TEST_F(MainForm, LicenceQuestionAnsweredNoChangesNothing) {
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(robot::PressButton(window_, kBtnInstall));
  // A first install without consent shows the agreement, writes nothing.
  ASSERT_TRUE(robot::WaitUntil([&] { return Shows(kPnlLicense); }, 5000));
  EXPECT_FALSE(Shows(kPnlInstall));
  EXPECT_TRUE(Get(kBtnInstall).enabled);
  EXPECT_NE(Get(kMemLicense).text.find("END USER LICENCE AGREEMENT"), std::string::npos);
  EXPECT_TRUE(Get(kMemLicense).style & ES_READONLY);
  Screenshot("window_licence_panel.bmp");

  ASSERT_TRUE(robot::PressButton(window_, kBtnLicenseInstall));
  auto box = robot::WaitForMessageBox("Quorvanesoft", program_->id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "Do you accept the End User License Agreement?");
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "No"));
  ASSERT_TRUE(robot::WaitForWindowGone(box->hwnd));
  EXPECT_TRUE(Shows(kPnlLicense));
  EXPECT_EQ(Get(kChkAcceptLicense).checked, BST_UNCHECKED);
  EXPECT_TRUE(Get(kBtnLicenseInstall).enabled);
  EXPECT_FALSE(mervalis::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(MainForm, KeyboardTabOrderAndAccelerators) {
  ASSERT_NE(Start(), nullptr);
  const auto focused = [&] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window_, nullptr), &info);
    return ::GetDlgCtrlID(info.hwndFocus);
  };
  ASSERT_TRUE(robot::WaitUntil([&] { return focused() == kBtnInstall; }, 5000)) << focused();
  // Tab visits the checked option, the shortcut box, then comes back.
  std::vector<int> order;
  for (int i = 0; i < 3; ++i) {
    robot::PressKey(window_, VK_TAB);
    robot::Settle(window_);
    ::Sleep(150);
    order.push_back(focused());
  }
  EXPECT_EQ(order, (std::vector<int>{kOptStretch, kChkDesktopShortcut, kBtnInstall}));

  // Space on the focused check box toggles it.
  robot::PressKey(window_, VK_TAB);
  robot::PressKey(window_, VK_TAB);
  ASSERT_TRUE(robot::WaitUntil([&] { return focused() == kChkDesktopShortcut; }, 3000));
  robot::PressKey(window_, VK_SPACE);
  EXPECT_TRUE(robot::WaitUntil([&] { return Get(kChkDesktopShortcut).checked == BST_UNCHECKED; }, 3000));

  // Alt+I presses "&Install Wallpaper": the agreement comes up.
  robot::PressAltKey(window_, 'i');
  ASSERT_TRUE(robot::WaitUntil([&] { return Shows(kPnlLicense); }, 5000));
  ASSERT_TRUE(robot::WaitUntil([&] { return focused() == kBtnLicenseInstall; }, 3000))
      << focused() << "\n" << [&] {
           HWND box = robot::FindTopLevel({"#32770", "", program_->id()});
           return box ? robot::Describe(box) : std::string("no box");
         }();
  // Enter on the focused button asks the licence question.
  robot::PressKey(window_, VK_RETURN);
  auto box = robot::WaitForMessageBox("Quorvanesoft", program_->id(), 5000);
  ASSERT_TRUE(box);
  robot::PressMessageBoxButton(*box, "No");
}

TEST_F(MainForm, LinksOpenTheMakersPagesWithTheLinkQuery) {
  // The browser, as far as this machine knows, records what it is asked to open.
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string browser = std::string(temp) + "link_recorder.exe";
  const std::string record = browser + ".started";
  ASSERT_TRUE(::CopyFileA((wine_test::BinFolder() + "start_recorder.exe").c_str(), browser.c_str(), FALSE));
  ::DeleteFileA(record.c_str());
  const std::string command = "Software\\Classes\\http\\shell\\open\\command";
  const std::string original = wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, command, "");
  {
    mervalis::RegistryKey registry;
    ASSERT_EQ(registry.Create(HKEY_LOCAL_MACHINE, command), ERROR_SUCCESS);
    ASSERT_EQ(registry.WriteString("", "\"" + browser + "\" \"%1\""), ERROR_SUCCESS);
  }
  // Another wallpaper of the family is installed: the query names it.
  const std::string other = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - Deep Blue";
  ASSERT_EQ(mervalis::RegistryKey().Create(HKEY_LOCAL_MACHINE, other), ERROR_SUCCESS);

  ASSERT_NE(Start(), nullptr);
  const auto opened = [&] {
    std::vector<std::string> urls;
    const std::string text = wine_test::ReadFileBytes(record);
    for (size_t at = text.find("http://"); at != std::string::npos; at = text.find("http://", at + 1)) {
      urls.push_back(text.substr(at, text.find_first_of("\"\r\n", at) - at));
    }
    return urls;
  };
  const std::vector<std::string> expected = {
      "http://www.quorvanesoft.com/tell.php?wp=mervalis&iwp=deepblue",
      "http://www.quorvanesoft.com/index.php?wp=mervalis&iwp=deepblue",
      "http://www.quorvanesoft.com/index.php?wp=mervalis&iwp=deepblue"};
  // A release alone (a drag that ends over a link) and a press dragged off
  // its link open nothing.
  for (int id : {kLblTell, kLblMorePapers, kImgTitle, kLblDownloadMore}) {
    const HWND link = Get(id).hwnd;
    ::PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  }
  const HWND tell = Get(kLblTell).hwnd;
  ::PostMessageA(tell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ::PostMessageA(tell, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, 400));
  ::PostMessageA(tell, WM_LBUTTONUP, 0, MAKELPARAM(4, 400));
  robot::Settle(window_);
  ::Sleep(1500);
  EXPECT_EQ(opened(), std::vector<std::string>{});

  int clicks = 0;
  for (int id : {kLblTell, kLblMorePapers, kImgTitle}) {
    ASSERT_TRUE(robot::ClickControl(window_, id));
    ++clicks;
    EXPECT_TRUE(robot::WaitUntil([&] { return static_cast<int>(opened().size()) >= clicks; }, 10000)) << id;
  }
  EXPECT_EQ(opened(), expected);

  mervalis::RegistryKey registry;
  if (registry.Open(HKEY_LOCAL_MACHINE, command) == ERROR_SUCCESS) (void)registry.WriteString("", original);
  mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, other);
  ::DeleteFileA(record.c_str());
  ::DeleteFileA(browser.c_str());
}

TEST_F(MainForm, CloseBoxEndsTheProgram) {
  ASSERT_NE(Start(), nullptr);
  ::PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  DWORD code = 1;
  ASSERT_TRUE(program_->WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
