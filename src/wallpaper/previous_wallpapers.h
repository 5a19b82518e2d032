// The wallpapers from before the first apply: when the apply saves them for
// the uninstaller ("lastwp", "lastap" under the company key), and what the
// uninstaller puts back. Only decisions here; the callers read and write.
#pragma once

#include <cstdint>
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
  // Where the plain wallpaper is Windows' own copy of a picture: the picture
  // it was made from, as Windows records it beside the copy (from Windows 8
  // on, "TranscodedImageCache"); empty when unknown. Read only for the apply.
  std::string copiedFrom;
};

// A picture of the family's wallpapers: a file in a "QVImages" folder, ours
// or another wallpaper's, which its uninstall deletes.
[[nodiscard]] bool IsFamilyPicture(std::string_view path);
// Windows' own copy of the picture it shows ("TranscodedWallpaper", with an
// extension on Windows 7), which it overwrites with each new picture: with
// ours too, once our background is set.
[[nodiscard]] bool IsWindowsWallpaperCopy(std::string_view path);

// True when the desktop shows this wallpaper: where the shell shows the page,
// the Active Desktop wallpaper names the page anywhere in its value, letter
// case ignored; elsewhere the plain wallpaper is this wallpaper's background.
[[nodiscard]] bool DesktopShowsWallpaper(DesktopKind desktop, const DesktopWallpapers& current,
                                         std::string_view title, UpperCaseFunction upper);

// What the apply saves: the current settings, as "lastwp" (plain) and
// "lastap" (Active Desktop), which the family's wallpapers share. Always the
// user's own wallpaper: nothing when either setting could not be read
// (`current` empty), which would save an empty text in place of what the
// uninstaller is to restore, nor once the desktop shows this wallpaper, so a
// repeated install keeps what was there before the first one, nor while a
// setting names a family picture (another wallpaper of the family is shown:
// what its install saved stays). Where the plain wallpaper is Windows' copy,
// the picture it was made from, when known and not the family's; else
// nothing, as for a family picture.
[[nodiscard]] std::optional<DesktopWallpapers> WallpapersToRemember(DesktopKind desktop,
                                                                    const std::optional<DesktopWallpapers>& current,
                                                                    std::string_view title, UpperCaseFunction upper);

// The desktop's kind ("BackgroundType", kBackgroundKindKey) and, for a
// slideshow, its own settings, as the install finds them (Windows 10 on).
struct SlideshowSettings {
  // The folder its pictures come from (IDesktopWallpaper::GetSlideshow);
  // empty where Windows cannot say (no such interface).
  std::string folder;
  // "Interval" (milliseconds) and "Shuffle" under kSlideshowKey, where set.
  std::optional<std::uint32_t> interval;
  std::optional<std::uint32_t> shuffle;
  bool operator==(const SlideshowSettings&) const = default;
};
inline constexpr std::string_view kSlideshowKey = "Control Panel\\Personalization\\Desktop Slideshow";
struct DesktopBackground {
  std::uint32_t kind = 0;
  SlideshowSettings slideshow;  // read and kept only for a slideshow
  bool operator==(const DesktopBackground&) const = default;
};

// What the install saves of the kind beside the wallpapers ("lastkind"; for
// a slideshow "lastslideshow", "lastinterval", "lastshuffle"), on the same
// terms as WallpapersToRemember, except that Windows' copy of a picture of
// unknown origin does not stop it: a slideshow or Spotlight always shows a
// copy. Nothing where Windows records no kind (`background` empty), and then the
// saved kind of an earlier install is deleted with the wallpapers saved anew.
[[nodiscard]] std::optional<DesktopBackground> BackgroundToRemember(
    DesktopKind desktop, const std::optional<DesktopWallpapers>& current, std::optional<DesktopBackground> background,
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
  // "lastkind" and the slideshow's values; nothing when "lastkind" is missing.
  std::optional<DesktopBackground> background;
};

// What the uninstaller sets; an empty member is left alone.
struct WallpaperRestore {
  std::optional<std::string> plain;
  bool broadcastPlain = false;  // the desktop repaints only on the broadcast
  std::optional<WallpaperPosition> position;  // set before the plain wallpaper
  // The kind, with the slideshow's settings, put back after the picture: the
  // user's slideshow or Spotlight runs again.
  std::optional<DesktopBackground> background;
  // Set only with a shell that passes HighEnoughShellVersion, asked only then.
  std::optional<std::string> activeDesktop;
};

// Nothing is touched unless the desktop still shows this wallpaper. A saved
// value naming a family picture or Windows' copy (an older version saved
// them), or our own page, counts as empty: restored, it would show a deleted
// file or our scene.
// Where the shell shows the page: "lastwp" when not empty; "lastap" when not empty, or
// when both are empty (the Active Desktop had no wallpaper and gets none);
// nothing when either could not be read. Elsewhere: "lastwp" as the plain
// wallpaper, broadcast, and no wallpaper when it could not be read, rather
// than a picture about to be deleted; the saved position and kind with it.
[[nodiscard]] WallpaperRestore PlanWallpaperRestore(DesktopKind desktop, const DesktopWallpapers& current,
                                                    const SavedWallpapers& saved, std::string_view title,
                                                    UpperCaseFunction upper);

}  // namespace mervalis
