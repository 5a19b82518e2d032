#include "install/install_plan.h"

#include "common/names.h"
#include "common/stored_options.h"

namespace mervalis {

namespace {

InstallStop StopFor(const InstallOptions& options, const InstallChecks& checks) {
  if (!checks.shellVersionOk) return InstallStop::kShellTooOld;
  if (!checks.coloursOk) return InstallStop::kTooFewColours;
  // Unelevated, only a known owner of a known shell can tell: otherwise
  // nothing is in the way. Elevated, an owner that could not be read counts
  // as another account's.
  const bool known = !checks.shellUser.empty() && !checks.installerUser.empty();
  if ((known && checks.shellUser != checks.installerUser) || (checks.elevated && !known)) {
    return InstallStop::kDesktopOfAnotherUser;
  }
  if (!checks.installed && !options.licenceAccepted) return InstallStop::kLicenceNeeded;
  return InstallStop::kNone;
}

}  // namespace

InstallPlan PlanInstall(const InstallOptions& options, const InstallChecks& checks) {
  InstallPlan plan;
  plan.stop = StopFor(options, checks);
  if (plan.stop != InstallStop::kNone) return plan;
  const ApplyOptions& apply = options.apply;
  plan.optionCode = OptionCode(!apply.stretched, apply.showBorder, apply.borderExtra);
  const bool animated = apply.desktop == DesktopKind::kAnimatedBehindIcons;
  plan.restartDesktopMode = animated;
  plan.writeRunValue = animated;
  plan.firstInstallShortcuts = ShortcutsToCreate(RemoveQuotes(apply.wallpaperNameCaption), options.desktopShortcut);
  return plan;
}

}  // namespace mervalis
