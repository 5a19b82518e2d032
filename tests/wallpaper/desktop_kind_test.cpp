#include "wallpaper/desktop_kind.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

TEST(DesktopKind, HtmlDesktopOnlyBeforeVista) {
  EXPECT_EQ(DesktopKindForWindows(4), DesktopKind::kHtmlPage);   // 98, ME, NT 4
  EXPECT_EQ(DesktopKindForWindows(5), DesktopKind::kHtmlPage);   // 2000, XP
  EXPECT_EQ(DesktopKindForWindows(6), DesktopKind::kAnimatedBehindIcons);   // Vista to 8.1
  EXPECT_EQ(DesktopKindForWindows(10), DesktopKind::kAnimatedBehindIcons);  // 10 and 11
}

TEST(DesktopKind, RunEntryNamesTheApplicationFileQuoted) {
  EXPECT_EQ(RunValueName("Mervalis"), "Quorvane - Mervalis");
  EXPECT_EQ(DesktopModeCommand("C:\\Program Files\\Quorvane\\Mervalis.exe"),
            "\"C:\\Program Files\\Quorvane\\Mervalis.exe\" desktop");
}

TEST(DesktopKind, OurBackgroundIsRecognisedInAnyCaseAndFolder) {
  const struct {
    const char* value;
    bool ours;
  } rows[] = {
      {"C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis\\background.bmp", true},
      {"c:\\windows\\web\\wallpaper\\qvimages\\mervalis\\BACKGROUND.BMP", true},
      {"D:\\Other\\QVImages\\Mervalis\\background.bmp", true},
      {"C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Other\\background.bmp", false},
      {"C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis\\background.bmp.old", false},
      {"C:\\Windows\\Web\\Wallpaper\\Windows\\img0.jpg", false},
      {"background.bmp", false},
      {"", false},
  };
  for (const auto& row : rows) EXPECT_EQ(ShowsOurBackground(row.value, "Mervalis"), row.ours) << row.value;
}

TEST(DesktopKind, AnotherWallpaperIsChosenOnlyByAChangeToAnotherPicture) {
  const char* ours = "C:\\Users\\Ann\\AppData\\Local\\Quorvane\\QVImages\\Mervalis\\background.bmp";
  const char* photo = "C:\\Users\\Ann\\Pictures\\beach.jpg";
  const char* copy = "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";
  const struct {
    const char* before;
    const char* now;
    bool chosen;
    std::optional<std::uint32_t> kind = std::nullopt;  // "BackgroundType" after the news
  } rows[] = {
      {ours, photo, true},
      {ours, "", true},  // a plain colour
      {ours, copy, true},
      {ours, "c:\\users\\ann\\appdata\\local\\quorvane\\qvimages\\mervalis\\BACKGROUND.BMP", false},
      {photo, ours, false},  // ours again (a theme that names it)
      {copy, copy, false},   // Windows' copy of whatever picture: no news
      {photo, "C:\\Users\\Ann\\Pictures\\dunes.jpg", true},
      // A picture or a colour as the kind: the setting alone tells.
      {ours, photo, true, 0},
      {ours, ours, false, 0},
      {copy, copy, false, 1},
      // A slideshow or Spotlight running: the user switched it on since the
      // install ended Windows' rotation, whatever picture it shows yet.
      {ours, copy, true, 2},
      {ours, ours, true, 3},
      {copy, copy, true, 3},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(AnotherWallpaperChosen(row.before, row.now, "Mervalis", row.kind), row.chosen)
        << row.before << " -> " << row.now << " kind " << row.kind.value_or(99);
  }
}

}  // namespace
}  // namespace mervalis
