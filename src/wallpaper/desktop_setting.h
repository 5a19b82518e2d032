// What the Active Desktop is told for a wallpaper, decided apart from the COM
// calls that tell it (desktop_setting_win.h).
#pragma once

#include <string>
#include <string_view>

namespace mervalis {

struct ActiveDesktopRequest {
  std::string wallpaper;  // "(None)" stands for no wallpaper
  // The Active Desktop and its components are switched on, so the page shows;
  // not for no wallpaper.
  bool switchOn = false;
};

// An empty path is no wallpaper.
[[nodiscard]] ActiveDesktopRequest ActiveDesktopRequestFor(std::string_view path);

}  // namespace mervalis
