// The silent `apply` re-run, which the runtime control starts when the screen
// changed: the options as the installer stored them, applied without any
// window.
#pragma once

#include "desktop/stored_layout.h"
#include "wallpaper/apply_win.h"

namespace mervalis {

// What the installer window would hand over with the stored layout loaded
// into its boxes (the border boxes count only in the centred layout).
[[nodiscard]] ApplyOptions StoredApplyOptions(const desktop::StoredLayout& layout, DesktopKind desktop);

// Applies the stored options. An animated desktop started at logon lets go of
// the installed files while they are written and comes back afterwards, with
// the new background, also after an error.
bool ApplyStoredOptions();

}  // namespace mervalis
