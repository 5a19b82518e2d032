#include "wallpaper/previous_wallpapers.h"

#include "common/names.h"

namespace mervalis {

bool DesktopShowsWallpaper(DesktopKind desktop, const DesktopWallpapers& current, std::string_view title,
                           UpperCaseFunction upper) {
  if (desktop == DesktopKind::kHtmlPage) {
    return upper(current.activeDesktop).find(upper(PageName(title))) != std::string::npos;
  }
  return ShowsOurBackground(current.plain, RemoveQuotesAndSpaces(title));
}

std::optional<DesktopWallpapers> WallpapersToRemember(DesktopKind desktop,
                                                      const std::optional<DesktopWallpapers>& current,
                                                      std::string_view title, UpperCaseFunction upper) {
  if (!current || DesktopShowsWallpaper(desktop, *current, title, upper)) return std::nullopt;
  return current;
}

WallpaperRestore PlanWallpaperRestore(DesktopKind desktop, const DesktopWallpapers& current,
                                      const SavedWallpapers& saved, std::string_view title,
                                      UpperCaseFunction upper) {
  WallpaperRestore restore;
  if (!DesktopShowsWallpaper(desktop, current, title, upper)) return restore;
  if (desktop != DesktopKind::kHtmlPage) {
    restore.plain = saved.lastwp.value_or(std::string());
    restore.broadcastPlain = true;
    restore.position = saved.position;
    return restore;
  }
  if (!saved.lastwp || !saved.lastap) return restore;
  if (!saved.lastwp->empty()) restore.plain = *saved.lastwp;
  if (!saved.lastap->empty() || saved.lastwp->empty()) restore.activeDesktop = *saved.lastap;
  return restore;
}

}  // namespace mervalis
