// The wallpapers from before the first apply: when the apply saves them for
// the uninstaller ("lastwp", "lastap" under the company key), and what the
// uninstaller puts back. Only decisions here; the callers read and write.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "wallpaper/desktop_kind.h"

namespace mervalis {

// Upper-casing of UTF-8 text as the user's locale does it (AnsiUpperCase on
// Windows); the page name is looked for with it.
using UpperCaseFunction = std::string (*)(std::string_view text);

// The desktop's two wallpaper settings: the Active Desktop's "Wallpaper" and
// the plain one of "Control Panel\Desktop".
struct DesktopWallpapers {
  std::string activeDesktop;
  std::string plain;
};

// True when the desktop shows this wallpaper: where the shell shows the page,
// the Active Desktop wallpaper names the page anywhere in its value, letter
// case ignored; elsewhere the plain wallpaper is this wallpaper's background.
[[nodiscard]] bool DesktopShowsWallpaper(DesktopKind desktop, const DesktopWallpapers& current,
                                         std::string_view title, UpperCaseFunction upper);

// What the apply saves: the current settings, as "lastwp" (plain) and
// "lastap" (Active Desktop). Nothing when either setting could not be read
// (`current` empty), which would save an empty text in place of what the
// uninstaller is to restore, nor once the desktop shows this wallpaper, so a
// repeated install keeps what was there before the first one.
[[nodiscard]] std::optional<DesktopWallpapers> WallpapersToRemember(DesktopKind desktop,
                                                                    const std::optional<DesktopWallpapers>& current,
                                                                    std::string_view title, UpperCaseFunction upper);

// How the plain wallpaper is placed: the "WallpaperStyle" and
// "TileWallpaper" values of "Control Panel\Desktop". Where the plain
// wallpaper carries the background, the apply sets kBackgroundPosition and,
// with the wallpapers, saves what was there as "laststyle" and "lasttile".
struct WallpaperPosition {
  std::string style;
  std::string tile;
  bool operator==(const WallpaperPosition&) const = default;
};
// Stretched, not tiled: the background has the screen's size already, and
// every monitor shows it whole.
inline const WallpaperPosition kBackgroundPosition = {"2", "0"};

// The saved values as the uninstaller finds them: each empty when the company
// key or the value could not be read (a missing value reads as "").
struct SavedWallpapers {
  std::optional<std::string> lastwp;
  std::optional<std::string> lastap;
  // Both values, or nothing when either is missing (an install of an older
  // version saved none).
  std::optional<WallpaperPosition> position;
};

// What the uninstaller sets; an empty member is left alone.
struct WallpaperRestore {
  std::optional<std::string> plain;
  bool broadcastPlain = false;  // the desktop repaints only on the broadcast
  std::optional<WallpaperPosition> position;  // set before the plain wallpaper
  // Set only with a shell that passes HighEnoughShellVersion, asked only then.
  std::optional<std::string> activeDesktop;
};

// Nothing is touched unless the desktop still shows this wallpaper. Where the
// shell shows the page: "lastwp" when not empty; "lastap" when not empty, or
// when both are empty (the Active Desktop had no wallpaper and gets none);
// nothing when either could not be read. Elsewhere: "lastwp" as the plain
// wallpaper, broadcast, and no wallpaper when it could not be read, rather
// than a picture about to be deleted; the saved position with it.
[[nodiscard]] WallpaperRestore PlanWallpaperRestore(DesktopKind desktop, const DesktopWallpapers& current,
                                                    const SavedWallpapers& saved, std::string_view title,
                                                    UpperCaseFunction upper);

}  // namespace mervalis
