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
  // Windows rotates the desktop's pictures (a slideshow or Spotlight,
  // IsWindowsRotation): the install, the user choosing this wallpaper, ends
  // the rotation as choosing a picture in Settings does; the silent apply
  // leaves it, and the wallpaper setting, as the user switched them on since.
  bool endWindowsRotation = false;
  bool setWallpaper = true;
};

[[nodiscard]] ApplyPlan PlanApply(const ApplyOptions& options, bool windowsRotation = false) noexcept;

// Whether a silent apply stops the running `desktop` mode before it writes and
// starts it again afterwards (with its logon entry), so the mode follows the
// new background and layout. `installed`: the animated desktop is installed,
// which its logon entry or the installed program tells (the mode takes the
// entry away when another wallpaper is chosen; this apply brings ours back).
// Never while Windows rotates the pictures: that is the user's choice since.
[[nodiscard]] bool RestartDesktopModeAroundApply(const ApplyOptions& options, bool installed,
                                                 bool windowsRotation = false) noexcept;

}  // namespace mervalis
