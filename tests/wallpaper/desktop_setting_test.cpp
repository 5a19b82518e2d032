#include "wallpaper/desktop_setting.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

TEST(ActiveDesktopRequest, NoWallpaperIsNoneAndLeavesTheActiveDesktopAsItIs) {
  for (const char* none : {"", "(None)"}) {
    const ActiveDesktopRequest request = ActiveDesktopRequestFor(none);
    EXPECT_EQ(request.wallpaper, "(None)");
    EXPECT_FALSE(request.switchOn) << '"' << none << '"';
  }
  for (const char* path : {"C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", "C:\\old.bmp"}) {
    const ActiveDesktopRequest request = ActiveDesktopRequestFor(path);
    EXPECT_EQ(request.wallpaper, path);
    EXPECT_TRUE(request.switchOn) << path;
  }
}

}  // namespace
}  // namespace mervalis
