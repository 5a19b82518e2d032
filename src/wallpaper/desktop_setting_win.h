// Telling Windows what the desktop shows: the plain wallpaper and the Active
// Desktop's wallpaper. Each call opens and releases everything it uses and
// reports failure only through its result.
#pragma once

#include <string_view>

namespace mervalis {

// Sets the plain wallpaper (a picture file; empty for none) and saves it in the
// user's profile without broadcasting the change. The default profile's
// "Wallpaper" value is written too when its key exists (it is never created);
// that part cannot change the result. True when SystemParametersInfo accepted
// the wallpaper.
[[nodiscard]] bool SetWindowsWallpaper(std::string_view path) noexcept;

// Points the Active Desktop at the page (empty or "(None)" for no wallpaper),
// switches the Active Desktop and its components on unless there is no
// wallpaper, then saves, regenerates and refreshes the desktop. True when the
// Active Desktop accepted the wallpaper (one retry); false also when COM or
// the Active Desktop is not available. Safe on a thread that has COM already.
[[nodiscard]] bool SetActiveDesktopWallpaper(std::string_view path) noexcept;

}  // namespace mervalis
