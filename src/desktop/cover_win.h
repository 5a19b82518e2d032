// What covers the desktop: the visible top-level windows above the shell's
// desktop windows that hide what lies below them.
#pragma once

#include <windows.h>

#include <vector>

#include "desktop/late_functions_win.h"
#include "desktop/visibility.h"

namespace mervalis::desktop {

// The windows above the desktop that count as cover, topmost first;
// `desktopTop` is the top-level shell window that holds the views.
[[nodiscard]] std::vector<TopWindowState> WindowsAboveDesktop(const LateFunctions& late, HWND desktopTop);

}  // namespace mervalis::desktop
