// When the desktop animation may run: only while somebody can see the
// desktop. Each reason to stop is tracked on its own; the animation runs when
// there is none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/rect.h"

namespace mervalis::desktop {

// A top-level window as the cover test sees it.
struct TopWindowState {
  Rect rect;  // on the screen
  bool visible = true;
  bool minimised = false;
  bool cloaked = false;       // hidden by the compositor although "visible"
  bool clickThrough = false;  // WS_EX_TRANSPARENT: an overlay, shows what lies below
  bool ignored = false;       // ours, or one of the shell's own desktop windows
  // A layered window's constant opacity, 255 for every other window; a
  // window whose region holds no pixel counts as 0.
  std::uint8_t alpha = 255;
  // A layered window drawn with UpdateLayeredWindow (per-pixel alpha): it has
  // no opacity to read, and what it shows cannot be known. GPU vendors'
  // in-game overlays are such windows, full-screen and see-through.
  bool perPixelAlpha = false;
  std::string className;  // for the debug log
};

// Whether `window` hides what lies below it: shown, not minimised, cloaked or
// an overlay, and opaque. Recording and GPU overlays make full-screen layered
// windows that show nothing (alpha 0, or per-pixel alpha); a window partly
// see-through still lets the desktop be seen.
[[nodiscard]] bool CountsAsCover(const TopWindowState& window) noexcept;

// True when `window` hides the primary monitor's desktop: it counts as
// cover and covers at least the monitor's work area. That is what a
// maximised window does (its frame reaches past the work area) and what a
// full-screen one does (it covers the whole monitor).
[[nodiscard]] bool HidesDesktop(const TopWindowState& window, const Rect& workArea) noexcept;

// True when the windows that count (as for HidesDesktop), `windows`
// together, cover `area`: a maximised window, or snapped ones side by side.
// Windows that leave too many pieces uncovered to follow count as not
// covering. When covered and `by` is given, it receives the indexes of the
// windows that took a part of the area.
[[nodiscard]] bool CoveredTogether(const std::vector<TopWindowState>& windows, const Rect& area,
                                   std::vector<std::size_t>* by = nullptr);

// Each source of news has a reason of its own, so that one source saying
// "off" does not clear what another still says: on Windows 11 energy saver
// has a notification of its own, while the battery saver notification and
// the power status may go on saying "off"; a session reconnected to shows
// its lock screen until it is unlocked.
enum class PauseReason : std::uint16_t {
  Covered = 1,         // windows hide the monitor
  Locked = 2,          // the session is locked
  DisplayOff = 4,      // the monitor is off
  Suspended = 8,       // the system goes to sleep
  BatterySaver = 16,   // battery saver is on (Windows 10)
  Remote = 32,         // a remote session: every frame would cross the network
  OtherSession = 64,   // another user's session has the console
  EnergySaver = 128,   // energy saver is on (Windows 11)
  Disconnected = 256,  // the session lost its console or remote connection
};

// What the session says about the scene, as reasons to rest: a remote
// session, or one that is not the active console session (fast user
// switching; kNoSession while no session has the console).
inline constexpr std::uint32_t kNoSession = 0xFFFFFFFFu;
struct SessionPauses {
  bool remote = false;
  bool otherSession = false;
  friend bool operator==(const SessionPauses&, const SessionPauses&) = default;
};
[[nodiscard]] SessionPauses PausesOfSession(bool remote, std::uint32_t ownSession,
                                            std::uint32_t consoleSession) noexcept;

// What the session's lock flag (WTSSessionInfoEx's SessionFlags) says on
// Windows `major`.`minor`: locked, unlocked, or nothing for a value it does
// not know (WTS_SESSIONSTATE_UNKNOWN). Windows 7 and Server 2008 R2 give
// the two values the wrong way round.
[[nodiscard]] std::optional<bool> LockedBySessionFlag(std::int32_t flag, unsigned major, unsigned minor) noexcept;

class PauseState {
 public:
  // Sets or clears one reason. True when this changes whether the animation runs.
  bool Set(PauseReason reason, bool on) noexcept {
    const bool before = Running();
    const auto bit = static_cast<std::uint16_t>(reason);
    reasons_ = on ? static_cast<std::uint16_t>(reasons_ | bit) : static_cast<std::uint16_t>(reasons_ & ~bit);
    return before != Running();
  }
  [[nodiscard]] bool Has(PauseReason reason) const noexcept {
    return (reasons_ & static_cast<std::uint16_t>(reason)) != 0;
  }
  [[nodiscard]] bool Running() const noexcept { return reasons_ == 0; }

 private:
  std::uint16_t reasons_ = 0;
};

}  // namespace mervalis::desktop
