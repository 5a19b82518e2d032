// Telling Windows what the desktop shows: the plain wallpaper and the Active
// Desktop's wallpaper. Each call opens and releases everything it uses and
// reports failure only through its result.
#pragma once

#include <string>
#include <string_view>

#include "wallpaper/previous_wallpapers.h"

namespace mervalis {

// The "Wallpaper" value under the current user's `key`, read with read access
// only (a key locked against changes can still be read). A missing key or
// value is an empty wallpaper; false when the value is there but could not be
// read.
[[nodiscard]] bool ReadWallpaperValue(std::string_view key, std::string& value) noexcept;

// The picture Windows made its copy of the wallpaper from, as it records it:
// from Windows 8 on the path in "TranscodedImageCache" under the current
// user's "Control Panel\Desktop" (a binary value; the path, UTF-16 up to its
// zero, starts at byte 24), on Windows 7 the Active Desktop key's
// "WallpaperSource". Empty where there is none or it cannot be read.
[[nodiscard]] std::string ReadWallpaperCopySource() noexcept;

// Sets the plain wallpaper (a picture file; empty for none) and saves it in the
// user's profile. Broadcast only when asked: where the Active Desktop shows
// the page, the callers refresh the desktop through it right after; where it
// cannot, the desktop repaints only on the broadcast. The default profile's
// "Wallpaper" value is written too when its key exists (it is never created)
// and the install is not per-user;
// that part cannot change the result. True when SystemParametersInfo accepted
// the wallpaper. Clearing a wallpaper that is already clear (in the session
// and in the profile) leaves SystemParametersInfo out: it would change nothing
// but still have the shell repaint the whole desktop, at every re-apply.
enum class WallpaperBroadcast { kNo, kYes };
[[nodiscard]] bool SetWindowsWallpaper(std::string_view path,
                                       WallpaperBroadcast broadcast = WallpaperBroadcast::kNo) noexcept;

// The plain wallpaper's position values of the current user; false when
// either could not be read (a missing value reads as "").
[[nodiscard]] bool ReadWallpaperPosition(WallpaperPosition& position) noexcept;
// Written before the wallpaper is set, which is when the shell reads them.
[[nodiscard]] bool WriteWallpaperPosition(const WallpaperPosition& position) noexcept;

// Points the Active Desktop at the page (empty or "(None)" for no wallpaper),
// switches the Active Desktop and its components on unless there is no
// wallpaper, then saves, regenerates and refreshes the desktop. True when the
// Active Desktop accepted the wallpaper (one retry); false also when COM or
// the Active Desktop is not available. Safe on a thread that has COM already.
[[nodiscard]] bool SetActiveDesktopWallpaper(std::string_view path) noexcept;

}  // namespace mervalis
