#include "desktop/gif_canvas.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mervalis {

GifCanvas::GifCanvas(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
    throw std::invalid_argument("GIF canvas size out of range");
  }
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
}

GifCanvas::Area GifCanvas::Clip(const GifStoredFrame& frame) const noexcept {
  Area a;
  a.left = std::clamp(frame.left, 0, width_);
  a.top = std::clamp(frame.top, 0, height_);
  // In 64 bits: a stored position plus size can pass the int range.
  a.right = static_cast<int>(std::clamp<long long>(static_cast<long long>(frame.left) + frame.width, a.left, width_));
  a.bottom =
      static_cast<int>(std::clamp<long long>(static_cast<long long>(frame.top) + frame.height, a.top, height_));
  return a;
}

const std::vector<std::uint8_t>& GifCanvas::Add(const GifStoredFrame& frame) {
  const std::size_t stride = static_cast<std::size_t>(width_) * 4;
  switch (lastDisposal_) {
    case GifDisposal::RestoreBackground:
      for (int y = lastArea_.top; y < lastArea_.bottom; ++y) {
        std::memset(pixels_.data() + y * stride + static_cast<std::size_t>(lastArea_.left) * 4, 0,
                    static_cast<std::size_t>(lastArea_.right - lastArea_.left) * 4);
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
  if (frame.bgra) {
    for (int y = area.top; y < area.bottom; ++y) {
      const std::uint8_t* src = frame.bgra + (static_cast<std::size_t>(y - frame.top) * frame.width +
                                              static_cast<std::size_t>(area.left - frame.left)) * 4;
      std::uint8_t* dst = pixels_.data() + y * stride + static_cast<std::size_t>(area.left) * 4;
      for (int x = area.left; x < area.right; ++x, src += 4, dst += 4) {
        if (src[3] != 0) std::memcpy(dst, src, 4);
      }
    }
  }
  lastDisposal_ = frame.disposal;
  lastArea_ = area;
  return pixels_;
}

int GifDelayMs(int hundredths) noexcept { return hundredths <= 1 ? 100 : hundredths * 10; }

}  // namespace mervalis
