// The Vista-and-later path end to end under Wine, with the program seeing
// Windows 10: the install puts the background on the plain wallpaper,
// registers the `desktop` mode at logon and starts it; `apply` starts it
// again; the uninstaller ends it and puts the previous plain wallpaper back.
// The shell stand-in gives the mode its place behind the icons, so that it
// keeps running.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "../fixtures/windows_rotation.h"
#include "common/folders_win.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "common/scope_exit.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "wine/snapshot.h"
#include "wine/support.h"
#include "wine/windows_version.h"

namespace {

using namespace wine_test::contract;
using wine_test::Process;
using wine_test::SetString;
using wine_test::Uninstall;

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

std::vector<std::string> SetWallpaperCalls() {
  std::vector<std::string> calls;
  for (const auto& line : active_desktop_fixture::ReadAndClearCalls()) {
    if (line.rfind("SetWallpaper|", 0) == 0 || line.rfind("SetDesktopItemOptions", 0) == 0) calls.push_back(line);
  }
  return calls;
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
  HWND window =
      robot::WaitForWindow({wine_test::contract::kMainFormClass, wine_test::contract::kMainFormCaption, program.id()});
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

// Run as a standard user (tools/run_tests.py runs this suite as a Linux user
// that may not write to the prefix's Windows and Program Files folders).
class StandardUser : public AnimatedDesktop {
 protected:
  void SetUp() override {
    AnimatedDesktop::SetUp();
    oldStyle_ = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "WallpaperStyle");
    oldTile_ = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "TileWallpaper");
  }
  void TearDown() override {
    AnimatedDesktop::TearDown();
    SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "WallpaperStyle", oldStyle_);
    SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "TileWallpaper", oldTile_);
  }
  void InstallApplyAndUninstall(bool silent);
  std::string oldStyle_, oldTile_;
};

// The entry's own command, as Apps & features starts it: confirmed, through
// the copy's final box.
void UninstallFromTheEntry() {
  const std::string command = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString");
  ASSERT_EQ(command.rfind("\"", 0), 0u) << command;
  const std::size_t close = command.find('"', 1);
  ASSERT_NE(close, std::string::npos) << command;
  ASSERT_EQ(command.substr(close + 1), " uninstall");
  Uninstall(command.substr(1, close - 1));
}

// The silent runs a package manager makes: each must end with 0, and no
// window of ours may show meanwhile.
void RunSilently(const std::string& commandLine) {
  const wine_test::UnseenRun run = wine_test::RunUnseen(commandLine);
  ASSERT_TRUE(run.ended) << commandLine;
  EXPECT_EQ(run.exitCode, 0u) << commandLine;
  EXPECT_EQ(run.shown, "") << commandLine;
}

// Install, desktop mode, Change Options, `apply` and the uninstall from its
// entry, all with a standard user's rights: everything goes to the user's own
// folders and keys, nothing to the Windows or Program Files folders or to
// HKEY_LOCAL_MACHINE, and the uninstall leaves the machine as it was.
// Silent: the install and Change Options are "/S" runs, the uninstall is the
// entry's QuietUninstallString run as written; all leave what the window's do.
void StandardUser::InstallApplyAndUninstall(bool silent) {
  const wine_test::Windows10Desktop windows10;
  ASSERT_TRUE(windows10.ready());

  // The desktop before: a picture of the user's, placed as "fill".
  const std::string previous = mervalis::GetSpecialFolder(CSIDL_PERSONAL) + "\\previous.bmp";
  ASSERT_TRUE(wine_test::WriteFileBytes(previous, "BM previous picture"));
  // What Windows has from the start, and Wine does not.
  for (const char* key : {kRunKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
    mervalis::RegistryKey made;
    ASSERT_EQ(made.Create(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
  }
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetSpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Programs"));
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", previous);
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "WallpaperStyle", "10");
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "TileWallpaper", "0");
  SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", kPreviousPage);
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  active_desktop_fixture::ClearCalls();

  if (silent) {
    RunSilently("\"" + wine_test::ProgramPath() + "\" /S");
  } else {
    wine_test::InstallThroughWindow();
  }
  if (HasFatalFailure()) return;
  const auto paths = wine_test::PerUserPaths();
  ASSERT_TRUE(mervalis::FileExists(paths.applicationFile));
  EXPECT_EQ(wine_test::ReadFileBytes(paths.applicationFile), wine_test::ReadFileBytes(wine_test::ProgramPath()));
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue),
            "\"" + paths.applicationFile + "\" desktop");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
            paths.imagesFolder + "background.bmp");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "WallpaperStyle"), "2");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "TileWallpaper"), "0");
  EXPECT_TRUE(mervalis::FileExists(paths.imagesFolder + "background.bmp"));
  // Only what the desktop drawn behind the icons uses: no page, pictures or control.
  EXPECT_EQ(wine_test::FolderListing(paths.imagesFolder), std::vector<std::string>{"background.bmp"});
  EXPECT_EQ(wine_test::FolderListing(paths.installFolder), std::vector<std::string>{"Mervalis.exe"});
  // The user's own entry and shortcuts.
  std::string location = paths.installFolder;
  location.pop_back();
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), location);
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"), "Quorvane - Mervalis");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString"),
            "\"" + paths.applicationFile + "\" uninstall /S");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Quorvanesoft\\Options", "Mervalis"), "5");
  EXPECT_EQ(wine_test::ReadShortcut(paths.startMenuGroup + "\\Mervalis.lnk").target, paths.applicationFile);
  EXPECT_EQ(wine_test::ReadShortcut(paths.desktopFolder + "\\Mervalis.lnk").target, paths.applicationFile);
  EXPECT_TRUE(SetWallpaperCalls().empty());
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), previous);
  // The mode runs, from the installed copy, and stays.
  ASSERT_TRUE(robot::WaitUntil([] { return DesktopModeProcess() != 0; }, 15000)) << "no desktop mode started";
  const DWORD first = DesktopModeProcess();
  ::Sleep(1500);
  EXPECT_TRUE(DesktopModeRuns());
  EXPECT_EQ(DesktopModeProcess(), first);

  // Change Options: the mode lets go of the application file, which is
  // replaced, and comes back with the new layout; what was there before the
  // first install stays remembered.
  const FILETIME written = LastWrite(paths.applicationFile);
  ::Sleep(1100);
  if (silent) {
    RunSilently("\"" + wine_test::ProgramPath() + "\" /Quiet /LAYOUT=centered");
  } else {
    InstallAgainCentred();
  }
  if (HasFatalFailure()) return;
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Quorvanesoft\\Options", "Mervalis"), "1");
  const FILETIME rewritten = LastWrite(paths.applicationFile);
  EXPECT_GT(::CompareFileTime(&rewritten, &written), 0) << "the application file was not replaced";
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), previous);
  EXPECT_TRUE(robot::WaitUntil([&] { return DesktopModeProcess() != 0 && DesktopModeProcess() != first; }, 15000))
      << "the desktop mode was not restarted";
  const DWORD second = DesktopModeProcess();

  // `apply` of the installed wallpaper starts it anew too, and says it worked.
  Process apply(paths.applicationFile, "apply");
  DWORD code = 1;
  ASSERT_TRUE(apply.WaitForExit(60000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(robot::WaitUntil([&] { return DesktopModeProcess() != 0 && DesktopModeProcess() != second; }, 15000))
      << "the desktop mode was not restarted";

  // The user sets another picture in Settings: the logon no longer starts the
  // animation; `apply` brings it back, with its logon entry.
  const DWORD third = DesktopModeProcess();
  // Once the animation shows, as the user sees it before choosing.
  ASSERT_TRUE(robot::WaitUntil([&] { return !wine_test::ShownDesktopViews(third).empty(); }, 15000))
      << "the restarted mode showed nothing";
  ASSERT_TRUE(::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(previous.c_str()),
                                      SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
  EXPECT_TRUE(robot::WaitUntil([] { return !RunValueExists(); }, 10000)) << "the logon entry stayed";
  Process again(paths.applicationFile, "apply");
  ASSERT_TRUE(again.WaitForExit(60000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
            paths.imagesFolder + "background.bmp");
  EXPECT_TRUE(robot::WaitUntil([&] { return DesktopModeProcess() != 0 && DesktopModeProcess() != third; }, 15000))
      << "the desktop mode was not restarted";
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue),
            "\"" + paths.applicationFile + "\" desktop");

  // An earlier run's log and report, written while the log was on, go too.
  for (const char* name : {"Mervalis.log", "Mervalis.old.log", "Mervalis report.txt"}) {
    EXPECT_TRUE(wine_test::WriteFileBytes(mervalis::GetSpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Quorvane\\" + name, "x"));
  }
  if (silent) {
    RunSilently(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString"));
  } else {
    UninstallFromTheEntry();
  }
  if (HasFatalFailure()) return;
  EXPECT_FALSE(DesktopModeRuns());
  EXPECT_FALSE(RunValueExists());
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), previous);
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "WallpaperStyle"), "10");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "TileWallpaper"), "0");
  EXPECT_TRUE(SetWallpaperCalls().empty());
  const std::vector<std::string> expectedChanges = {
      "hkcu\\software\\quorvanesoft",  // the remembered wallpaper stays on purpose
      "\\temp\\",                      // the uninstaller's copy, until the next start
      "hkcu\\software\\wine",
      "hkcu\\software\\mervalistests",
      "hkcu\\software\\microsoft\\windows\\currentversion\\explorer",
      "hkcu\\control panel\\desktop|wallpaper",  // checked above
  };
  std::string difference;
  for (const auto& line : wine_test::Difference(before, wine_test::TakeSnapshot(scope), expectedChanges)) {
    difference += line + "\n";
  }
  EXPECT_EQ(difference, "");

  // The next start of the program takes the uninstaller's copy away.
  char temporaryBuffer[MAX_PATH] = {};
  ASSERT_NE(::GetTempPathA(MAX_PATH, temporaryBuffer), 0u);
  const std::string temporary = temporaryBuffer;
  const auto copies = [&] {
    std::size_t n = 0;
    for (const auto& name : wine_test::FolderListing(temporary)) n += name.rfind("Mervalis-uninstall-", 0) == 0;
    return n;
  };
  // A silent uninstall's starter takes the copy away once it has ended, but
  // not the program file it runs from, which the copy moved beside itself.
  EXPECT_EQ(copies(), 1u);
  for (const auto& name : wine_test::FolderListing(temporary)) {
    if (name.rfind("Mervalis-uninstall-", 0) != 0) continue;
    EXPECT_EQ(wine_test::FolderListing(temporary + name + "\\"),
              std::vector<std::string>{silent ? "Mervalis-uninstalled.exe" : "QuorUninst1.exe"});
  }
  Process preview(wine_test::ProgramPath(), "preview");
  EXPECT_TRUE(robot::WaitUntil([&] { return copies() == 0; }, 15000)) << "the uninstaller's copy stayed";
  wine_test::KillProcessesNamed("Mervalis.exe");
  ::DeleteFileA(previous.c_str());
}

TEST_F(StandardUser, InstallsAppliesAndUninstallsInTheUsersOwnFolders) { InstallApplyAndUninstall(false); }
TEST_F(StandardUser, SilentInstallAndQuietUninstallLeaveWhatTheWindowsDo) { InstallApplyAndUninstall(true); }

// Before Vista the install is the machine's: a silent install by an account
// that may not write there ends with its code (4), shows nothing and
// writes nothing.
TEST_F(StandardUser, SilentInstallOnXpWithoutAnAdministratorsRightsWritesNothing) {
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  const wine_test::UnseenRun run = wine_test::RunUnseen("\"" + wine_test::ProgramPath() + "\" /S");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 4u);
  EXPECT_EQ(run.shown, "");
  std::string difference;
  for (const auto& line : wine_test::Difference(before, wine_test::TakeSnapshot(scope),
                                                {"hkcu\\software\\wine", "hkcu\\software\\mervalistests"})) {
    difference += line + "\n";
  }
  EXPECT_EQ(difference, "");
}

// With Windows' animations inside windows off (the "best performance"
// setting), Explorer makes no window behind the icons: the done panel says
// which setting to switch on, and switching it on places the animation
// without a restart.
TEST_F(AnimatedDesktop, AnimationsOffAreNamedOnTheDonePanelAndSwitchingThemOnPlacesIt) {
  wine_test::ScopedWindowsVersion windows10("win10");
  ASSERT_TRUE(windows10.ok());
  constexpr UINT kSetClientAreaAnimation = 0x1043;  // SPI_SETCLIENTAREAANIMATION
  const auto animations = [&](bool on, UINT flags) {
    return ::SystemParametersInfoA(kSetClientAreaAnimation, 0, reinterpret_cast<void*>(on ? 1 : 0), flags) != FALSE;
  };
  // Stored only: programs started from now on read it.
  ASSERT_TRUE(animations(false, SPIF_UPDATEINIFILE));
  const mervalis::ScopeExit restore([&] { animations(true, SPIF_UPDATEINIFILE); });
  Process shell(wine_test::BinFolder() + "shell_standin.exe", "still");
  ASSERT_NE(robot::WaitForWindow({"Progman", "Program Manager", shell.id(), true}, 10000), nullptr);

  std::optional<robot::ControlInfo> notice, saveReport;
  wine_test::InstallThroughWindow(wine_test::ProgramPath(), [&](HWND window) {
    notice = robot::Control(window, mervalis::ui::kLblDesktopNotice);
    saveReport = robot::Control(window, mervalis::ui::kBtnSaveReport);
    EXPECT_TRUE(robot::SaveScreenshot(window, wine_test::ArtifactFolder() + "done_animations_off.bmp"));
  });
  if (HasFatalFailure()) return;
  ASSERT_TRUE(notice && notice->visible) << "no notice on the done panel";
  EXPECT_NE(notice->text.find("\"Animate controls and elements inside windows\""), std::string::npos)
      << notice->text;
  ASSERT_TRUE(saveReport && saveReport->visible) << "no \"Save a report\" beside the reason";
  EXPECT_EQ(saveReport->text, "&Save a report");
  const DWORD mode = DesktopModeProcess();
  ASSERT_NE(mode, 0u) << "no desktop mode started";
  EXPECT_TRUE(wine_test::ShownDesktopViews(mode).empty());

  // Past the mode's minute of looking, so that only the setting's word
  // brings it; switched on, and every window told, as the settings do.
  ::Sleep(62000);
  EXPECT_TRUE(wine_test::ShownDesktopViews(mode).empty());
  ASSERT_TRUE(animations(true, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
  EXPECT_TRUE(robot::WaitUntil([&] { return !wine_test::ShownDesktopViews(mode).empty(); }, 15000))
      << "not placed once animations were on";
  EXPECT_EQ(DesktopModeProcess(), mode) << "restarted";
}

// Windows 7's shell, raised, keeps the wallpaper's WorkerW over Progman: the
// mode hides it and animates inside Progman. The uninstall leaves the shell
// as it found it: that WorkerW shown again, no window of ours anywhere.
TEST_F(AnimatedDesktop, Windows7AnimatesInsideProgmanAndTheUninstallLeavesTheShellAsItWas) {
  const wine_test::StandInDesktop windows7("win7", "win7");
  ASSERT_TRUE(windows7.ready());
  { mervalis::RegistryKey run; ASSERT_EQ(run.Create(HKEY_CURRENT_USER, kRunKey), ERROR_SUCCESS); }
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(robot::WaitUntil([] { return DesktopModeProcess() != 0; }, 15000)) << "no desktop mode started";
  const DWORD mode = DesktopModeProcess();
  std::vector<HWND> views;
  ASSERT_TRUE(robot::WaitUntil([&] { return !(views = wine_test::ShownDesktopViews(mode)).empty(); }, 15000));
  HWND progman = ::FindWindowA("Progman", "Program Manager");
  // The stand-in's WorkerW windows: the icons' one, and the wallpaper's, which
  // covers the screen (its others are small).
  HWND icons = nullptr, worker = nullptr;
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); w;
       w = ::FindWindowExA(nullptr, w, "WorkerW", nullptr)) {
    RECT r = {};
    if (::FindWindowExA(w, nullptr, "SHELLDLL_DefView", nullptr)) {
      icons = w;
    } else if (::GetWindowRect(w, &r) && r.right - r.left >= ::GetSystemMetrics(SM_CXSCREEN)) {
      worker = w;
    }
  }
  ASSERT_NE(icons, nullptr) << "the stand-in was not raised";
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(::GetParent(views.front()), progman);
  EXPECT_TRUE(robot::WaitUntil([&] { return !::IsWindowVisible(worker); }, 5000)) << "its WorkerW still shows";
  ::Sleep(1000);
  EXPECT_GT(wine_test::CpuOver(mode, 6000), 20.0) << "the animation does not seem to run";

  Uninstall(wine_test::PerUserPaths().applicationFile);
  if (HasFatalFailure()) return;
  EXPECT_FALSE(DesktopModeRuns());
  EXPECT_TRUE(robot::WaitUntil([&] { return ::IsWindowVisible(worker) != FALSE; }, 5000)) << "its WorkerW stays hidden";
  EXPECT_EQ(::FindWindowExA(progman, nullptr, kDesktopViewClass, nullptr), nullptr);
  EXPECT_EQ(::FindWindowA(kDesktopHostClass, nullptr), nullptr);
}

// Vista's shell has no window behind the icons: the done panel says at once
// that the still picture is what this Windows shows.
TEST_F(AnimatedDesktop, VistaKeepsTheStillPictureAndTheDonePanelSaysSo) {
  wine_test::ScopedWindowsVersion vista("vista");
  ASSERT_TRUE(vista.ok());
  { mervalis::RegistryKey run; ASSERT_EQ(run.Create(HKEY_CURRENT_USER, kRunKey), ERROR_SUCCESS); }
  std::optional<robot::ControlInfo> notice;
  wine_test::InstallThroughWindow(wine_test::ProgramPath(), [&](HWND window) {
    notice = robot::Control(window, mervalis::ui::kLblDesktopNotice);
  });
  if (HasFatalFailure()) return;
  ASSERT_TRUE(notice && notice->visible) << "no notice on the done panel";
  EXPECT_NE(notice->text.find("still picture is what this Windows shows"), std::string::npos) << notice->text;
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
            wine_test::PerUserPaths().imagesFolder + "background.bmp");
}

// Wide-character file and registry helpers of this test: its paths hold
// characters that no ANSI code page of a Western Windows has.
bool WriteWide(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(mervalis::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(file);
  return ok;
}
bool ExistsWide(const std::string& path) {
  return ::GetFileAttributesW(mervalis::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A user whose folders are named in Chinese and Japanese on a Western
// Windows: the installer started from such a folder, the local application
// data redirected to one, and a previous wallpaper in one. Install, desktop
// mode and uninstall work, and the wallpaper comes back byte for byte.
TEST_F(AnimatedDesktop, FoldersNamedInAnyScriptInstallRunAndUninstall) {
  const wine_test::Windows10Desktop windows10;
  ASSERT_TRUE(windows10.ready());

  const std::string downloads = "C:\\\xE4\xB8\x8B\xE8\xBD\xBD \xE5\xA3\x81\xE7\xBA\xB8\\";  // "下载 壁纸"
  const std::string local = "C:\\\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC\\Local";  // "ユーザー"
  const std::string previous = downloads + "\xE5\x89\x8D\xE3\x81\xAE.bmp";  // "前の.bmp"
  const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const wine_test::SavedValue keepLocal(HKEY_CURRENT_USER, kShellFolders, "Local AppData");
  ASSERT_TRUE(::CreateDirectoryW(mervalis::Widen(downloads).c_str(), nullptr) ||
              ::GetLastError() == ERROR_ALREADY_EXISTS);
  ::CreateDirectoryW(mervalis::Widen(local.substr(0, local.size() - 6)).c_str(), nullptr);
  ::CreateDirectoryW(mervalis::Widen(local).c_str(), nullptr);
  ASSERT_TRUE(WriteWide(downloads + "Mervalis.exe", wine_test::ReadFileBytes(wine_test::ProgramPath())));
  ASSERT_TRUE(WriteWide(previous, "BM previous picture"));
  const std::wstring localW = mervalis::Widen(local);
  ASSERT_TRUE(wine_test::SetValue(HKEY_CURRENT_USER, kShellFolders, "Local AppData", REG_EXPAND_SZ, localW.c_str(),
                                  static_cast<DWORD>((localW.size() + 1) * sizeof(wchar_t))));
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", previous);
  { mervalis::RegistryKey run; ASSERT_EQ(run.Create(HKEY_CURRENT_USER, kRunKey), ERROR_SUCCESS); }

  wine_test::InstallThroughWindow(downloads + "Mervalis.exe");
  const std::string installed = local + "\\Programs\\Quorvane\\Mervalis.exe";
  const std::string background = local + "\\Quorvane\\QVImages\\Mervalis\\background.bmp";
  if (!HasFatalFailure()) {
    EXPECT_TRUE(ExistsWide(installed));
    EXPECT_TRUE(ExistsWide(background));
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), background);
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue), "\"" + installed + "\" desktop");
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), previous);
    EXPECT_TRUE(robot::WaitUntil([] { return DesktopModeProcess() != 0; }, 15000)) << "no desktop mode started";
    Uninstall(installed);
  }
  if (!HasFatalFailure()) {
    EXPECT_FALSE(ExistsWide(installed));
    EXPECT_FALSE(ExistsWide(background));
    EXPECT_FALSE(DesktopModeRuns());
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), previous);
  }
  wine_test::KillProcessesNamed("Mervalis.exe");
  ::DeleteFileW(mervalis::Widen(previous).c_str());
  ::DeleteFileW(mervalis::Widen(downloads + "Mervalis.exe").c_str());
  ::RemoveDirectoryW(mervalis::Widen(downloads).c_str());
  for (const std::string& folder : {local + "\\Programs", local, local.substr(0, local.size() - 6)}) {
    ::RemoveDirectoryW(mervalis::Widen(folder).c_str());
  }
}

// Another wallpaper of the family is shown, its install having remembered
// the user's own picture: ours keeps that value, and its uninstall brings the
// user's picture back, not the other wallpaper's background.
TEST_F(AnimatedDesktop, AnotherFamilyWallpaperShownLeavesTheUsersPictureRemembered) {
  const wine_test::Windows10Desktop windows10;
  ASSERT_TRUE(windows10.ready());
  const auto paths = wine_test::PerUserPaths();
  const std::string otherEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - Coral Reef";
  const std::string otherImages = mervalis::GetSpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Quorvane\\QVImages\\CoralReef\\";
  SetString(HKEY_CURRENT_USER, otherEntry.c_str(), "DisplayName", "Coral Reef");
  ASSERT_TRUE(mervalis::ForceDirectories(otherImages));
  ASSERT_TRUE(wine_test::WriteFileBytes(otherImages + "background.bmp", "BM coral reef"));
  ASSERT_TRUE(wine_test::WriteFileBytes(kPreviousPlain, "BM previous picture"));
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", otherImages + "background.bmp");
  SetString(HKEY_CURRENT_USER, kCompanyKey, "lastwp", kPreviousPlain);
  SetString(HKEY_CURRENT_USER, kCompanyKey, "lastap", "");
  { mervalis::RegistryKey run; ASSERT_EQ(run.Create(HKEY_CURRENT_USER, kRunKey), ERROR_SUCCESS); }

  wine_test::InstallThroughWindow();
  if (!HasFatalFailure()) {
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
              paths.imagesFolder + "background.bmp");
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), kPreviousPlain);
    Uninstall(paths.applicationFile);
  }
  if (!HasFatalFailure()) {
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), kPreviousPlain);
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), kPreviousPlain);
  }
  (void)mervalis::DeleteKeyTree(HKEY_CURRENT_USER, otherEntry);
  ::DeleteFileA((otherImages + "background.bmp").c_str());
  ::RemoveDirectoryA(otherImages.c_str());
  ::DeleteFileA(kPreviousPlain);
}

// The desktop shows Windows' own copy of the user's picture: the picture it
// was made from, as Windows 8 and later record it, is remembered and put back.
TEST_F(AnimatedDesktop, WindowsCopyOfThePictureRemembersTheOriginal) {
  const wine_test::Windows10Desktop windows10;
  ASSERT_TRUE(windows10.ready());
  ASSERT_TRUE(wine_test::WriteFileBytes(kPreviousPlain, "BM previous picture"));
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper",
            mervalis::GetSpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Windows\\Themes\\TranscodedWallpaper");
  // "TranscodedImageCache": a header of 24 bytes, then the path in UTF-16.
  std::wstring cache(12, L'\x1');
  cache += mervalis::Widen(kPreviousPlain);
  cache.resize(0x320 / 2, L'\0');
  const wine_test::SavedValue keepCache(HKEY_CURRENT_USER, kPlainDesktopKey, "TranscodedImageCache");
  ASSERT_TRUE(wine_test::SetValue(HKEY_CURRENT_USER, kPlainDesktopKey, "TranscodedImageCache", REG_BINARY,
                                  cache.data(), 0x320));
  { mervalis::RegistryKey run; ASSERT_EQ(run.Create(HKEY_CURRENT_USER, kRunKey), ERROR_SUCCESS); }

  wine_test::InstallThroughWindow();
  if (!HasFatalFailure()) {
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp"), kPreviousPlain);
    Uninstall(wine_test::PerUserPaths().applicationFile);
  }
  if (!HasFatalFailure()) {
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), kPreviousPlain);
  }
  ::DeleteFileA(kPreviousPlain);
}

std::optional<DWORD> ReadNumber(const char* key, const char* name) {
  mervalis::RegistryKey r;
  DWORD value = 0;
  if (r.Open(HKEY_CURRENT_USER, key, KEY_READ) != ERROR_SUCCESS || r.ReadDword(name, value) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// Windows' Spotlight, and a slideshow with its settings, replacing the
// picture every two seconds: the install ends the rotation as choosing a
// picture in Settings does, so the picture stays ours and the mode animates;
// the uninstall puts the kind back, with the slideshow's settings.
TEST_F(AnimatedDesktop, SpotlightAndSlideshowEndAtTheInstallAndComeBackAtTheUninstall) {
  const wine_test::Windows10Desktop windows10;
  ASSERT_TRUE(windows10.ready());
  const char kKindKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpapers";
  const char kSlideshowKey[] = "Control Panel\\Personalization\\Desktop Slideshow";
  const std::vector<std::string> pictures = {"C:\\windows\\rotation1.bmp", "C:\\windows\\rotation2.bmp"};
  for (const std::string& picture : pictures) ASSERT_TRUE(wine_test::WriteFileBytes(picture, "BM " + picture));
  { mervalis::RegistryKey run; ASSERT_EQ(run.Create(HKEY_CURRENT_USER, kRunKey), ERROR_SUCCESS); }
  const struct {
    DWORD kind;
    std::optional<DWORD> interval, shuffle;
  } rows[] = {{3, std::nullopt, std::nullopt}, {2, 600000, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.kind);
    mervalis::RegistryKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kKindKey), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword("BackgroundType", row.kind), ERROR_SUCCESS);
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kSlideshowKey), ERROR_SUCCESS);
    if (row.interval) {
      ASSERT_TRUE(key.WriteDword("Interval", *row.interval) == 0 && key.WriteDword("Shuffle", *row.shuffle) == 0);
    }
    windows_rotation::RotationStandIn rotation(pictures);
    ASSERT_TRUE(robot::WaitUntil([&] { return rotation.replaced() >= 1; }, 10000)) << "the rotation never ran";

    wine_test::InstallThroughWindow();
    if (HasFatalFailure()) break;
    const auto paths = wine_test::PerUserPaths();
    EXPECT_EQ(ReadNumber(kKindKey, "BackgroundType"), 0u);
    ASSERT_TRUE(robot::WaitUntil([] { return DesktopModeProcess() != 0; }, 15000)) << "no desktop mode started";
    const DWORD mode = DesktopModeProcess();
    const int replacedAtInstall = rotation.replaced();
    ::Sleep(5000);  // two of the rotation's periods and more
    EXPECT_EQ(rotation.replaced(), replacedAtInstall);
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
              paths.imagesFolder + "background.bmp");
    EXPECT_TRUE(robot::WaitUntil([&] { return !wine_test::ShownDesktopViews(mode).empty(); }, 15000));
    EXPECT_EQ(DesktopModeProcess(), mode);
    EXPECT_TRUE(RunValueExists());

    Uninstall(paths.applicationFile);
    if (HasFatalFailure()) break;
    EXPECT_EQ(ReadNumber(kKindKey, "BackgroundType"), row.kind);
    EXPECT_EQ(ReadNumber(kSlideshowKey, "Interval"), row.interval);
    EXPECT_EQ(ReadNumber(kSlideshowKey, "Shuffle"), row.shuffle);
    EXPECT_TRUE(robot::WaitUntil([&] { return rotation.replaced() > replacedAtInstall; }, 10000));
  }
  (void)mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kSlideshowKey);
  mervalis::RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, kKindKey) == ERROR_SUCCESS) (void)key.DeleteValue("BackgroundType");
  for (const std::string& picture : pictures) ::DeleteFileA(picture.c_str());
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
