// The desktop's kind on Windows 10 and 11 (a picture, a solid colour, a
// slideshow, Windows Spotlight): read for the install to remember, Windows'
// rotation ended when the user chooses this wallpaper, and the kind put back
// by the uninstaller. IDesktopWallpaper (Windows 8 on) where Windows has it,
// the registry values where it has not. Each call opens and releases
// everything it uses and reports nothing: what could not be done stays.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "wallpaper/previous_wallpapers.h"

namespace mervalis {

// "BackgroundType" of the current user; empty where it is not there.
[[nodiscard]] std::optional<std::uint32_t> ReadBackgroundKind() noexcept;

// The kind with, for a slideshow, its folder (IDesktopWallpaper) and its
// "Interval" and "Shuffle" (the registry, else the interface); empty where
// Windows records no kind.
[[nodiscard]] std::optional<DesktopBackground> ReadDesktopBackground() noexcept;

// Ends Windows' rotation as choosing `picture` in Settings does: the picture
// set through IDesktopWallpaper for every monitor where Windows has it, and
// "BackgroundType" 0, a picture. The caller then sets the picture as ever.
void EndWindowsRotation(std::string_view picture) noexcept;

// Puts the kind back after the picture: "BackgroundType" and the slideshow's
// values, and where Windows has IDesktopWallpaper the slideshow's options
// and folder through it.
void RestoreDesktopBackground(const DesktopBackground& background) noexcept;

}  // namespace mervalis
