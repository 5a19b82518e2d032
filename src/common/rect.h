// A rectangle of pixels, as the pictures, the screens and the windows on them
// are addressed.
#pragma once

#include <algorithm>

namespace mervalis {

// (left, top, right, bottom) with right and bottom exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  [[nodiscard]] int Width() const noexcept { return right - left; }
  [[nodiscard]] int Height() const noexcept { return bottom - top; }
  [[nodiscard]] bool Empty() const noexcept { return right <= left || bottom <= top; }
  [[nodiscard]] bool Contains(int x, int y) const noexcept {
    return x >= left && x < right && y >= top && y < bottom;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

[[nodiscard]] inline Rect Intersect(const Rect& a, const Rect& b) noexcept {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

}  // namespace mervalis
