// The Windows side of the place behind the icons: lists the desktop's real
// windows for the search (placement.h) and the monitors.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "desktop/placement.h"

namespace mervalis::desktop {

// Calls `visit` for each top-level window, topmost first, until it returns
// false: the Z order as GetWindow(GW_HWNDNEXT) documents it. A window that
// goes meanwhile ends the walk early; the callers look again later.
void WalkTopLevel(const std::function<bool(HWND)>& visit);

// The desktop's top-level windows, topmost first; "Progman" and "WorkerW"
// windows with their direct children.
[[nodiscard]] std::vector<ShellWindow> ListDesktopWindows();

// The layouts this Windows' shell may have (LayoutsOfWindows for the
// version this process sees).
[[nodiscard]] std::vector<DesktopLayout> LayoutsOfThisWindows();

// Asks each "Progman" to raise the desktop, trying each message of the raise
// sequence until a place of one of `layouts` turns up (waiting a second at
// most for each answer, none from a hung shell).
// Nothing when there is no shell window or no layout fits (yet): the caller
// tries again later.
[[nodiscard]] std::optional<DesktopPlace> RaiseAndFindPlace(const std::vector<DesktopLayout>& layouts);

// The monitors in physical pixels (the process is per-monitor aware), the
// primary first.
[[nodiscard]] std::vector<Monitor> ListMonitors();

}  // namespace mervalis::desktop
