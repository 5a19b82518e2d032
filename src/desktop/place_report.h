// What the `desktop` mode tells whoever started it about its place behind
// the icons, and how a user reads it. Explorer makes no window behind the
// icons while Windows' animations inside windows are off (the "best
// performance" setting, common on virtual machines and remote desktops): a
// user who sees a still picture then learns which setting brings the
// animation, and the mode places itself once it is switched on.
#pragma once

#include <cstdint>
#include <string_view>

namespace mervalis::desktop {

// Stored as a number: nothing said yet, placed, or no place and why.
enum class PlaceReport : std::uint32_t {
  kNone = 0,
  kPlaced = 1,
  kAnimationOff = 2,     // "Animate controls and elements inside windows" is off
  kWindowsNotFound = 3,  // the desktop's windows were not found
  kViewRefused = 4,      // Windows refused our window the style the place needs (layered)
  kIconsHidden = 5,      // none found while "Show desktop icons" is off
  kNoPlaceOnThisWindows = 6,  // no place known on this Windows (Vista): the still picture stays
};

// What is known when a search found no place.
struct NoPlaceFacts {
  bool viewRefused = false;             // a place was there, but Windows refused our window in it
  bool clientAreaAnimationOff = false;  // Windows' animations inside windows are off
  bool iconsHidden = false;             // the desktop icons are switched off
};

// Why no place was found: a refused window first (no setting helps), then
// the animations' setting, then hidden icons, else the windows were not found.
[[nodiscard]] PlaceReport NoPlaceReason(const NoPlaceFacts& facts) noexcept;

// A stored number read back; numbers it does not know read as kNone.
[[nodiscard]] PlaceReport PlaceReportFrom(std::uint32_t stored) noexcept;

// The reason for a user, with what to do about it; empty unless no place was found.
[[nodiscard]] std::string_view PlaceNotice(PlaceReport report) noexcept;

// The debug log's line for it.
[[nodiscard]] std::string_view PlaceLogLine(PlaceReport report) noexcept;

}  // namespace mervalis::desktop
