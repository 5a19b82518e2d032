// The options of the silent `apply` re-run, which the runtime control starts
// when the screen changed: the layout as the installer stored it, applied
// without any window.
#pragma once

#include "common/stored_options.h"
#include "wallpaper/apply_options.h"

namespace mervalis {

// What the installer window would hand over with the stored layout loaded
// into its boxes.
[[nodiscard]] ApplyOptions StoredApplyOptions(const StoredLayout& layout, DesktopKind desktop);

}  // namespace mervalis
