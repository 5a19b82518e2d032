// The two uninstall modes: "uninstall" asks and hands over to a copy of the
// program, which runs "douninstall". Silent ("/S"), neither asks nor shows
// anything: the first waits for the copy and returns its exit code.
#pragma once

namespace mervalis {

// The installed program's file, moved beside a per-user uninstaller copy
// while a silent uninstall's starter still runs from it.
inline constexpr char kMovedProgramName[] = "Mervalis-uninstalled.exe";

// Writes a copy of the program and checks it: before Vista "QuorUninst1.exe"
// in the system folder, from Vista on a new file in the user's temporary
// folder. Then asks for confirmation and on Yes starts the copy with
// "douninstall". A copy that could not be written and checked is never
// started: a box says so and nothing changes. Silent, there is no question,
// the copy runs "douninstall /S" and its exit code is returned once it ends;
// kExitFailed when it could not be started. Not silent, returns 0.
[[nodiscard]] int RunUninstallMode(bool silent);

// Removes the wallpaper and shows the final message (silent: logs it).
// Returns kExitDone when the uninstall entry is gone, kExitFailed otherwise.
int RunUninstaller(bool silent);

// Deletes the per-user uninstaller copies of earlier uninstalls from the
// user's temporary folder, with their folders and a program file moved
// beside them; one that still runs stays.
void RemoveUninstallerCopies() noexcept;

}  // namespace mervalis
