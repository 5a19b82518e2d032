#include "wallpaper/previous_wallpapers.h"

#include <algorithm>

#include "common/names.h"
#include "common/product_names.h"

namespace mervalis {

bool DesktopShowsWallpaper(DesktopKind desktop, const DesktopWallpapers& current, std::string_view title,
                           UpperCaseFunction upper) {
  if (desktop == DesktopKind::kHtmlPage) {
    return upper(current.activeDesktop).find(upper(PageName(title))) != std::string::npos;
  }
  return ShowsOurBackground(current.plain, RemoveQuotesAndSpaces(title));
}

namespace {

// The file name: what follows the last separator.
std::string_view FileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// Neither a family picture nor Windows' copy.
bool UsersOwn(std::string_view path) { return !IsFamilyPicture(path) && !IsWindowsWallpaperCopy(path); }

}  // namespace

bool IsFamilyPicture(std::string_view path) {
  std::string folders = AsciiUpperCase(path.substr(0, path.size() - FileName(path).size()));
  std::replace(folders.begin(), folders.end(), '/', '\\');
  return ("\\" + folders).find("\\" + AsciiUpperCase(kImagesFolderName) + "\\") != std::string::npos;
}

bool IsWindowsWallpaperCopy(std::string_view path) {
  const std::string name = AsciiUpperCase(FileName(path));
  constexpr std::string_view kCopy = "TRANSCODEDWALLPAPER";
  return name.starts_with(kCopy) && (name.size() == kCopy.size() || name[kCopy.size()] == '.');
}

std::optional<DesktopWallpapers> WallpapersToRemember(DesktopKind desktop,
                                                      const std::optional<DesktopWallpapers>& current,
                                                      std::string_view title, UpperCaseFunction upper) {
  if (!current || DesktopShowsWallpaper(desktop, *current, title, upper)) return std::nullopt;
  if (IsFamilyPicture(current->plain) || IsFamilyPicture(current->activeDesktop)) return std::nullopt;
  DesktopWallpapers remember = *current;
  if (IsWindowsWallpaperCopy(current->plain)) {
    if (current->copiedFrom.empty() || !UsersOwn(current->copiedFrom)) return std::nullopt;
    remember.plain = current->copiedFrom;
  }
  remember.copiedFrom.clear();
  return remember;
}

std::optional<DesktopBackground> BackgroundToRemember(DesktopKind desktop,
                                                     const std::optional<DesktopWallpapers>& current,
                                                     std::optional<DesktopBackground> background,
                                                     std::string_view title, UpperCaseFunction upper) {
  if (!background || !current || DesktopShowsWallpaper(desktop, *current, title, upper)) return std::nullopt;
  if (IsFamilyPicture(current->plain) || IsFamilyPicture(current->activeDesktop)) return std::nullopt;
  if (IsWindowsWallpaperCopy(current->plain) && !current->copiedFrom.empty() && !UsersOwn(current->copiedFrom)) {
    return std::nullopt;  // a copy of a family picture
  }
  if (background->kind != kSlideshowBackground) background->slideshow = {};
  return background;
}

WallpaperRestore PlanWallpaperRestore(DesktopKind desktop, const DesktopWallpapers& current,
                                      const SavedWallpapers& saved, std::string_view title,
                                      UpperCaseFunction upper) {
  WallpaperRestore restore;
  if (!DesktopShowsWallpaper(desktop, current, title, upper)) return restore;
  // A saved value that is no wallpaper of the user's, or is our page about to
  // be deleted, counts as empty.
  const auto usersOwn = [&](const std::optional<std::string>& value) -> std::optional<std::string> {
    if (value && (!UsersOwn(*value) || DesktopShowsWallpaper(DesktopKind::kHtmlPage, {*value, {}, {}}, title, upper))) {
      return std::string();
    }
    return value;
  };
  const std::optional<std::string> lastwp = usersOwn(saved.lastwp);
  const std::optional<std::string> lastap = usersOwn(saved.lastap);
  if (desktop != DesktopKind::kHtmlPage) {
    restore.plain = lastwp.value_or(std::string());
    restore.broadcastPlain = true;
    restore.position = saved.position;
    restore.background = saved.background;
    return restore;
  }
  if (!lastwp || !lastap) return restore;
  if (!lastwp->empty()) restore.plain = *lastwp;
  if (!lastap->empty() || lastwp->empty()) restore.activeDesktop = *lastap;
  return restore;
}

}  // namespace mervalis
