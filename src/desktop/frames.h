// Which frame of an animated picture shows at a given time, by the rules
// browsers apply to GIF animations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace mervalis::desktop {

// Animations repeat for ever.
inline constexpr int kRepeatForever = -1;

// How long a frame shows: delays of 10 ms or less (0 or 1 hundredths in the
// file) show for 100 ms, as in Chromium and Firefox.
[[nodiscard]] int ShownDelayMs(int fileDelayMs) noexcept;

// The frame shown ms after the animation started, given each frame's delay
// as the file has it (hundredths times 10). repetitions is how many times
// the animation plays again after the first time (kRepeatForever: without
// end; a GIF without a loop block plays once: 0); once it has played out,
// the last frame stays. Without frames the result is 0.
[[nodiscard]] std::size_t FrameAt(std::span<const int> fileDelaysMs, int repetitions,
                                  std::uint64_t ms) noexcept;

}  // namespace mervalis::desktop
