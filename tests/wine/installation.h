// What an install puts on the test machine, and how tests wipe it so that each
// starts from a machine on which the wallpaper was never installed.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "wine/support.h"

namespace wine_test {

struct InstalledPaths {
  std::string applicationFile;  // C:\Program Files\Quorvane\Mervalis.exe
  std::string installFolder;
  std::string pagePath;         // ...\Web\Wallpaper\Quorvane - Mervalis.html
  std::string imagesFolder;     // ...\QVImages\Mervalis\ (with backslash)
  std::string controlPath;      // ...\system32\quorvanexrun.ocx
  std::string startMenuGroup;   // all-users programs folder + "\Quorvane"
  std::string desktopFolder;    // all-users desktop
};

[[nodiscard]] InstalledPaths Paths();
// Where a per-user install (Vista and later) puts them: the user's local
// application data and the user's own shortcut folders; no page, no control.
[[nodiscard]] InstalledPaths PerUserPaths();

// Removes every file, shortcut and registry value an install or apply makes,
// ends running copies of the program and clears the Active Desktop stand-in.
void RemoveInstallation();

// A test that starts and ends on a machine on which the wallpaper was never
// installed, with `timeLimitMs` to run. Fixtures that add their own steps
// call these first in SetUp and last in TearDown, unless they say otherwise.
class CleanMachineTest : public testing::Test {
 protected:
  explicit CleanMachineTest(unsigned long timeLimitMs = 120000) : timeLimitMs_(timeLimitMs) {}
  void SetUp() override;
  void TearDown() override { RemoveInstallation(); }

 private:
  unsigned long timeLimitMs_;
};

// The registry value as text; empty when missing.
[[nodiscard]] std::string ReadRegistryString(void* root, const std::string& key, const std::string& name);

// What a shortcut file holds; the defaults stand for what could not be read.
struct ShortcutInfo {
  bool exists = false;  // the file is there
  bool loaded = false;  // and the shell read it as a shortcut
  std::string target;   // as stored, environment variables not expanded
  std::string description;
  std::string arguments;
  std::string workingDirectory;
  std::string iconLocation;
  int iconIndex = -1;
  int showCommand = 0;
  unsigned short hotkey = 0xFFFF;
};
[[nodiscard]] ShortcutInfo ReadShortcut(const std::string& path);

// Waits up to `timeoutMs` for the installer window to show its done panel,
// answering OK to every box the program shows meanwhile; the texts of those
// boxes, one a line, are added to `boxes`. False when the panel did not come.
[[nodiscard]] bool AnswerBoxesUntilDone(void* window, unsigned long programId, std::string& boxes,
                                        unsigned long timeoutMs = 60000);

// Installs through the window as a person would (the licence accepted with
// its check box, the other options as they are), shows the done panel to
// `atDonePanel` when given, then closes the window. Fails the running test
// when it does not get to the done panel.
void InstallThroughWindow(const std::string& program = ProgramPath(),
                          const std::function<void(HWND window)>& atDonePanel = {});

// Uninstalls as a person does: `mode` "uninstall" (the entry's command) is
// confirmed with Yes; "douninstall" goes straight to the work. Then the final
// box, with its icon and kRemovedBox, is answered OK, and the uninstaller's
// copy ("QuorUninst1.exe") and the program have ended. Fails the running test
// otherwise.
void Uninstall(const std::string& program, const char* mode = "uninstall");

// A silent run ("/S") of the command line `commandLine` (program path first,
// as written in the uninstall entry), watched until it ends: every window of
// ours that it or a copy it starts shows (a message box, the installer
// window, any window captioned "Quorvanesoft...") is named in `shown`.
struct UnseenRun {
  bool ended = false;
  DWORD exitCode = 0;
  std::string shown;  // one "<class> <caption>" a line
};
[[nodiscard]] UnseenRun RunUnseen(const std::string& commandLine, unsigned long timeoutMs = 120000);

// The shown windows that a desktop mode process draws in behind the icons,
// one per monitor, wherever in the shell's windows they are placed. A mode
// shows them once it has read its settings and found its place.
[[nodiscard]] std::vector<HWND> ShownDesktopViews(DWORD desktopPid);

}  // namespace wine_test
