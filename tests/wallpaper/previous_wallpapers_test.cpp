#include "wallpaper/previous_wallpapers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/names.h"

namespace mervalis {
namespace {

constexpr DesktopKind kXp = DesktopKind::kHtmlPage;
constexpr DesktopKind kTen = DesktopKind::kAnimatedBehindIcons;
const char kPage[] = "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html";
const char kBackground[] = "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis\\background.bmp";
const char kBliss[] = "C:\\WINDOWS\\Web\\Wallpaper\\Bliss.bmp";
const char kCopy[] = "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";

// Ours is the page before Vista (named anywhere in the value, any letter
// case) and the background since; ours is never remembered.
TEST(PreviousWallpapers, ApplyRemembersOnlyReadableSettingsThatAreNotOurs) {
  const struct {
    DesktopKind desktop;
    std::optional<DesktopWallpapers> current;
    bool remembered;
    const char* plain = nullptr;  // remembered as the plain wallpaper: the current one unless given
    // The kind ("lastkind") is remembered with the wallpapers unless given.
    std::optional<bool> kindRemembered = std::nullopt;
  } rows[] = {
      {kXp, DesktopWallpapers{"C:\\Docs\\news.htm", kBliss}, true},
      {kTen, DesktopWallpapers{"C:\\Docs\\news.htm", kBliss}, true},
      {kXp, std::nullopt, false},
      {kXp, DesktopWallpapers{"file:///c:/windows/web/wallpaper/quorvane - mervalis.html?x=1", ""}, false},
      {kXp, DesktopWallpapers{"C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Other.html", ""}, true},
      // A family picture, ours or another wallpaper's, is never the user's own.
      {kXp, DesktopWallpapers{"", kBackground}, false},
      {kTen, DesktopWallpapers{"", kBackground}, false},
      {kTen, DesktopWallpapers{kPage, kBliss}, true},
      {kTen, DesktopWallpapers{"", "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\CoralReef\\background.bmp"}, false},
      {kTen, DesktopWallpapers{"", "c:/users/me/appdata/local/quorvane/qvimages/coralreef/background.bmp"}, false},
      {kTen, DesktopWallpapers{"", "C:\\Pictures\\QVImages.bmp"}, true},
      // Windows' copy: the picture it was made from, where Windows tells it
      // and it is the user's; else nothing.
      {kTen, DesktopWallpapers{"", kCopy, kBliss}, true, kBliss},
      {kTen, DesktopWallpapers{"", "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper.jpg",
                               kBliss}, true, kBliss},
      // A slideshow's or Spotlight's copy whose picture Windows does not
      // name: its kind is still the user's.
      {kTen, DesktopWallpapers{"", kCopy, ""}, false, nullptr, true},
      {kTen, DesktopWallpapers{"", kCopy, kBackground}, false},
      {kTen, DesktopWallpapers{"", "C:\\Pictures\\TranscodedWallpapers\\sea.jpg", ""}, true},
  };
  const DesktopBackground slideshow = {2, {"C:\\Users\\me\\Pictures\\Trips", 600000, 1}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const auto kind = BackgroundToRemember(rows[i].desktop, rows[i].current, slideshow, "Mervalis", &AsciiUpperCase);
    EXPECT_EQ(kind, rows[i].kindRemembered.value_or(rows[i].remembered) ? std::optional(slideshow) : std::nullopt);
    const auto remembered = WallpapersToRemember(rows[i].desktop, rows[i].current, "Mervalis", &AsciiUpperCase);
    ASSERT_EQ(remembered.has_value(), rows[i].remembered);
    if (!remembered) continue;
    EXPECT_EQ(remembered->plain, rows[i].plain ? rows[i].plain : rows[i].current->plain);
    EXPECT_EQ(remembered->activeDesktop, rows[i].current->activeDesktop);
  }
  // Spotlight and the other kinds keep no slideshow settings; a Windows
  // that records no kind has none to remember.
  const std::optional<DesktopWallpapers> copy = DesktopWallpapers{"", kCopy, ""};
  const DesktopBackground spotlight = {3, slideshow.slideshow};
  EXPECT_EQ(BackgroundToRemember(kTen, copy, spotlight, "Mervalis", &AsciiUpperCase), DesktopBackground{3});
  EXPECT_EQ(BackgroundToRemember(kTen, copy, std::nullopt, "Mervalis", &AsciiUpperCase), std::nullopt);
}

// A restore as "plain=<value>[ broadcast] ad=<value>", "-" for untouched.
std::string Describe(const WallpaperRestore& restore) {
  std::string text = "plain=" + restore.plain.value_or("-");
  if (restore.broadcastPlain) text += " broadcast";
  text += " ad=" + restore.activeDesktop.value_or("-");
  if (restore.position) text += " position=" + restore.position->style + "/" + restore.position->tile;
  if (restore.background) {
    const SlideshowSettings& show = restore.background->slideshow;
    text += " kind=" + std::to_string(restore.background->kind);
    if (!show.folder.empty()) text += " folder=" + show.folder;
    if (show.interval) text += " interval=" + std::to_string(*show.interval);
  }
  return text;
}

TEST(PreviousWallpapers, UninstallPutsBackWhatWasThereBeforeTheFirstApply) {
  const std::optional<std::string> none;
  const struct {
    DesktopKind desktop;
    DesktopWallpapers current;
    SavedWallpapers saved;
    const char* expected;
  } rows[] = {
      // The page is no longer shown: nothing is touched.
      {kXp, {kBliss, ""}, {"C:\\old.bmp", "C:\\old.htm"}, "plain=- ad=-"},
      {kXp, {kPage, ""}, {"C:\\old.bmp", ""}, "plain=C:\\old.bmp ad=-"},
      {kXp, {kPage, ""}, {"", ""}, "plain=- ad="},
      {kXp, {kPage, ""}, {"", "C:\\old.htm"}, "plain=- ad=C:\\old.htm"},
      {kXp, {kPage, ""}, {"C:\\old.bmp", "C:\\old.htm"}, "plain=C:\\old.bmp ad=C:\\old.htm"},
      // Either saved value unreadable (or the key missing): nothing.
      {kXp, {kPage, ""}, {none, "C:\\old.htm"}, "plain=- ad=-"},
      {kXp, {kPage, ""}, {"C:\\old.bmp", none}, "plain=- ad=-"},
      // Since Vista: the plain wallpaper only, broadcast; none rather than ours.
      {kTen, {kPage, kBackground}, {"C:\\old.bmp", "C:\\old.htm"}, "plain=C:\\old.bmp broadcast ad=-"},
      {kTen, {"", kBackground}, {none, none}, "plain= broadcast ad=-"},
      {kTen, {"", kBliss}, {"C:\\old.bmp", ""}, "plain=- ad=-"},
      // With the position it was shown in, where that was saved.
      {kTen, {"", kBackground}, {"C:\\old.bmp", "", WallpaperPosition{"10", "0"}},
       "plain=C:\\old.bmp broadcast ad=- position=10/0"},
      {kTen, {"", kBliss}, {"C:\\old.bmp", "", WallpaperPosition{"10", "0"}}, "plain=- ad=-"},
      // A family picture or Windows' copy saved by an older version: no
      // picture rather than a deleted file or our scene.
      {kTen, {"", kBackground}, {kBackground, ""}, "plain= broadcast ad=-"},
      {kTen, {"", kBackground}, {kCopy, ""}, "plain= broadcast ad=-"},
      {kXp, {kPage, ""}, {"C:\\x\\QVImages\\Coral\\background.bmp", "C:\\old.htm"}, "plain=- ad=C:\\old.htm"},
      // The kind the user had, a slideshow with its settings or Spotlight,
      // comes back with the picture, whatever that picture was.
      {kTen, {"", kBackground}, {"C:\\old.bmp", "", std::nullopt, DesktopBackground{2, {"C:\\Trips", 60000, 0}}},
       "plain=C:\\old.bmp broadcast ad=- kind=2 folder=C:\\Trips interval=60000"},
      {kTen, {"", kBackground}, {kCopy, "", std::nullopt, DesktopBackground{3}}, "plain= broadcast ad=- kind=3"},
      {kTen, {"", kBliss}, {"C:\\old.bmp", "", std::nullopt, DesktopBackground{3}}, "plain=- ad=-"},
      // Nor is our own page.
      {kXp, {kPage, ""}, {kPage, kPage}, "plain=- ad="},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const auto& row = rows[i];
    EXPECT_EQ(Describe(PlanWallpaperRestore(row.desktop, row.current, row.saved, "Mervalis", &AsciiUpperCase)),
              row.expected);
  }
}

}  // namespace
}  // namespace mervalis
