// The scene's clock: milliseconds of shown time. It runs from the wall clock
// (a 32-bit millisecond tick that wraps, as Windows' GetTickCount does) while
// the animation runs and stands still while it pauses, so a hidden desktop
// costs nothing and the scene goes on where it stopped.
#pragma once

#include <cstdint>

namespace mervalis::desktop {

class SceneClock {
 public:
  // The shortest wait the clock asks for: a window timer fires no sooner.
  static constexpr std::uint32_t kMinimumDelayMs = 10;
  // The longest: a timer further out is only set again.
  static constexpr std::uint32_t kMaximumDelayMs = 1000;
  // The shortest time between two frames, about 32 a second: smooth for
  // fish and bubbles that move a pixel or two a step, at two thirds of the
  // cost of a frame for every bubble step (20 ms). It is also what a 20 ms
  // window timer gives on Windows at its usual 15.6 ms tick, so the desktop
  // moves alike everywhere. A step falling between two frames waits for the
  // next one; every frame shows the scene as it stands at its time.
  static constexpr std::uint32_t kFramePeriodMs = 31;

  // Scene time of the frame after one drawn at scene time `drawn`, when the
  // scene next changes at `nextDue`.
  [[nodiscard]] static std::uint64_t NextFrame(std::uint64_t nextDue, std::uint64_t drawn) noexcept;
  // Whether a wait of `wanted` ms is as good as `period` ms: within 2 ms it
  // is. A repeating timer at the frame period then needs no setting again
  // after each frame.
  [[nodiscard]] static bool KeepsPeriod(std::uint32_t period, std::uint32_t wanted) noexcept;

  [[nodiscard]] bool Running() const noexcept { return running_; }
  // Starts or continues the clock at wall tick `tick`; nothing when running.
  void Resume(std::uint32_t tick) noexcept;
  // Stops the clock at wall tick `tick`; nothing when stopped.
  void Pause(std::uint32_t tick) noexcept;
  // Back to scene time 0, stopped.
  void Reset() noexcept { *this = SceneClock(); }

  // After the system slept, or the process was held up, the clock would jump
  // by the whole gap and the scene replay every step of it in one frame: at
  // wall tick `tick`, with the last frame drawn at scene time `drawn`, the
  // clock goes on from at most `mostMs` after it.
  static constexpr std::uint32_t kMostCatchUpMs = 250;
  void CapCatchUp(std::uint32_t tick, std::uint64_t drawn, std::uint32_t mostMs = kMostCatchUpMs) noexcept;

  // Scene time at wall tick `tick`.
  [[nodiscard]] std::uint64_t Now(std::uint32_t tick) const noexcept;
  // Wall milliseconds from `tick` until scene time `due`, kept within the
  // minimum and maximum delays.
  [[nodiscard]] std::uint32_t DelayUntil(std::uint64_t due, std::uint32_t tick) const noexcept;

 private:
  bool running_ = false;
  std::uint64_t base_ = 0;         // scene time when the clock last resumed
  std::uint32_t resumedTick_ = 0;  // wall tick then
};

}  // namespace mervalis::desktop
