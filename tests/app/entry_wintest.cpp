// The program's entry under Wine: run modes, single instance, the uninstall
// hand-over, the clearing of the debug log and the libraries it loads.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/folders_win.h"
#include "common/registry_win.h"
#include "robot.h"
#include "wine/installation.h"
#include "wine/support.h"
#include "wine/windows_version.h"

namespace {

using wine_test::Process;
using wine_test::ProgramPath;

constexpr char kMainCaption[] = "Quorvanesoft - Animated Desktop Wallpaper";

class Entry : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  static void Clean() {
    wine_test::KillProcessesNamed("QuorUninst1.exe");
    ::DeleteFileA(UninstallerCopy().c_str());
    ::DeleteFileA(DebugLog().c_str());
  }
  static std::string UninstallerCopy() { return mervalis::GetSystemFolder() + "QuorUninst1.exe"; }
  static std::string DebugLog() { return mervalis::GetInstallFolder() + "Debug.log"; }

  // The main window of a normal-mode process, or nullptr.
  static HWND MainWindowOf(const Process& p, DWORD timeoutMs = robot::kDefaultTimeoutMs) {
    return robot::WaitForWindow({"TfrmMain", kMainCaption, p.id()}, timeoutMs);
  }
  static void CloseNormally(Process& p, HWND window) {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(p.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
  }
};

TEST_F(Entry, ModeWordsInAnyCaseOrQuotedSelectTheApplyMode) {
  for (const char* args : {"APPLY", "\" apply \"", "apply extra", "Apply"}) {
    SCOPED_TRACE(args);
    Process p(ProgramPath(), args);
    ASSERT_TRUE(p.started());
    DWORD code = 1;
    // The apply mode never shows a window and ends by itself.
    ASSERT_TRUE(p.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
  }
}

TEST_F(Entry, AnythingElseStartsTheInstallerWindow) {
  for (const char* args : {"", "/apply", "-uninstall", "applyx", "\"\" apply"}) {
    SCOPED_TRACE(args);
    Process p(ProgramPath(), args);
    HWND window = MainWindowOf(p);
    ASSERT_NE(window, nullptr);
    // The application window carries the title and owns the main window.
    HWND app = robot::FindTopLevel({"TApplication", "Quorvanesoft", p.id(), false});
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(::GetWindow(window, GW_OWNER), app);
    CloseNormally(p, window);
  }
}

TEST_F(Entry, BadCommandLinesDoNotCrash) {
  const std::string exe = ProgramPath();
  const std::string longArgument(20000, 'a');
  for (const std::string& line :
       {"\"" + exe + "\" " + longArgument, "\"" + exe + "\" \"apply", "\"" + exe + "\" \"\xE9\xA0\xFF\x01\"",
        "\"" + exe + "\" \"" + longArgument + " uninstall"}) {
    Process p = Process::WithCommandLine(exe, line);
    ASSERT_TRUE(p.started());
    if (line.find("\"apply") != std::string::npos) {
      DWORD code = 1;  // an unbalanced quote still reads as "apply"
      ASSERT_TRUE(p.WaitForExit(20000, &code));
      EXPECT_EQ(code, 0u);
      continue;
    }
    HWND window = MainWindowOf(p);
    ASSERT_NE(window, nullptr) << line.substr(0, 80);
    CloseNormally(p, window);
  }
}

TEST_F(Entry, SecondNormalStartRestoresTheFirstAndEndsQuietly) {
  Process first(ProgramPath(), "");
  HWND window = MainWindowOf(first);
  ASSERT_NE(window, nullptr);
  HWND app = robot::FindTopLevel({"TApplication", "Quorvanesoft", first.id(), false});
  ASSERT_NE(app, nullptr);

  // Minimise it as the title-bar button does.
  ::PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(robot::WaitUntil([&] { return ::IsIconic(app) && !::IsWindowVisible(window); }, 5000));

  Process second(ProgramPath(), "");
  DWORD code = 1;
  ASSERT_TRUE(second.WaitForExit(3000, &code));
  EXPECT_EQ(code, 0u);
  // It showed nothing of its own ...
  EXPECT_EQ(robot::FindTopLevel({"", "", second.id(), true}), nullptr);
  // ... and brought the first back.
  EXPECT_TRUE(robot::WaitUntil([&] { return !::IsIconic(app) && ::IsWindowVisible(window); }, 5000));
  CloseNormally(first, window);
}

TEST_F(Entry, StartWhileItsModesMutexExistsEndsAtOnceWithoutAWindow) {
  struct Case {
    const char* mutex;
    const char* arguments;
    DWORD code;
  };
  // A silent install ends with 3 when an install (the window's mutex) or an
  // uninstall (which owns the apply's) runs.
  for (const Case& c : {Case{"QUORVANESOFTMRVLS", "", 0}, Case{"QUORVANESOFTMRVLSSILENT", "apply", 0},
                        Case{"QUORVANESOFTMRVLS", "/S", 3}, Case{"QUORVANESOFTMRVLSSILENT", "/silent", 3}}) {
    SCOPED_TRACE(std::string(c.mutex) + " " + c.arguments);
    // An instance of that mode is running: its mutex exists, owned.
    HANDLE running = ::CreateMutexA(nullptr, TRUE, c.mutex);
    ASSERT_NE(running, nullptr);
    Process p(ProgramPath(), c.arguments);
    DWORD code = 1;
    EXPECT_TRUE(p.WaitForExit(3000, &code));
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(robot::FindTopLevel({"", "", p.id(), true}), nullptr);
    ::ReleaseMutex(running);
    ::CloseHandle(running);
  }
}

TEST_F(Entry, NormalAndApplyModesDoNotExcludeEachOther) {
  Process window(ProgramPath(), "");
  HWND main = MainWindowOf(window);
  ASSERT_NE(main, nullptr);
  Process apply(ProgramPath(), "apply");
  DWORD code = 1;
  EXPECT_TRUE(apply.WaitForExit(20000, &code));
  EXPECT_TRUE(::IsWindow(main));
  CloseNormally(window, main);
}

TEST_F(Entry, UninstallAnsweredNoLeavesTheCopyAndStartsNothing) {
  Process p(ProgramPath(), "uninstall");
  auto box = robot::WaitForMessageBox("Quorvanesoft", p.id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "Are you sure you want to uninstall this animated wallpaper?");
  ASSERT_EQ(box->buttons.size(), 2u);
  EXPECT_TRUE(box->hasIcon);
  // The copy is made before the question.
  EXPECT_EQ(wine_test::ReadFileBytes(UninstallerCopy()), wine_test::ReadFileBytes(ProgramPath()));
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "No"));
  DWORD code = 1;
  ASSERT_TRUE(p.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
  ::Sleep(1000);
  EXPECT_FALSE(wine_test::IsProcessRunning("QuorUninst1.exe"));
  EXPECT_TRUE(mervalis::FileExists(UninstallerCopy()));
}

TEST_F(Entry, UninstallAnsweredYesRunsTheCopyWithDoUninstall) {
  // An old copy is replaced by the running program.
  ASSERT_TRUE(wine_test::WriteFileBytes(UninstallerCopy(), "old copy"));
  Process p(ProgramPath(), "uninstall");
  auto box = robot::WaitForMessageBox("Quorvanesoft", p.id());
  ASSERT_TRUE(box);
  EXPECT_EQ(wine_test::ReadFileBytes(UninstallerCopy()), wine_test::ReadFileBytes(ProgramPath()));
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "Yes"));
  ASSERT_TRUE(p.WaitForExit(10000));
  // The copy runs the uninstaller, whose only output is its final box.
  ASSERT_TRUE(robot::WaitUntil([] { return wine_test::IsProcessRunning("QuorUninst1.exe"); }, 10000));
  auto final = robot::WaitForMessageBox("Quorvanesoft");
  ASSERT_TRUE(final);
  EXPECT_EQ(final->text, "Mervalis has been successfully removed from your computer.");
  ASSERT_TRUE(robot::PressMessageBoxButton(*final, "OK"));
  EXPECT_TRUE(robot::WaitUntil([] { return !wine_test::IsProcessRunning("QuorUninst1.exe"); }, 10000));
}

// An older copy that cannot be replaced (another wallpaper's uninstall still
// runs from it) is never started in place of this wallpaper's: a box says
// the uninstall could not start, and nothing runs.
TEST_F(Entry, UninstallerCopyThatCannotBeWrittenIsReportedAndNothingStarts) {
  ASSERT_TRUE(wine_test::WriteFileBytes(UninstallerCopy(), "another wallpaper's copy"));
  HANDLE held = ::CreateFileA(UninstallerCopy().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Process p(ProgramPath(), "uninstall");
  auto box = robot::WaitForMessageBox("Quorvanesoft", p.id());
  ::CloseHandle(held);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "The uninstaller could not be prepared, so nothing was removed. Please try again in a moment.");
  EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "OK"));
  ASSERT_TRUE(p.WaitForExit(10000));
  ::Sleep(1000);
  EXPECT_FALSE(wine_test::IsProcessRunning("QuorUninst1.exe"));
  EXPECT_EQ(wine_test::ReadFileBytes(UninstallerCopy()), "another wallpaper's copy");
}

TEST_F(Entry, StaleDebugLogIsDeletedInEveryMode) {
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetInstallFolder()));
  const auto stale = [] { return wine_test::WriteFileBytes(DebugLog(), "old run\r\n"); };

  ASSERT_TRUE(stale());
  {
    Process p(ProgramPath(), "");
    HWND window = MainWindowOf(p);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(mervalis::FileExists(DebugLog()));
    CloseNormally(p, window);
  }
  ASSERT_TRUE(stale());
  {
    Process p(ProgramPath(), "apply");
    ASSERT_TRUE(p.WaitForExit(20000));
    EXPECT_FALSE(mervalis::FileExists(DebugLog()));
  }
  // The modes that ask first: the log is gone while their box is up.
  for (const auto& [mode, answer] : {std::pair{"uninstall", "No"}, std::pair{"douninstall", "OK"}}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(stale());
    Process p(ProgramPath(), mode);
    auto box = robot::WaitForMessageBox("Quorvanesoft", p.id());
    ASSERT_TRUE(box);
    EXPECT_FALSE(mervalis::FileExists(DebugLog()));
    robot::PressMessageBoxButton(*box, answer);
    ASSERT_TRUE(p.WaitForExit(10000));
  }
  // The release build writes no log of its own.
  EXPECT_FALSE(mervalis::FileExists(DebugLog()));
}

// Windows gives the user's local application data as a relative folder
// (Windows 10, per-user install): every mode stops before it deletes or
// writes anything by a relative name, the watched ones with a box, `apply`
// silently with its failure code. The decoys in the current folder stay.
TEST_F(Entry, RelativeBaseFolderStopsEveryModeAndTouchesNothing) {
  wine_test::ScopedWindowsVersion windows10("win10");
  ASSERT_TRUE(windows10.ok());
  const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  // Put back as it was, type and all (an expandable string).
  ASSERT_TRUE(wine_test::ValueExists(HKEY_CURRENT_USER, kShellFolders, "Local AppData"));
  const wine_test::SavedValue keepLocal(HKEY_CURRENT_USER, kShellFolders, "Local AppData");
  char oldCurrent[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, oldCurrent);
  struct Restore {
    const char* current;
    ~Restore() { ::SetCurrentDirectoryA(current); }
  } restore{oldCurrent};
  ASSERT_TRUE(wine_test::SetString(HKEY_CURRENT_USER, kShellFolders, "Local AppData", "Relative\\Local"));
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string here = std::string(temp) + "mervalis relative\\";
  ASSERT_TRUE(mervalis::ForceDirectories(here));
  for (const char* decoy : {"Mervalis.exe", "Debug.log", "background.bmp"}) {
    ASSERT_TRUE(wine_test::WriteFileBytes(here + decoy, "not the program's"));
  }
  ::SetCurrentDirectoryA(here.c_str());
  for (const char* mode : {"", "douninstall", "apply"}) {
    SCOPED_TRACE(mode);
    Process p(ProgramPath(), mode);
    DWORD code = 0;
    if (*mode != 'a') {
      auto box = robot::WaitForMessageBox("Quorvanesoft", p.id());
      ASSERT_TRUE(box);
      EXPECT_EQ(box->text, "Windows did not name the folders this wallpaper is kept in, so nothing was changed.\n\n"
                           "Please sign out and in again, then run this program again.");
      robot::PressMessageBoxButton(*box, "OK");
    }
    ASSERT_TRUE(p.WaitForExit(20000, &code));
    EXPECT_EQ(code, *mode == 'a' ? 1u : 0u);
  }
  ::SetCurrentDirectoryA(oldCurrent);
  EXPECT_EQ(wine_test::FolderListing(here), (std::vector<std::string>{"Debug.log", "Mervalis.exe", "background.bmp"}));
  for (const char* decoy : {"Mervalis.exe", "Debug.log", "background.bmp"}) ::DeleteFileA((here + decoy).c_str());
  ::RemoveDirectoryA(here.c_str());
}

// With the log on, a "Mervalis.log" that is a folder makes the first log
// line of the window's start fail; nothing on the way catches it. While its
// box is up the instance still runs: a second start of the same mode ends at
// once, without a window or a box of its own.
TEST_F(Entry, AnErrorEscapingStartUpIsShownOnceWhileTheModeStaysTaken) {
  struct Case {
    const char* arguments;
    const char* caption;
  };
  const wine_test::LogOn logOn;
  const std::string folder = wine_test::LogPath();
  ASSERT_TRUE(mervalis::ForceDirectories(folder));
  const struct Remove {
    std::string path;
    ~Remove() { ::RemoveDirectoryA(path.c_str()); }
  } remove{folder};
  for (const Case& c : {Case{"", "Quorvanesoft"}, Case{"apply", "apply"}}) {
    SCOPED_TRACE(c.caption);
    Process p(ProgramPath(), c.arguments);
    auto box = robot::WaitForMessageBox(c.caption, p.id());
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find("Mervalis.log"), std::string::npos) << box->text;
    // The application window carries the title. The window mode's stands for
    // the program in the task bar; the apply run has none on the screen at
    // all, only a message-only window.
    const bool applyMode = std::string(c.caption) == "apply";
    const HWND topLevel = robot::FindTopLevel({"TApplication", c.caption, p.id(), false});
    const HWND messageOnly = ::FindWindowExA(HWND_MESSAGE, nullptr, "TApplication", c.caption);
    EXPECT_EQ(topLevel != nullptr, !applyMode);
    EXPECT_EQ(messageOnly != nullptr, applyMode);
    if (messageOnly) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(messageOnly, &owner);
      EXPECT_EQ(owner, p.id());
    }

    Process second(ProgramPath(), c.arguments);
    DWORD secondCode = 1;
    EXPECT_TRUE(second.WaitForExit(5000, &secondCode));
    EXPECT_EQ(secondCode, 0u);
    EXPECT_EQ(robot::FindTopLevel({"", "", second.id(), true}), nullptr);
    second.Kill();

    ASSERT_TRUE(robot::PressMessageBoxButton(*box, "OK"));
    DWORD code = 2;
    ASSERT_TRUE(p.WaitForExit(10000, &code));
    EXPECT_EQ(code, applyMode ? 1u : 0u) << "an apply run that failed says so";
    // Shown once, and no window came up.
    EXPECT_EQ(robot::FindTopLevel({"", "", p.id(), true}), nullptr);
  }
}

// Started from a download folder where files named as system libraries were
// put beside it, the program loads the system's own. Wine prefers its
// built-in libraries to files of the same name: the loader is told to take
// such a file first for this program, as Windows does.
TEST_F(Entry, LibrariesPlantedBesideTheProgramAreNotLoaded) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "mervalis downloads\\";
  const std::string programKey = "Software\\Wine\\AppDefaults\\Mervalis.exe";
  const std::string overridesKey = programKey + "\\DllOverrides";
  const char* const planted[] = {"wtsapi32.dll", "dwmapi.dll"};
  ASSERT_FALSE(mervalis::KeyExists(HKEY_CURRENT_USER, programKey));
  const struct Clean {
    std::function<void()> run;
    ~Clean() { run(); }
  } clean{[&] {
    (void)mervalis::DeleteKeyTree(HKEY_CURRENT_USER, programKey);
    for (const char* name : planted) {
      ::DeleteFileA((folder + name).c_str());
      ::DeleteFileA((folder + name + ".loaded").c_str());
    }
    ::DeleteFileA((folder + "Mervalis.exe").c_str());
    ::RemoveDirectoryA(folder.c_str());
  }};
  clean.run();
  ASSERT_TRUE(mervalis::ForceDirectories(folder));
  ASSERT_TRUE(::CopyFileA(ProgramPath().c_str(), (folder + "Mervalis.exe").c_str(), FALSE));
  mervalis::RegistryKey overrides;
  ASSERT_EQ(overrides.Create(HKEY_CURRENT_USER, overridesKey), ERROR_SUCCESS);
  for (const char* name : planted) {
    ASSERT_TRUE(::CopyFileA((wine_test::BinFolder() + "planted_library.dll").c_str(), (folder + name).c_str(), FALSE));
    const std::string library(name, std::string_view(name).find('.'));
    ASSERT_EQ(overrides.WriteString(library, "native,builtin"), ERROR_SUCCESS);
  }
  overrides.Close();

  // The desktop mode loads both at its start, then looks for its place
  // behind the icons until its stop event ends it.
  Process desktop(folder + "Mervalis.exe", "desktop");
  ::Sleep(3000);
  HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, "QUORVANESOFTMRVLSDESKTOPSTOP");
  ASSERT_NE(stop, nullptr);
  ::SetEvent(stop);
  const bool ended = desktop.WaitForExit(20000);
  ::CloseHandle(stop);
  std::string loaded;
  for (const char* name : planted) {
    if (mervalis::FileExists(folder + name + ".loaded")) loaded += std::string(name) + " ";
  }
  desktop.Kill();
  EXPECT_TRUE(ended);
  EXPECT_EQ(loaded, "");
}

}  // namespace
