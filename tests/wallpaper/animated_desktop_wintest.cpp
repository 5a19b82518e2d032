// The Vista-and-later path end to end under Wine, with the program seeing
// Windows 10: the install puts the background on the plain wallpaper,
// registers the `desktop` mode at logon and starts it; `apply` starts it
// again; the uninstaller ends it and puts the previous plain wallpaper back.
// The shell stand-in gives the mode its place behind the icons, so that it
// keeps running.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/registry_win.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "wine/snapshot.h"
#include "wine/support.h"
#include "wine/windows_version.h"

namespace {

using namespace wine_test::contract;
using wine_test::Process;

constexpr char kPreviousPlain[] = "C:\\windows\\previous.bmp";
constexpr char kPreviousPage[] = "C:\\previous page.htm";

bool RunValueExists() { return wine_test::ValueExists(HKEY_CURRENT_USER, kRunKey, kRunValue); }

bool DesktopModeRuns() {
  HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, kDesktopMutex);
  if (mutex) ::CloseHandle(mutex);
  return mutex != nullptr;
}

// The process of the running desktop mode, by its hidden window; 0 when none.
DWORD DesktopModeProcess() {
  HWND host = ::FindWindowA(kDesktopHostClass, nullptr);
  DWORD pid = 0;
  if (host) ::GetWindowThreadProcessId(host, &pid);
  return pid;
}

void SetString(HKEY root, const char* key, const char* name, const std::string& value) {
  mervalis::RegistryKey r(root);
  ASSERT_TRUE(r.OpenKey(key, true));
  ASSERT_EQ(r.WriteString(name, value), ERROR_SUCCESS);
}

std::vector<std::string> SetWallpaperCalls() {
  std::vector<std::string> calls;
  for (const auto& line : active_desktop_fixture::ReadAndClearCalls()) {
    if (line.rfind("SetWallpaper|", 0) == 0 || line.rfind("SetDesktopItemOptions", 0) == 0) calls.push_back(line);
  }
  return calls;
}

// "uninstall" from the installed copy, confirmed, through to the final box.
void Uninstall(const std::string& applicationFile) {
  Process p(applicationFile, "uninstall");
  ASSERT_TRUE(p.started());
  auto question = robot::WaitForMessageBox("Quorvanesoft", p.id());
  ASSERT_TRUE(question);
  ASSERT_TRUE(robot::PressMessageBoxButton(*question, "Yes"));
  // The press is posted: until the question has gone it is still the box
  // that a search by caption finds.
  ASSERT_TRUE(p.WaitForExit(10000));
  ASSERT_TRUE(robot::WaitForWindowGone(question->hwnd, 10000));
  auto done = robot::WaitForMessageBox("Quorvanesoft", 0, 30000);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text, kRemovedBox);
  ASSERT_TRUE(robot::PressMessageBoxButton(*done, "OK"));
  ASSERT_TRUE(robot::WaitUntil([] { return !wine_test::IsProcessRunning("QuorUninst1.exe"); }, 15000));
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// The installer window of an installed wallpaper: centred without border, then
// "Apply Wallpaper" (no agreement), through to the done panel.
void InstallAgainCentred() {
  using namespace mervalis::ui;
  Process program(wine_test::ProgramPath(), "");
  HWND window = robot::WaitForWindow({kMainFormClass, kMainFormCaption, program.id()});
  ASSERT_NE(window, nullptr);
  const auto control = [&](int id) {
    auto c = robot::Control(window, id);
    return c ? *c : robot::ControlInfo{};
  };
  ASSERT_TRUE(robot::PressButton(window, kOptCenter));
  ASSERT_TRUE(robot::WaitUntil([&] { return control(kOptCenter).checked == BST_CHECKED; }, 3000));
  if (control(kChkShowBorder).checked == BST_CHECKED) {
    ASSERT_TRUE(robot::PressButton(window, kChkShowBorder));
  }
  if (control(kChkBorderExtra).checked == BST_CHECKED) {
    ASSERT_TRUE(robot::PressButton(window, kChkBorderExtra));
  }
  ASSERT_TRUE(robot::WaitUntil([&] {
    return control(kChkShowBorder).checked != BST_CHECKED && control(kChkBorderExtra).checked != BST_CHECKED;
  }, 3000));
  ASSERT_TRUE(robot::PressButton(window, kBtnInstall));
  std::string boxes;
  ASSERT_TRUE(wine_test::AnswerBoxesUntilDone(window, program.id(), boxes)) << "no done panel; boxes: " << boxes;
  EXPECT_EQ(boxes, "");
  ASSERT_TRUE(robot::PressButton(window, kBtnFinish));
  ASSERT_TRUE(program.WaitForExit(10000));
}

class AnimatedDesktop : public wine_test::CleanMachineTest {
 protected:
  AnimatedDesktop() : CleanMachineTest(240000) {}
  void SetUp() override {
    wine_test::KillProcessesNamed("shell_standin.exe");
    CleanMachineTest::SetUp();
    oldPlain_ = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper");
  }
  void TearDown() override {
    CleanMachineTest::TearDown();
    wine_test::KillProcessesNamed("shell_standin.exe");
    ::DeleteFileA((mervalis::GetSystemFolder() + "QuorUninst1.exe").c_str());
    SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", oldPlain_);
  }

  std::string oldPlain_;
};

TEST_F(AnimatedDesktop, InstallStartsTheModeApplyRestartsItUninstallEndsItAndLeavesNothing) {
  wine_test::ScopedWindowsVersion windows10("win10");
  ASSERT_TRUE(windows10.ok());
  Process shell(wine_test::BinFolder() + "shell_standin.exe", "win10");
  ASSERT_NE(robot::WaitForWindow({"Progman", "Program Manager", shell.id(), true}, 10000), nullptr);

  // What Windows has from the start, and Wine does not; the desktop before.
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetWallpaperFolder()));
  { mervalis::RegistryKey run(HKEY_CURRENT_USER); ASSERT_TRUE(run.OpenKey(kRunKey, true)); }
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", kPreviousPlain);
  SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", kPreviousPage);
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  active_desktop_fixture::ClearCalls();

  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue),
            "\"" + paths.applicationFile + "\" desktop");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
            paths.imagesFolder + "background.bmp");
  EXPECT_TRUE(mervalis::FileExists(paths.imagesFolder + "background.bmp"));
  // The Active Desktop cannot show the page here: it is neither pointed at it nor switched on.
  EXPECT_TRUE(SetWallpaperCalls().empty());
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper"), kPreviousPage);
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), kPreviousPlain);
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastap"), kPreviousPage);
  // The mode runs, from the installed copy, and stays.
  ASSERT_TRUE(robot::WaitUntil([] { return DesktopModeProcess() != 0; }, 15000)) << "no desktop mode started";
  const DWORD first = DesktopModeProcess();
  ::Sleep(1500);
  EXPECT_TRUE(DesktopModeRuns());
  EXPECT_EQ(DesktopModeProcess(), first);

  // Change Options: the mode lets go of the application file, which is
  // replaced, and comes back with the new layout. The plain wallpaper is ours
  // already, so what was there before the first install stays remembered.
  const FILETIME written = LastWrite(paths.applicationFile);
  ::Sleep(1100);
  InstallAgainCentred();
  if (HasFatalFailure()) return;
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Quorvanesoft\\Options", "Mervalis"), "1");
  const FILETIME rewritten = LastWrite(paths.applicationFile);
  EXPECT_GT(::CompareFileTime(&rewritten, &written), 0) << "the application file was not replaced";
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), kPreviousPlain);
  EXPECT_TRUE(robot::WaitUntil([&] { return DesktopModeProcess() != 0 && DesktopModeProcess() != first; }, 15000))
      << "the desktop mode was not restarted";
  const DWORD second = DesktopModeProcess();

  // `apply` of the installed wallpaper starts it anew too.
  Process apply(paths.applicationFile, "apply");
  ASSERT_TRUE(apply.WaitForExit(60000));
  EXPECT_TRUE(robot::WaitUntil([&] { return DesktopModeProcess() != 0 && DesktopModeProcess() != second; }, 15000))
      << "the desktop mode was not restarted";
  EXPECT_TRUE(DesktopModeRuns());

  Uninstall(paths.applicationFile);
  if (HasFatalFailure()) return;
  EXPECT_FALSE(DesktopModeRuns());
  EXPECT_EQ(DesktopModeProcess(), 0u);
  EXPECT_FALSE(RunValueExists());
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), kPreviousPlain);
  EXPECT_TRUE(SetWallpaperCalls().empty());
  ::Sleep(2000);  // the registration tool may still be finishing
  const std::vector<std::string> expectedChanges = {
      "hkcu\\software\\quorvanesoft",  // "lastwp" and "lastap" stay on purpose
      "quoruninst1.exe",
      "hkcu\\software\\wine",
      "hklm\\software\\wine",
      "hkcu\\software\\mervalistests",
      "mervalis_active_desktop_calls.txt",
      "\\temp\\",
      "\\windows\\logs",
      "hklm\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
      "hkcu\\software\\microsoft\\windows\\currentversion\\explorer",
      "hkcu\\control panel\\desktop|wallpaper",  // checked above
      "hku\\.default\\control panel\\desktop|wallpaper",
  };
  std::string difference;
  for (const auto& line : wine_test::Difference(before, wine_test::TakeSnapshot(scope), expectedChanges)) {
    difference += line + "\n";
  }
  EXPECT_EQ(difference, "");
}

TEST_F(AnimatedDesktop, UninstallClearsThePlainWallpaperWhenNoneWasThereBefore) {
  wine_test::ScopedWindowsVersion windows10("win10");
  ASSERT_TRUE(windows10.ok());
  const auto paths = wine_test::Paths();
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper",
            "c:\\WINDOWS\\web\\wallpaper\\qvimages\\MERVALIS\\Background.BMP");
  SetString(HKEY_CURRENT_USER, kCompanyKey, "lastwp", "");
  SetString(HKEY_CURRENT_USER, kCompanyKey, "lastap", kPreviousPage);
  SetString(HKEY_CURRENT_USER, kRunKey, kRunValue, "\"" + paths.applicationFile + "\" desktop");
  Process p(wine_test::ProgramPath(), "douninstall");
  auto done = robot::WaitForMessageBox("Quorvanesoft", p.id(), 30000);
  ASSERT_TRUE(done);
  ASSERT_TRUE(robot::PressMessageBoxButton(*done, "OK"));
  ASSERT_TRUE(p.WaitForExit(15000));
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), "");
  EXPECT_FALSE(RunValueExists());
  EXPECT_TRUE(SetWallpaperCalls().empty());
}

}  // namespace
