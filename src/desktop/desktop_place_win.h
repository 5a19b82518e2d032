// The Windows side of the place behind the icons: lists the desktop's real
// windows for the search (placement.h) and measures the primary monitor in
// the chosen parent's coordinates.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "desktop/placement.h"

namespace mervalis::desktop {

// The desktop's top-level windows, topmost first; "Progman" and "WorkerW"
// windows with their direct children.
[[nodiscard]] std::vector<ShellWindow> ListDesktopWindows();

// Asks each "Progman" to raise the desktop, then looks for the place, a few
// times over about a second while the shell builds its windows. Nothing
// when there is no shell window or no layout fits.
[[nodiscard]] std::optional<DesktopPlace> RaiseAndFindPlace();

// The primary monitor's rectangle in the client coordinates of `parent`.
[[nodiscard]] Rect PrimaryMonitorIn(HWND parent) noexcept;

// The primary monitor's work area on the screen (the monitor without the
// taskbar).
[[nodiscard]] Rect PrimaryWorkArea() noexcept;

}  // namespace mervalis::desktop
