// The two uninstall modes: "uninstall" asks and hands over to a copy of the
// program, which runs "douninstall".
#pragma once

namespace mervalis {

// Writes a copy of the program and checks it: before Vista "QuorUninst1.exe"
// in the system folder, from Vista on a new file in the user's temporary
// folder. Then asks for confirmation and on Yes starts the copy with
// "douninstall". A copy that could not be written and checked is never
// started: a box says so and nothing changes.
void RunUninstallMode();

// Removes the wallpaper and shows the final message.
void RunUninstaller();

// Deletes the per-user uninstaller copies of earlier uninstalls from the
// user's temporary folder, with their folders; one that still runs stays.
void RemoveUninstallerCopies() noexcept;

}  // namespace mervalis
