#include "desktop/visibility.h"

namespace mervalis::desktop {

bool HidesDesktop(const TopWindowState& window, const Rect& workArea) noexcept {
  if (!window.visible || window.minimised || window.cloaked || window.clickThrough || window.ignored) {
    return false;
  }
  if (workArea.Empty()) return false;
  const Rect& r = window.rect;
  return r.left <= workArea.left && r.top <= workArea.top && r.right >= workArea.right &&
         r.bottom >= workArea.bottom;
}

bool CoveredTogether(const std::vector<TopWindowState>& windows, const Rect& area) {
  if (area.Empty()) return false;
  // What is still seen of the area, as rectangles that do not overlap; each
  // window takes its part away.
  constexpr std::size_t kMostPieces = 64;
  std::vector<Rect> seen = {area}, next;
  for (const TopWindowState& w : windows) {
    if (!w.visible || w.minimised || w.cloaked || w.clickThrough || w.ignored) continue;
    next.clear();
    for (const Rect& p : seen) {
      const Rect cut = Intersect(p, w.rect);
      if (cut.Empty()) {
        next.push_back(p);
        continue;
      }
      // Up to four pieces around the cut: the bands above and below, then
      // the parts left and right of it between them.
      if (p.top < cut.top) next.push_back({p.left, p.top, p.right, cut.top});
      if (cut.bottom < p.bottom) next.push_back({p.left, cut.bottom, p.right, p.bottom});
      if (p.left < cut.left) next.push_back({p.left, cut.top, cut.left, cut.bottom});
      if (cut.right < p.right) next.push_back({cut.right, cut.top, p.right, cut.bottom});
    }
    seen.swap(next);
    if (seen.empty()) return true;
    if (seen.size() > kMostPieces) return false;
  }
  return false;
}

SessionPauses PausesOfSession(bool remote, std::uint32_t ownSession, std::uint32_t consoleSession) noexcept {
  // A remote session never has the console; it rests for being remote.
  return {remote, !remote && ownSession != consoleSession};
}

}  // namespace mervalis::desktop
