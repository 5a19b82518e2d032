// What an install puts on the test machine, and how tests wipe it so that each
// starts from a machine on which the wallpaper was never installed.
#pragma once

#include <string>

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

// Removes every file, shortcut and registry value an install or apply makes,
// ends running copies of the program and clears the Active Desktop stand-in.
void RemoveInstallation();

// The registry value as text; empty when missing.
[[nodiscard]] std::string ReadRegistryString(void* root, const std::string& key, const std::string& name);

struct ShortcutInfo {
  bool exists = false;
  std::string target;
  std::string description;
  int showCommand = 0;
};
[[nodiscard]] ShortcutInfo ReadShortcut(const std::string& path);

// Installs through the window as a person would (the licence accepted with
// its check box, the other options as they are), then closes the window.
// Fails the running test when it does not get to the done panel.
void InstallThroughWindow();

}  // namespace wine_test
