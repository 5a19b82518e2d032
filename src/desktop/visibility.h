// When the desktop animation may run: only while somebody can see the
// desktop. Each reason to stop is tracked on its own; the animation runs when
// there is none.
#pragma once

#include <cstdint>

#include "wallpaper/image.h"

namespace mervalis::desktop {

// A top-level window as the cover test sees it.
struct TopWindowState {
  Rect rect;  // on the screen
  bool visible = true;
  bool minimised = false;
  bool cloaked = false;       // hidden by the compositor although "visible"
  bool clickThrough = false;  // WS_EX_TRANSPARENT: an overlay, shows what lies below
  bool ignored = false;       // ours, or one of the shell's own desktop windows
};

// True when `window` hides the primary monitor's desktop: shown, not an
// overlay, and covering at least the monitor's work area. That is what a
// maximised window does (its frame reaches past the work area) and what a
// full-screen one does (it covers the whole monitor).
[[nodiscard]] bool HidesDesktop(const TopWindowState& window, const Rect& workArea) noexcept;

enum class PauseReason : std::uint8_t {
  Covered = 1,     // a window hides the desktop
  Locked = 2,      // the session is locked or disconnected
  DisplayOff = 4,  // the monitor is off
};

class PauseState {
 public:
  // Sets or clears one reason. True when this changes whether the animation runs.
  bool Set(PauseReason reason, bool on) noexcept {
    const bool before = Running();
    const auto bit = static_cast<std::uint8_t>(reason);
    reasons_ = on ? static_cast<std::uint8_t>(reasons_ | bit) : static_cast<std::uint8_t>(reasons_ & ~bit);
    return before != Running();
  }
  [[nodiscard]] bool Has(PauseReason reason) const noexcept {
    return (reasons_ & static_cast<std::uint8_t>(reason)) != 0;
  }
  [[nodiscard]] bool Running() const noexcept { return reasons_ == 0; }

 private:
  std::uint8_t reasons_ = 0;
};

}  // namespace mervalis::desktop
