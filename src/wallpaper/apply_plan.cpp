#include "wallpaper/apply_plan.h"

namespace mervalis {

ApplyPlan PlanApply(const ApplyOptions& options) noexcept {
  const bool install = !options.applyMode;
  const WallpaperTarget target = options.desktop == DesktopKind::kHtmlPage ? WallpaperTarget::kPageInActiveDesktop
                                                                           : WallpaperTarget::kBackgroundAsPlain;
  return {install, install, install, target};
}

bool RestartDesktopModeAroundApply(const ApplyOptions& options, bool runValueExists) noexcept {
  return options.applyMode && options.desktop == DesktopKind::kAnimatedBehindIcons && runValueExists;
}

}  // namespace mervalis
