// The decisions of the install, taken from the window's options and the
// checks of the machine: whether it may go on, the option code it stores, how
// the animated desktop is treated, and what a first install adds.
#pragma once

#include <string>
#include <vector>

#include "install/install_options.h"
#include "install/shortcut_table.h"

namespace mervalis {

// The checks, asked in this order, each only when the ones before passed.
struct InstallChecks {
  bool shellVersionOk = false;  // HighEnoughShellVersion
  bool coloursOk = false;       // HighEnoughColors
  bool installed = false;       // IsInstalled: the uninstall entry names an existing program
  // The accounts (as SID texts) of the desktop's session (its shell's
  // owner, else the session's user) and of this program; empty when unknown
  // (no shell window, an owner that cannot be read).
  std::string shellUser;
  std::string installerUser;
  // This program runs with an administrator's full rights (Vista on).
  bool elevated = false;
};

// Why the install does not go on: a box for the shell and the colours, the
// licence panel for a first install without consent.
// A desktop of another account than the installer's (a standard user who
// typed an administrator's password): the install would land in the wrong
// profile, so nothing is written. So too when an elevated installer cannot
// tell whose the desktop is: an administrator is usually refused a look at
// a standard user's shell, which is just when the profiles differ.
enum class InstallStop { kNone, kShellTooOld, kTooFewColours, kDesktopOfAnotherUser, kLicenceNeeded };

struct InstallPlan {
  InstallStop stop = InstallStop::kNone;
  char optionCode = '5';  // stored under the title in the options key
  // The animated desktop: its mode lets go of the application file while the
  // file is replaced and starts again afterwards, and its logon entry is written.
  bool restartDesktopMode = false;
  bool writeRunValue = false;
  // Made, in this order, when the uninstall entry is still missing once the
  // application file is written, and followed by the entry.
  std::vector<Shortcut> firstInstallShortcuts;
};

// An installed wallpaper never asks for the licence again, whatever its box holds.
[[nodiscard]] InstallPlan PlanInstall(const InstallOptions& options, const InstallChecks& checks);

}  // namespace mervalis
