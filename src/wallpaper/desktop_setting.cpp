#include "wallpaper/desktop_setting.h"

namespace mervalis {

namespace {

constexpr std::string_view kNoWallpaper = "(None)";

}  // namespace

ActiveDesktopRequest ActiveDesktopRequestFor(std::string_view path) {
  const std::string_view wallpaper = path.empty() ? kNoWallpaper : path;
  return {std::string(wallpaper), wallpaper != kNoWallpaper};
}

}  // namespace mervalis
