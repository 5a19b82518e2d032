// The install and the silent apply as operations of their own: they take
// their options once, read nothing from a window, and tell their caller what
// to show through a small reporter.
#pragma once

#include <string_view>

#include "install/install_options.h"

namespace mervalis {

// What the install shows on its way; the installer window implements it.
class InstallReporter {
 public:
  // The install does not go on: a box with this text (the shell is too old,
  // the display has too few colours, the program could not be copied).
  virtual void Refused(std::string_view message) = 0;
  // A first install without consent: the licence agreement, instead.
  virtual void LicenceNeeded() = 0;
  // About to write: the busy cursor, shown at once.
  virtual void Busy() = 0;
  // Waiting for the animated desktop's word: the window keeps answering.
  virtual void Waiting() = 0;
  // Everything written: the done panel, with `desktopNotice` when not empty
  // (why the animation is not behind the icons, and what to switch on).
  virtual void Done(std::string_view desktopNotice) = 0;
  // All windows were minimised to show the new desktop: the installer's own
  // comes back shortly after.
  virtual void WindowsMinimised() = 0;

 protected:
  ~InstallReporter() = default;
};

// kUnsupported: refused because the shell is too old for the wallpaper.
enum class InstallOutcome { kRefused, kUnsupported, kApplyFailed, kProgramNotCopied, kDone };

// The checks (a desktop of another account refuses with a box before
// anything is written), the application file (with the animated desktop
// stopped around it and started again on every way out), on a first install
// the shortcuts, the uninstall entry written anew, the apply, the option code
// and the logon entry, a few seconds for the restarted animated desktop to
// say whether it found its place behind the icons, then the minimised
// windows. Each step leaves what the next run finishes: an interrupted install
// is ended by the next one. A program that could not be copied stops the
// install with a box before anything names it (logon entry, shortcuts,
// entry). Errors of the apply are shown by the apply; errors thrown on the
// way (the debug log, the page file) are passed on. The checkpoint lines go to
// the debug log as "btnInstall - ...". A silent install minimises nothing.
[[nodiscard]] InstallOutcome RunInstall(const InstallOptions& options, InstallReporter& reporter);

// The silent apply: ApplyWallpaper, with an installed animated desktop stopped
// while the files are written and started again on every way out, so it
// follows the new background and layout; what it says of its place goes to
// the debug log. True when the apply succeeded.
[[nodiscard]] bool RunApply(const ApplyOptions& options);
// The `apply` run mode: RunApply with the stored options, no window made.
bool ApplyStoredOptions();

}  // namespace mervalis
