#include "desktop/desktop_place_win.h"

#include <string>

#include "common/debug_log.h"
#include "common/dpi_awareness_win.h"

namespace mervalis::desktop {

namespace {

ShellWindow Describe(HWND hwnd, bool withChildren) {
  ShellWindow w;
  w.id = reinterpret_cast<WindowId>(hwnd);
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof(cls));
  w.className = cls;
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  w.processId = process;
  w.visible = ::IsWindowVisible(hwnd) != FALSE;
  if (withChildren && (w.className == kProgmanClass || w.className == kWorkerClass)) {
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      w.children.push_back(Describe(child, false));
    }
  }
  return w;
}

}  // namespace

void WalkTopLevel(const std::function<bool(HWND)>& visit) {
  // Bounded: a window moved in the Z order while we walk could lead the walk
  // round in a circle.
  constexpr int kMostWindows = 65536;
  int seen = 0;
  for (HWND hwnd = ::GetTopWindow(nullptr); hwnd && seen < kMostWindows; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
    ++seen;
    if (!visit(hwnd)) return;
  }
}

std::vector<ShellWindow> ListDesktopWindows() {
  std::vector<ShellWindow> windows;
  try {
    WalkTopLevel([&](HWND hwnd) {
      windows.push_back(Describe(hwnd, true));
      return true;
    });
  } catch (...) {
    LogCaught("ListDesktopWindows");
    // Out of memory: the list so far.
  }
  return windows;
}

std::vector<DesktopLayout> LayoutsOfThisWindows() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!::GetVersionExA(&version)) return kTodaysLayouts;
  return LayoutsOfWindows(version.dwMajorVersion, version.dwMinorVersion);
}

std::optional<DesktopPlace> RaiseAndFindPlace(const std::vector<DesktopLayout>& layouts) {
  return RaiseUntilPlaced(ListDesktopWindows, [](WindowId progman, const RaiseMessage& message) {
    // A hung shell must not hang us: the answer is waited for a second at
    // most, and not at all from a shell that Windows already sees as hung.
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(reinterpret_cast<HWND>(progman), kRaiseDesktopMessage, message.wParam,
                                 message.lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
  }, layouts);
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) noexcept {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& s = info.rcMonitor;
  const RECT& w = info.rcWork;
  try {
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(list);
    const Monitor m{{s.left, s.top, s.right, s.bottom}, {w.left, w.top, w.right, w.bottom},
                    (info.dwFlags & MONITORINFOF_PRIMARY) != 0, MonitorDpi(monitor)};
    monitors.insert(m.primary ? monitors.begin() : monitors.end(), m);
    return TRUE;
  } catch (...) {
    LogCaught("AddMonitor");
    return FALSE;
  }
}

}  // namespace

std::vector<Monitor> ListMonitors() {
  std::vector<Monitor> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

}  // namespace mervalis::desktop
