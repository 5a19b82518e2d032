#include "wallpaper/desktop_setting.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

TEST(ActiveDesktopRequest, NoWallpaperIsNoneAndLeavesTheActiveDesktopAsItIs) {
  const struct {
    const char* path;
    const char* wallpaper;
    bool switchOn;
  } rows[] = {
      {"", "(None)", false},
      {"(None)", "(None)", false},
      {"C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html",
       true},
      {"C:\\old.bmp", "C:\\old.bmp", true},
  };
  for (const auto& row : rows) {
    const ActiveDesktopRequest request = ActiveDesktopRequestFor(row.path);
    EXPECT_EQ(request.wallpaper, row.wallpaper);
    EXPECT_EQ(request.switchOn, row.switchOn) << row.path;
  }
}

}  // namespace
}  // namespace mervalis
