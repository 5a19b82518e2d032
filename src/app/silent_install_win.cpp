#include "app/silent_install_win.h"

#include <string>
#include <string_view>

#include "app/entry_win.h"
#include "app/exit_codes.h"
#include "common/application_win.h"
#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/stored_options_win.h"
#include "common/wide_text_win.h"
#include "desktop/background_win.h"
#include "install/install_win.h"
#include "install/stored_apply_options.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {

namespace {

void Note(std::string_view text) noexcept {
  try {
    WriteDebugLog("silent install - " + std::string(text));
  } catch (...) {
    // A log that cannot be written changes nothing of the install.
  }
}

// What the window would show, to the log; nothing waits for a person.
class LogReporter final : public InstallReporter {
 public:
  void Refused(std::string_view message) override { Note(message); }
  void LicenceNeeded() override { Note("the licence was not accepted"); }
  void Busy() override {}
  void Waiting() override {}
  void Done(std::string_view desktopNotice) override {
    if (!desktopNotice.empty()) Note(desktopNotice);
    Note("done");
  }
  void WindowsMinimised() override {}
};

// An uninstall holds the apply's mutex while it runs.
bool UninstallRuns() {
  const UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, kApplyMutexName));
  if (!mutex) return false;
  const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return true;
  ::ReleaseMutex(mutex.get());
  return false;
}

// Whether this account may make files in `folder`, or in its nearest
// existing parent when it is not there yet: a probe file that goes when it
// is closed, so nothing stays.
bool MayWriteIn(std::string folder) {
  while (!DirectoryExists(folder)) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    const std::size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos) return false;
    folder.resize(slash);
  }
  char name[40];
  wsprintfA(name, "Mervalis-probe-%08lx.tmp", ::GetCurrentProcessId());
  const UniqueFile probe(::CreateFileW(Widen(WithTrailingBackslash(folder) + name).c_str(), GENERIC_WRITE, 0,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                       nullptr));
  return static_cast<bool>(probe);
}

// Before Vista the wallpaper is installed for the machine: its folders, the
// system folder and the machine's uninstall entries must be writable. From
// Vista on everything goes to the user's own places.
bool MayInstallForTheMachine() {
  if (IsPerUserInstall()) return true;
  for (const std::string& folder : {GetInstallFolder(), GetWallpaperFolder(), GetSystemFolder()}) {
    if (!MayWriteIn(folder)) return false;
  }
  RegistryKey entries;
  return entries.Open(HKEY_LOCAL_MACHINE, kUninstallRootKey, KEY_CREATE_SUB_KEY | KEY_SET_VALUE) == ERROR_SUCCESS;
}

int ExitCodeFor(InstallOutcome outcome) {
  switch (outcome) {
    case InstallOutcome::kDone: return kExitDone;
    case InstallOutcome::kUnsupported: return kExitWindowsNotSupported;
    case InstallOutcome::kApplyFailed: return kExitWallpaperNotApplied;
    case InstallOutcome::kRefused:
    case InstallOutcome::kProgramNotCopied: break;
  }
  return kExitFailed;
}

}  // namespace

int RunSilentInstall(HINSTANCE instance, const Switches& switches, UniqueHandle& mutex) {
  mutex.reset(::CreateMutexA(nullptr, FALSE, kNormalMutexName));
  if (::GetLastError() == ERROR_ALREADY_EXISTS || UninstallRuns()) {
    Note("another install or uninstall is running; nothing was changed");
    return kExitAnotherRunning;
  }
  if (!MayInstallForTheMachine()) {
    Note("this account may not install for the machine (an administrator's rights are needed); "
         "nothing was changed");
    return kExitNoRights;
  }
  Application& app = Application::Instance();
  if (!app.Initialize(instance, Application::Presence::kMessageOnly)) return kExitFailed;
  app.SetTitle(kCompanyName);
  if (!switches.unknown.empty()) Note("ignored: " + switches.unknown);

  InstallOptions options;
  options.apply = StoredApplyOptions(SilentInstallLayout(switches, ReadStoredLayout()),
                                     CurrentDesktopKind());
  options.apply.applyMode = false;
  options.licenceAccepted = true;
  options.desktopShortcut = !switches.noShortcut;
  options.silent = true;
  LogReporter reporter;
  return ExitCodeFor(RunInstall(options, reporter));
}

}  // namespace mervalis
