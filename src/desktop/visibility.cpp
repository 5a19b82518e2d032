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

}  // namespace mervalis::desktop
