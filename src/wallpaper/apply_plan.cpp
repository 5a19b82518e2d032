#include "wallpaper/apply_plan.h"

namespace mervalis {

ApplyPlan PlanApply(const ApplyOptions& options) noexcept {
  const bool install = !options.applyMode;
  const bool page = options.desktop == DesktopKind::kHtmlPage;
  return {install, install, page, install && page,
          page ? WallpaperTarget::kPageInActiveDesktop : WallpaperTarget::kBackgroundAsPlain};
}

bool RestartDesktopModeAroundApply(const ApplyOptions& options, bool installed) noexcept {
  return options.applyMode && options.desktop == DesktopKind::kAnimatedBehindIcons && installed;
}

}  // namespace mervalis
