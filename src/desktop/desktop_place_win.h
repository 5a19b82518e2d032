// The Windows side of the place behind the icons: lists the desktop's real
// windows for the search (placement.h) and the monitors.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "desktop/placement.h"

namespace mervalis::desktop {

// The desktop's top-level windows, topmost first; "Progman" and "WorkerW"
// windows with their direct children.
[[nodiscard]] std::vector<ShellWindow> ListDesktopWindows();

// Asks each "Progman" to raise the desktop, trying each message of the raise
// sequence until a place turns up (waiting a second at most for each answer,
// none from a hung shell).
// Nothing when there is no shell window or no layout fits (yet): the caller
// tries again later.
[[nodiscard]] std::optional<DesktopPlace> RaiseAndFindPlace();

// The monitors in physical pixels (the process is per-monitor aware), the
// primary first.
[[nodiscard]] std::vector<Monitor> ListMonitors();

}  // namespace mervalis::desktop
