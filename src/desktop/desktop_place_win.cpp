#include "desktop/desktop_place_win.h"

#include <string>

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

BOOL CALLBACK AddTopLevel(HWND hwnd, LPARAM list) noexcept {
  try {
    reinterpret_cast<std::vector<ShellWindow>*>(list)->push_back(Describe(hwnd, true));
    return TRUE;
  } catch (...) {
    return FALSE;  // out of memory: the list so far
  }
}

}  // namespace

std::vector<ShellWindow> ListDesktopWindows() {
  std::vector<ShellWindow> windows;
  ::EnumWindows(AddTopLevel, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::optional<DesktopPlace> RaiseAndFindPlace() {
  constexpr int kAttempts = 10;
  constexpr DWORD kPauseMs = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (attempt > 0) ::Sleep(kPauseMs);
    const std::vector<ShellWindow> windows = ListDesktopWindows();
    bool shell = false;
    for (const ShellWindow& w : windows) {
      if (w.className != kProgmanClass) continue;
      shell = true;
      // A hung shell must not hang us: the answer is waited for a second at most.
      DWORD_PTR ignored = 0;
      (void)::SendMessageTimeoutA(reinterpret_cast<HWND>(w.id), kRaiseDesktopMessage, 0, 0, SMTO_NORMAL, 1000,
                                  &ignored);
    }
    if (!shell) continue;  // the shell may be starting
    if (auto place = FindDesktopPlace(ListDesktopWindows())) return place;
  }
  return std::nullopt;
}

Rect PrimaryMonitorIn(HWND parent) noexcept {
  POINT origin = {0, 0};
  ::ClientToScreen(parent, &origin);
  const Rect primary = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  return ScreenToParent(primary, origin.x, origin.y);
}

Rect PrimaryWorkArea() noexcept {
  RECT r = {};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) {
    r.right = ::GetSystemMetrics(SM_CXSCREEN);
    r.bottom = ::GetSystemMetrics(SM_CYSCREEN);
  }
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace mervalis::desktop
