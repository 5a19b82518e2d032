// What the install takes from the installer window, read once when the button
// is pressed and before anything runs: the install never goes back to the
// window's controls, so nothing the user does meanwhile changes its course.
#pragma once

#include <string>

#include "wallpaper/apply_options.h"

namespace mervalis {

struct InstallOptions {
  ApplyOptions apply;            // layout, title caption and desktop kind
  bool licenceAccepted = false;  // the agreement's box is ticked
  bool desktopShortcut = false;  // the desktop pair of shortcuts is wanted
  // A silent install ("/S"): the user's windows are left as they are, not
  // minimised to show the new desktop.
  bool silent = false;
};

}  // namespace mervalis
