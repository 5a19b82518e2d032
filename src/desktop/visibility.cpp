#include "desktop/visibility.h"

#include <utility>

namespace mervalis::desktop {

bool CountsAsCover(const TopWindowState& window) noexcept {
  return window.visible && !window.minimised && !window.cloaked && !window.clickThrough && !window.ignored &&
         !window.perPixelAlpha && window.alpha == 255;
}

bool HidesDesktop(const TopWindowState& window, const Rect& workArea) noexcept {
  if (!CountsAsCover(window) || workArea.Empty()) return false;
  const Rect& r = window.rect;
  return r.left <= workArea.left && r.top <= workArea.top && r.right >= workArea.right &&
         r.bottom >= workArea.bottom;
}

bool CoveredTogether(const std::vector<TopWindowState>& windows, const Rect& area, std::vector<std::size_t>* by) {
  if (area.Empty()) return false;
  std::vector<std::size_t> cutters;
  // What is still seen of the area, as rectangles that do not overlap; each
  // window takes its part away.
  constexpr std::size_t kMostPieces = 64;
  std::vector<Rect> seen = {area}, next;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const TopWindowState& w = windows[i];
    if (!CountsAsCover(w)) continue;
    next.clear();
    bool cuts = false;
    for (const Rect& p : seen) {
      const Rect cut = Intersect(p, w.rect);
      if (cut.Empty()) {
        next.push_back(p);
        continue;
      }
      cuts = true;
      // Up to four pieces around the cut: the bands above and below, then
      // the parts left and right of it between them.
      if (p.top < cut.top) next.push_back({p.left, p.top, p.right, cut.top});
      if (cut.bottom < p.bottom) next.push_back({p.left, cut.bottom, p.right, p.bottom});
      if (p.left < cut.left) next.push_back({p.left, cut.top, cut.left, cut.bottom});
      if (cut.right < p.right) next.push_back({cut.right, cut.top, p.right, cut.bottom});
    }
    seen.swap(next);
    if (cuts) cutters.push_back(i);
    if (seen.empty()) {
      if (by) *by = std::move(cutters);
      return true;
    }
    if (seen.size() > kMostPieces) return false;
  }
  return false;
}

std::optional<bool> LockedBySessionFlag(std::int32_t flag, unsigned major, unsigned minor) noexcept {
  constexpr std::int32_t kLock = 0, kUnlock = 1;  // WTS_SESSIONSTATE_LOCK, WTS_SESSIONSTATE_UNLOCK
  if (flag != kLock && flag != kUnlock) return std::nullopt;
  const bool windows7 = major == 6 && minor == 1;
  return (flag == kLock) != windows7;
}

SessionPauses PausesOfSession(bool remote, std::uint32_t ownSession, std::uint32_t consoleSession) noexcept {
  // A remote session never has the console; it rests for being remote.
  return {remote, !remote && ownSession != consoleSession};
}

}  // namespace mervalis::desktop
