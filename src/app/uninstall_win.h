// The two uninstall modes: "uninstall" asks and hands over to a copy of the
// program in the system folder, which runs "douninstall".
#pragma once

namespace mervalis {

// Copies the program to the system folder as "QuorUninst1.exe", asks for
// confirmation and on Yes starts the copy with "douninstall".
void RunUninstallMode();

// Removes the wallpaper and shows the final message.
void RunUninstaller();

}  // namespace mervalis
