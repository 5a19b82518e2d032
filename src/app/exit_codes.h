// The exit codes of the silent install and uninstall ("/S"), which package
// managers and deployment scripts read. They are part of the program's
// contract: the winget manifest maps them, and they never change meaning.
#pragma once

namespace mervalis {

inline constexpr int kExitDone = 0;                  // installed, or uninstalled
inline constexpr int kExitFailed = 1;                // any failure not named below
inline constexpr int kExitWindowsNotSupported = 2;   // a shell too old for the wallpaper
inline constexpr int kExitAnotherRunning = 3;        // another install or uninstall runs
inline constexpr int kExitNoRights = 4;              // before Vista, not allowed to write for the machine
inline constexpr int kExitWallpaperNotApplied = 5;   // installed, but the wallpaper was not applied

}  // namespace mervalis
