// The silent install ("Mervalis.exe /S"): the installer window's install with
// the options of the command line, nothing shown, and an exit code.
#pragma once

#include <windows.h>

#include "app/command_line.h"
#include "common/win_handles.h"

namespace mervalis {

// Installs as the window's button does, the licence accepted by the switch,
// the layout from the command line or else as stored (SilentInstallLayout),
// the desktop shortcut unless "/noshortcut". What the window would show goes
// to the debug log. Refuses with its code, before anything is written, when
// another install or uninstall runs (`mutex` is the window's, held until the
// process ends) and, before Vista, when the account may not write where the
// machine's install goes. Returns an exit code of app/exit_codes.h.
[[nodiscard]] int RunSilentInstall(HINSTANCE instance, const Switches& switches, UniqueHandle& mutex);

}  // namespace mervalis
