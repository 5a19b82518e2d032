// The web links of the main window: which wallpapers of the family this
// machine has, and opening a page of the maker's site in the browser.
#pragma once

#include <string>
#include <string_view>

namespace mervalis {

// The family's installed wallpapers as the uninstall entries under
// HKEY_CURRENT_USER and then HKEY_LOCAL_MACHINE name them, in the registry's
// enumeration order: comma-separated, lower-cased in the user's locale,
// without blanks and double quotes. Registry errors end the reading and keep what was read; a missing
// uninstall key gives the empty text. An entry of `exceptTitle` is left out.
[[nodiscard]] std::string GetInstalledWallpapers(std::string_view exceptTitle = {});

// Opens the page ("index.php?wp=" or "tell.php?wp=") with the link query for
// the wallpaper named by the caption (quotes allowed). The shell is asked to
// open it and not waited for; no failure is reported.
void OpenWallpaperWebPage(std::string_view page, std::string_view wallpaperNameCaption) noexcept;

}  // namespace mervalis
