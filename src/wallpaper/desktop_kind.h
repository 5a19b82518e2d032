// Which desktop the shell can show, and the facts that follow from it. The
// shell shows an HTML page as the desktop only before Windows Vista; from
// Vista on the plain wallpaper carries the still scene and the `desktop` run
// mode animates it behind the icons.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/windows_version.h"

namespace mervalis {

enum class DesktopKind {
  kHtmlPage,          // Active Desktop shows the page (Windows before Vista)
  kAnimatedBehindIcons,  // plain wallpaper plus the `desktop` run mode
};

[[nodiscard]] constexpr DesktopKind DesktopKindForWindows(unsigned long majorVersion) noexcept {
  return IsVistaOrLater(majorVersion) ? DesktopKind::kAnimatedBehindIcons : DesktopKind::kHtmlPage;
}

// The logon entry under the current user's Run key: its value name and the
// command it holds.
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
[[nodiscard]] std::string RunValueName(std::string_view title);
[[nodiscard]] std::string DesktopModeCommand(std::string_view applicationFile);

// True when the plain wallpaper setting names this wallpaper's background
// bitmap (letter case ignored, any folder): the desktop still shows our scene.
[[nodiscard]] bool ShowsOurBackground(std::string_view plainWallpaper, std::string_view wallpaperKey);

// The desktop's kind as Windows 10 and 11 record it: "BackgroundType" under
// kBackgroundKindKey, 0 a picture, 1 a solid colour, 2 a slideshow, 3 Windows
// Spotlight; missing on older Windows.
inline constexpr std::string_view kBackgroundKindKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpapers";
inline constexpr std::uint32_t kSlideshowBackground = 2;
inline constexpr std::uint32_t kSpotlightBackground = 3;
// True while Windows itself replaces the picture (a slideshow, Spotlight).
[[nodiscard]] bool IsWindowsRotation(std::optional<std::uint32_t> backgroundKind) noexcept;

// True when the plain wallpaper setting, `before` as the animation started and
// `now` after Windows told of a new wallpaper, says that another picture (or
// none) was chosen: it changed, and not to our background. A setting that
// reads as before is no choice, whatever it names: Windows may name its own
// copy of a picture there (TranscodedWallpaper), the same for any picture.
// Also true while the kind (`backgroundKind`, read after the news) is one of
// Windows' rotations, whatever the setting names: the install ends any
// rotation and `apply` never starts one, so one that runs was switched on
// since by the user, and its pictures, Windows' doing, follow that choice.
[[nodiscard]] bool AnotherWallpaperChosen(std::string_view before, std::string_view now,
                                          std::string_view wallpaperKey,
                                          std::optional<std::uint32_t> backgroundKind = std::nullopt);

}  // namespace mervalis
