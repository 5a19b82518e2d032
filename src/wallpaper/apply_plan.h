// The decisions of the apply sequence, taken from its options before anything
// is written: what an install does that the silent apply run leaves alone,
// and which wallpaper setting shows the result.
#pragma once

#include "wallpaper/apply_options.h"

namespace mervalis {

enum class WallpaperTarget {
  kPageInActiveDesktop,  // plain wallpaper cleared, the Active Desktop pointed at the page
  kBackgroundAsPlain,    // the composed background as the plain wallpaper, broadcast
};

struct ApplyPlan {
  // The wallpapers from before the first apply are saved for the uninstaller
  // (when the desktop does not show this wallpaper yet).
  bool rememberPreviousWallpapers;
  // A background that cannot be written stops the sequence with its message.
  bool reportBackgroundError;
  // The page is written and left as the stub page that embeds the runtime
  // control: only the Active Desktop shows it.
  bool writePage;
  // The pictures and the runtime control are written afresh, the control
  // registered with "regsvr32.exe".
  bool writePicturesAndControl;
  WallpaperTarget target;
};

[[nodiscard]] ApplyPlan PlanApply(const ApplyOptions& options) noexcept;

// Whether a silent apply stops the running `desktop` mode before it writes and
// starts it again afterwards (with its logon entry), so the mode follows the
// new background and layout. `installed`: the animated desktop is installed,
// which its logon entry or the installed program tells (the mode takes the
// entry away when another wallpaper is chosen; this apply brings ours back).
[[nodiscard]] bool RestartDesktopModeAroundApply(const ApplyOptions& options, bool installed) noexcept;

}  // namespace mervalis
