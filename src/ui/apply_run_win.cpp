#include "ui/apply_run_win.h"

#include <string>

#include "common/folders_win.h"
#include "common/names.h"
#include "desktop/background_win.h"
#include "desktop/desktop_control_win.h"
#include "ui/scope_exit.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {

ApplyOptions StoredApplyOptions(const desktop::StoredLayout& layout, DesktopKind desktop) {
  ApplyOptions options;
  options.wallpaperNameCaption = "\"" + std::string(kTitle) + "\"";
  options.stretched = layout.stretched;
  options.showBorder = layout.showBorder;
  options.borderExtra = layout.decorate;
  options.applyMode = true;
  options.desktop = desktop;
  return options;
}

bool ApplyStoredOptions() {
  const ApplyOptions options = StoredApplyOptions(desktop::ReadStoredLayout(), CurrentDesktopKind());
  const bool restart = options.desktop == DesktopKind::kAnimatedBehindIcons && RunValueExists(kTitle);
  const std::string applicationFile = restart ? ApplicationFilePath(GetInstallFolder(), kTitle) : std::string();
  if (restart) (void)StopDesktopMode();
  const ui::ScopeExit startAgain([&] {
    if (restart) (void)StartDesktopMode(applicationFile);
  });
  return ApplyWallpaper(options);
}

}  // namespace mervalis
