#include "desktop/frames.h"

namespace mervalis::desktop {

int ShownDelayMs(int fileDelayMs) noexcept { return fileDelayMs <= 10 ? 100 : fileDelayMs; }

std::size_t FrameAt(std::span<const int> fileDelaysMs, int repetitions, std::uint64_t ms) noexcept {
  if (fileDelaysMs.size() < 2) return 0;
  std::uint64_t cycle = 0;
  for (const int delay : fileDelaysMs) cycle += static_cast<std::uint64_t>(ShownDelayMs(delay));
  if (repetitions != kRepeatForever) {
    const std::uint64_t plays = static_cast<std::uint64_t>(repetitions < 0 ? 0 : repetitions) + 1;
    if (ms >= cycle * plays) return fileDelaysMs.size() - 1;
  }
  std::uint64_t into = ms % cycle;
  std::size_t index = 0;
  for (const int delay : fileDelaysMs) {
    const auto shown = static_cast<std::uint64_t>(ShownDelayMs(delay));
    if (into < shown) break;
    into -= shown;
    ++index;
  }
  return index;
}

}  // namespace mervalis::desktop
