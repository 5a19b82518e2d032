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
};

// Why no place was found, by what Windows says of its animations inside
// windows (off, or on or unknown).
[[nodiscard]] PlaceReport NoPlaceReason(bool clientAreaAnimationOff) noexcept;

// A stored number read back; numbers it does not know read as kNone.
[[nodiscard]] PlaceReport PlaceReportFrom(std::uint32_t stored) noexcept;

// The reason for a user, with what to do about it; empty unless no place was found.
[[nodiscard]] std::string_view PlaceNotice(PlaceReport report) noexcept;

// The debug log's line for it.
[[nodiscard]] std::string_view PlaceLogLine(PlaceReport report) noexcept;

}  // namespace mervalis::desktop
