#include "wallpaper/apply_plan.h"

namespace mervalis {

ApplyPlan PlanApply(const ApplyOptions& options, bool windowsRotation) noexcept {
  const bool install = !options.applyMode;
  const bool page = options.desktop == DesktopKind::kHtmlPage;
  return {install,
          install,
          page,
          install && page,
          page ? WallpaperTarget::kPageInActiveDesktop : WallpaperTarget::kBackgroundAsPlain,
          install && windowsRotation,
          install || !windowsRotation};
}

bool RestartDesktopModeAroundApply(const ApplyOptions& options, bool installed, bool windowsRotation) noexcept {
  return options.applyMode && options.desktop == DesktopKind::kAnimatedBehindIcons && installed && !windowsRotation;
}

}  // namespace mervalis
