#include "app/entry_win.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/silent_install_win.h"
#include "app/uninstall_win.h"
#include "common/application_win.h"
#include "common/debug_log.h"
#include "common/dpi_awareness_win.h"
#include "common/file_version.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/report_win.h"
#include "install/install_win.h"
#include "ui/main_form_win.h"

namespace mervalis {

namespace {

// A second window-mode instance brings the first one to the front and ends.
void ActivateFirstInstance() {
  HWND first = ::FindWindowA(kApplicationWindowClass, std::string(kCompanyName).c_str());
  if (!first) return;
  if (::IsIconic(first)) ::ShowWindow(first, SW_SHOWDEFAULT);
  ::SetForegroundWindow(first);
  HWND popup = ::GetLastActivePopup(first);
  if (popup && popup != first) ::BringWindowToTop(popup);
}

Application& StartApplication(HINSTANCE instance, Application::Presence presence,
                              std::string_view title) {
  Application& app = Application::Instance();
  if (!app.Initialize(instance, presence)) {
    throw std::runtime_error("The application window could not be created.");
  }
  app.SetTitle(title);
  return app;
}

// The mode's mutex is handed in by the entry, which holds it until the
// process ends: also while an error unwinds and its box is up, a later start
// must still find this instance running.
void RunNormalMode(HINSTANCE instance, UniqueHandle& mutex) {
  mutex.reset(::CreateMutexA(nullptr, FALSE, kNormalMutexName));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ActivateFirstInstance();
    return;
  }
  Application& app = StartApplication(instance, Application::Presence::kTaskBar, kCompanyName);
  TfrmMain form;
  form.Create();
  app.Run();
}

// False when the wallpaper was not applied in full. A run that finds another
// one under way leaves the work to it.
bool RunApplyMode(HINSTANCE instance, UniqueHandle& mutex) {
  mutex.reset(::CreateMutexA(nullptr, FALSE, kApplyMutexName));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return true;
  // Nothing of this run is ever shown: its application window is message-only.
  StartApplication(instance, Application::Presence::kMessageOnly, kApplyArgument);
  return ApplyStoredOptions();
}

// Nothing is written or deleted by a name that is not a full path. The runs
// nobody watches (`apply` from the page or the control, the logon's desktop
// mode, the silent runs) say so only to a debugger; the others in a box.
void RefuseWithoutFolders(RunMode mode, bool silent) {
  constexpr char kNoFolders[] =
      "Windows did not name the folders this wallpaper is kept in, so nothing was changed.\n\n"
      "Please sign out and in again, then run this program again.";
  if (mode == RunMode::Apply || mode == RunMode::Desktop || silent) {
    ::OutputDebugStringA("Mervalis: the base folders are unknown or not full paths; nothing was done.\n");
    return;
  }
  ::MessageBoxA(::GetDesktopWindow(), kNoFolders, std::string(kCompanyName).c_str(),
                MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
}

}  // namespace

int RunProgram(HINSTANCE instance, const char* commandLine) noexcept {
  // Outlives the error guard below.
  UniqueHandle instanceMutex;
  // The exit code of `apply` and of the silent runs tells whoever started
  // them whether they succeeded.
  int exitCode = 0;
  try {
    const std::string_view line = commandLine ? commandLine : "";
    const std::string argument = AnsiLowerCase(ModeArgument(line));
    const RunMode mode = RunModeFor(argument);
    const Switches switches = ReadSwitches(line);
    // Only the install and the uninstall have a silent form.
    const bool silent = switches.silent && (mode == RunMode::Normal || mode == RunMode::Uninstall ||
                                            mode == RunMode::DoUninstall);
    Application::Instance().SetSilent(silent);
    if (mode == RunMode::Apply || silent) exitCode = kExitFailed;  // until it says otherwise
    if (!BaseFoldersKnown() && mode != RunMode::Preview) {
      RefuseWithoutFolders(mode, silent);
      return exitCode;
    }
    // Earlier versions' debug log goes, whatever the mode.
    const std::string oldLogPath = GetInstallFolder() + std::string(kDebugLogName);
    ::DeleteFileW(Widen(oldLogPath).c_str());
    if (CarriesLogSwitch(line) || LogAskedByRegistry()) {
      SwitchLog(true);
      // A log that cannot be written says so at the mode's own first line,
      // once the mode is taken.
      try {
        WriteDebugLog("Start - " + std::string(kTitle) + " " + MERVALIS_FILE_VERSION_TEXT + ", mode \"" + argument + "\"");
      } catch (...) {
        // The log itself failed: nothing more can be said.
      }
    }

    // Uninstaller copies of earlier uninstalls go at the next start that is
    // not an `apply` (which runs often and must stay quick).
    if (IsPerUserInstall() && mode != RunMode::Apply && mode != RunMode::Uninstall) RemoveUninstallerCopies();
    switch (mode) {
      case RunMode::Uninstall:
        exitCode = RunUninstallMode(silent);
        break;
      case RunMode::DoUninstall:
        exitCode = RunUninstaller(silent);
        break;
      case RunMode::Apply:
        // The background is composed for the primary monitor's real pixels.
        (void)BecomePerMonitorAware();
        if (RunApplyMode(instance, instanceMutex)) exitCode = 0;
        break;
      case RunMode::Normal:
        if (silent) {
          exitCode = RunSilentInstall(instance, switches, instanceMutex);
        } else {
          RunNormalMode(instance, instanceMutex);
        }
        break;
      case RunMode::Desktop:
        RunDesktopMode(instance);
        break;
      case RunMode::Preview:
        RunPreviewMode(instance);
        break;
      case RunMode::Report:
        // Per-monitor aware, so that the monitors and windows are listed in real pixels.
        (void)BecomePerMonitorAware();
        if (desktop::WriteAndOpenReport().empty()) {
          exitCode = 1;
          ::MessageBoxW(nullptr, Widen("The report could not be written to " + LogFolder() + ".").c_str(),
                        Widen(kCompanyName).c_str(), MB_OK | MB_ICONSTOP);
        }
        break;
    }
  } catch (...) {
    LogCaught("RunProgram");
    Application::Instance().ShowCurrentException();
  }
  return exitCode;
}

}  // namespace mervalis
