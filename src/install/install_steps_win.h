// The install steps the install sequence strings together: the installed copy
// of the program, the shortcuts and the installed-state probe. They take what
// they need from the main window as parameters and show no messages.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "install/shortcut_table.h"

namespace mervalis {

// Where the uninstall entries of this Windows' install live: HKEY_CURRENT_USER
// for the per-user install, HKEY_LOCAL_MACHINE before Vista.
[[nodiscard]] HKEY UninstallRootKey();

// Copies the running program to the install folder as "<title>.exe" and sets
// `applicationFile` to that path on every call, first of all. Copies nothing
// and gives true when the program runs from that very file (paths compared
// upper-cased in the user's locale): it is in place. The new copy is written
// beside the old one and put in its place only once it is complete, so a
// failed write or an old copy that cannot be replaced (it is running) leaves
// the old copy as it was; both give false. The install folder is created with its parents.
// Debug-log write errors are passed on.
[[nodiscard]] bool WriteApplicationFile(std::string_view title, std::string& applicationFile);

// Makes the shortcut `linkName` (with ".lnk") to `target` (a path or a web
// address, passed on unchanged) in `place`: its all-users folder when the
// shell has one, the current user's otherwise (always, for a per-user
// install), inside its group folder (which is created) when it names one. The shortcut carries the target, the
// description "<caption> Animated Wallpaper" without quotes, and
// SW_SHOWNORMAL; nothing else. A null `specialFolder` stands for the shell's
// own answer (GetSpecialFolder). Failures are silent and leave no shortcut (a
// group folder may remain).
void CreateShortcuts(const ShortcutPlace& place, std::string_view linkName, std::string_view target,
                     std::string_view wallpaperNameCaption,
                     SpecialFolderLookup specialFolder = nullptr) noexcept;

// True when the wallpaper's uninstall entry under UninstallRootKey() has an
// uninstall command that names an existing program: what an install writes
// last. Anything less (no key, a key without the command, a program that is
// gone, a key that cannot be read) is not installed, and the next install is
// a first one. Debug-log write errors are passed on.
[[nodiscard]] bool IsInstalled(std::string_view title);

}  // namespace mervalis
