#include "desktop/gif_canvas.h"

#include <algorithm>
#include <stdexcept>

namespace mervalis::desktop {

GifCanvas::GifCanvas(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
    throw std::invalid_argument("GIF canvas size out of range");
  }
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
}

GifCanvas::Area GifCanvas::Clip(const GifStoredFrame& frame) const noexcept {
  // In 64 bits: a stored position plus size can pass the int range.
  const auto clamp = [](long long v, int low, int high) { return static_cast<int>(std::clamp<long long>(v, low, high)); };
  Area a;
  a.left = clamp(frame.left, 0, width_);
  a.top = clamp(frame.top, 0, height_);
  a.right = clamp(static_cast<long long>(frame.left) + std::max(frame.width, 0), a.left, width_);
  a.bottom = clamp(static_cast<long long>(frame.top) + std::max(frame.height, 0), a.top, height_);
  return a;
}

const std::vector<std::uint32_t>& GifCanvas::Add(const GifStoredFrame& frame) {
  const auto row = [this](int y) { return pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_; };
  switch (lastDisposal_) {
    case GifDisposal::RestoreBackground:
      for (int y = lastArea_.top; y < lastArea_.bottom; ++y) {
        std::fill(row(y) + lastArea_.left, row(y) + lastArea_.right, 0u);
      }
      break;
    case GifDisposal::RestorePrevious:
      if (!saved_.empty()) pixels_ = saved_;
      break;
    case GifDisposal::Unspecified:
    case GifDisposal::Keep:
      break;
  }

  if (frame.disposal == GifDisposal::RestorePrevious) saved_ = pixels_;
  const Area area = Clip(frame);
  if (frame.pixels) {
    for (int y = area.top; y < area.bottom; ++y) {
      const std::uint32_t* src =
          frame.pixels + static_cast<std::ptrdiff_t>(y - frame.top) * frame.width + (area.left - frame.left);
      auto dst = row(y) + area.left;
      for (int x = area.left; x < area.right; ++x, ++src, ++dst) {
        if ((*src >> 24) != 0) *dst = *src | 0xFF000000u;
      }
    }
  }
  lastDisposal_ = frame.disposal;
  lastArea_ = area;
  return pixels_;
}

}  // namespace mervalis::desktop
