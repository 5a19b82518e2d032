#include "desktop/cover_win.h"

#include <cstdint>
#include <utility>

#include "common/debug_log.h"
#include "desktop/desktop_place_win.h"

namespace mervalis::desktop {

namespace {

struct CoverSearch {
  const LateFunctions* late;
  DWORD self;
  HWND desktopTop;  // the top-level shell window that holds ours
  std::vector<TopWindowState> above;  // the windows above the desktop, topmost first
};

// How much of a window shows: a layered window's constant opacity, nothing
// at all for a window whose region is empty. A layered window whose
// attributes cannot be read is drawn whole with per-pixel alpha
// (UpdateLayeredWindow): `perPixel` says so.
std::uint8_t Opacity(HWND hwnd, LONG exStyle, bool& perPixel) noexcept {
  perPixel = false;
  RECT box = {};
  if (::GetWindowRgnBox(hwnd, &box) == NULLREGION) return 0;
  if (!(exStyle & WS_EX_LAYERED)) return 255;
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags)) {
    perPixel = true;
    return 255;
  }
  return (flags & LWA_ALPHA) ? alpha : 255;
}

// Takes a window above the desktop into `s`; false once the desktop's own
// windows are reached.
bool CollectCover(HWND hwnd, CoverSearch& s) noexcept {
  if (!::IsWindowVisible(hwnd)) return true;
  // The desktop's own windows lie at the bottom of the Z order (or on top
  // after "show desktop"): nothing below them covers anything. The shell
  // has other, unrelated "WorkerW" windows, so the class alone does not say.
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof(cls));
  if (hwnd == s.desktopTop || lstrcmpA(cls, "Progman") == 0 ||
      ::FindWindowExA(hwnd, nullptr, "SHELLDLL_DefView", nullptr)) {
    return false;
  }
  TopWindowState w;
  RECT r = {};
  ::GetWindowRect(hwnd, &r);
  w.rect = {r.left, r.top, r.right, r.bottom};
  w.minimised = ::IsIconic(hwnd) != FALSE;
  const LONG exStyle = ::GetWindowLongA(hwnd, GWL_EXSTYLE);
  w.clickThrough = (exStyle & WS_EX_TRANSPARENT) != 0;
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  w.ignored = process == s.self;
  if (s.late->dwmAttribute) {
    DWORD cloaked = 0;  // DWMWA_CLOAKED, Windows 8 and later
    w.cloaked = SUCCEEDED(s.late->dwmAttribute(hwnd, 14, &cloaked, sizeof(cloaked))) && cloaked != 0;
  }
  w.alpha = Opacity(hwnd, exStyle, w.perPixelAlpha);
  try {
    if (CountsAsCover(w)) {
      w.className = cls;
      s.above.push_back(std::move(w));
    }
  } catch (...) {
    LogCaught("CollectCover");
    return false;
  }
  return true;
}

}  // namespace

std::vector<TopWindowState> WindowsAboveDesktop(const LateFunctions& late, HWND desktopTop) {
  CoverSearch search{&late, ::GetCurrentProcessId(), desktopTop, {}};
  WalkTopLevel([&](HWND hwnd) { return CollectCover(hwnd, search); });
  return std::move(search.above);
}

}  // namespace mervalis::desktop
