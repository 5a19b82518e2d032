#include "desktop/scene_clock.h"

#include <algorithm>

namespace mervalis::desktop {

void SceneClock::Resume(std::uint32_t tick) noexcept {
  if (running_) return;
  running_ = true;
  resumedTick_ = tick;
}

void SceneClock::Pause(std::uint32_t tick) noexcept {
  if (!running_) return;
  base_ = Now(tick);
  running_ = false;
}

std::uint64_t SceneClock::Now(std::uint32_t tick) const noexcept {
  // Unsigned subtraction gives the elapsed time across the tick's wrap.
  return running_ ? base_ + static_cast<std::uint32_t>(tick - resumedTick_) : base_;
}

void SceneClock::CapCatchUp(std::uint32_t tick, std::uint64_t drawn, std::uint32_t mostMs) noexcept {
  if (!running_ || Now(tick) <= drawn + mostMs) return;
  base_ = drawn + mostMs;
  resumedTick_ = tick;
}

std::uint64_t SceneClock::NextFrame(std::uint64_t nextDue, std::uint64_t drawn) noexcept {
  return std::max(nextDue, drawn + kFramePeriodMs);
}

bool SceneClock::KeepsPeriod(std::uint32_t period, std::uint32_t wanted) noexcept {
  constexpr std::uint32_t kSlackMs = 2;
  return period != 0 && wanted + kSlackMs >= period && wanted <= period + kSlackMs;
}

std::uint32_t SceneClock::DelayUntil(std::uint64_t due, std::uint32_t tick) const noexcept {
  const std::uint64_t now = Now(tick);
  const std::uint64_t wait = due > now ? due - now : 0;
  return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(wait, kMinimumDelayMs, kMaximumDelayMs));
}

}  // namespace mervalis::desktop
