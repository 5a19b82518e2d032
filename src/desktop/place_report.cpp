#include "desktop/place_report.h"

namespace mervalis::desktop {

PlaceReport NoPlaceReason(const NoPlaceFacts& facts) noexcept {
  if (facts.viewRefused) return PlaceReport::kViewRefused;
  if (facts.clientAreaAnimationOff) return PlaceReport::kAnimationOff;
  if (facts.iconsHidden) return PlaceReport::kIconsHidden;
  return PlaceReport::kWindowsNotFound;
}

PlaceReport PlaceReportFrom(std::uint32_t stored) noexcept {
  switch (static_cast<PlaceReport>(stored)) {
    case PlaceReport::kPlaced:
    case PlaceReport::kAnimationOff:
    case PlaceReport::kWindowsNotFound:
    case PlaceReport::kViewRefused:
    case PlaceReport::kIconsHidden:
    case PlaceReport::kNoPlaceOnThisWindows:
      return static_cast<PlaceReport>(stored);
    case PlaceReport::kNone:
      break;
  }
  return PlaceReport::kNone;
}

std::string_view PlaceNotice(PlaceReport report) noexcept {
  switch (report) {
    case PlaceReport::kAnimationOff:
      return "The animation cannot go behind your desktop icons while Windows' animations are off. "
             "Switch on \"Animate controls and elements inside windows\": press Windows+R, type "
             "SystemPropertiesPerformance and press Enter, tick it on the Visual Effects page and press OK. "
             "The animation then starts by itself.";
    case PlaceReport::kWindowsNotFound:
      return "The animation cannot go behind your desktop icons yet: the desktop's windows were not found. "
             "If your desktop icons are hidden, show them (right-click the desktop, View, Show desktop icons). "
             "The animation starts by itself once the desktop is there, at the latest when you next sign in.";
    case PlaceReport::kViewRefused:
      return "The animation cannot go behind your desktop icons: Windows refused its window there. "
             "Your desktop shows the aquarium's still picture instead.";
    case PlaceReport::kIconsHidden:
      return "The animation cannot go behind your desktop icons while they are hidden. "
             "Show them (right-click the desktop, View, Show desktop icons): the animation then starts by itself.";
    case PlaceReport::kNoPlaceOnThisWindows:
      return "This version of Windows has no place for an animation behind the desktop icons: "
             "the aquarium's still picture is what this Windows shows. It animates from Windows 7 on.";
    case PlaceReport::kNone:
    case PlaceReport::kPlaced:
      break;
  }
  return {};
}

std::string_view PlaceLogLine(PlaceReport report) noexcept {
  switch (report) {
    case PlaceReport::kNone: return "No word of the place behind the icons";
    case PlaceReport::kPlaced: return "Placed behind the icons";
    case PlaceReport::kAnimationOff:
      return "No place behind the icons: \"Animate controls and elements inside windows\" is off";
    case PlaceReport::kWindowsNotFound: return "No place behind the icons: the desktop's windows were not found";
    case PlaceReport::kViewRefused: return "No place behind the icons: Windows refused the layered window";
    case PlaceReport::kIconsHidden: return "No place behind the icons: the desktop icons are hidden";
    case PlaceReport::kNoPlaceOnThisWindows: return "No place behind the icons on this Windows: the still picture stays";
  }
  return {};
}

}  // namespace mervalis::desktop
