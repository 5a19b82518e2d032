// The install and the silent apply, free of the window: the checks, the
// apply, the options value, the application file, a first install's shortcuts
// and uninstall entry, and a look at the new desktop.
#include "install/install_win.h"

#include <windows.h>
#include <oleauto.h>
#include <sddl.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/scope_exit.h"
#include "common/stored_options_win.h"
#include "common/system_checks_win.h"
#include "common/web_links.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/background_win.h"
#include "desktop/desktop_control_win.h"
#include "desktop/late_functions_win.h"
#include "desktop/place_report_win.h"
#include "install/install_plan.h"
#include "install/install_steps_win.h"
#include "install/stored_apply_options.h"
#include "install/uninstall_entry.h"
#include "payload/catalogue.h"
#include "wallpaper/apply_plan.h"
#include "wallpaper/apply_win.h"
#include "wallpaper/desktop_background_win.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {


namespace {

constexpr char kShellTooOld[] =
    "Your shell32.dll version is too low!  This application will only run on Windows 98, ME, 2000, and XP.  "
    "In order to run this on Windows 95 or NT4, you must install the Internet Explorer Desktop Update from "
    "Microsoft.";
constexpr char kProgramNotCopied[] =
    "Unable to copy the program into its folder! Please check that the disk has room and try again.";
constexpr char kAnotherUser[] =
    "The desktop belongs to another account than the one this program runs as.\n\n"
    "Please run it without \"Run as administrator\", from the account that will use the wallpaper.";
constexpr char kTooFewColours[] =
    "Your color depth is set too low.\nThis program requires 16 bit color or higher to run.\n\n"
    "Please change your display to at least 16 bit color, then run this program again.";

void Log(const char* checkpoint) { WriteDebugLog(std::string("btnInstall - ") + checkpoint); }

// Minimises every window through the shell's automation object, so the new
// desktop is in view. Throws when the shell does not offer it.
void MinimizeAllWindows() {
  ComInit com;
  if (!com.ok()) throw std::runtime_error("COM is not available.");
  CLSID shell;
  if (FAILED(::CLSIDFromProgID(L"Shell.Application", &shell))) throw std::runtime_error("Invalid class string");
  ComPtr<IDispatch> application;
  if (FAILED(::CoCreateInstance(shell, nullptr, CLSCTX_SERVER, IID_IDispatch, application.put_void()))) {
    throw std::runtime_error("Shell.Application could not be created.");
  }
  wchar_t name[] = L"MinimizeAll";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  if (FAILED(application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    throw std::runtime_error("MinimizeAll is not offered.");
  }
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (FAILED(application->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                                 nullptr))) {
    throw std::runtime_error("MinimizeAll failed.");
  }
}

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// What the install put on the disk: the program, the page, the pictures with
// the background, and the runtime control.
std::uint32_t InstalledSizeKiB(const std::string& title, const std::string& applicationFile) {
  const std::string images = GetImagesFolder(RemoveQuotesAndSpaces(title));
  std::uint64_t bytes = FileSize(applicationFile) + FileSize(PagePath(GetWallpaperFolder(), title)) +
                        FileSize(images + std::string(kBackgroundName)) +
                        FileSize(GetSystemFolder() + std::string(kControlFileName));
  for (const PayloadPicture& picture : kPayloadPictures) bytes += FileSize(images + std::string(picture.fileName));
  return KiBRoundedUp(bytes);
}

// The uninstall entry, opened or else created with the access the caller is
// allowed, its values written anew; the uninstall command last, so that an
// entry counts as installed only once it is complete.
void WriteUninstallEntry(const std::string& title, const std::string& applicationFile) {
  const std::string key = UninstallKey(title);
  RegistryKey entry;
  const HKEY root = UninstallRootKey();
  if (entry.Open(root, key, MAXIMUM_ALLOWED) != ERROR_SUCCESS &&
      entry.Create(root, key, MAXIMUM_ALLOWED) != ERROR_SUCCESS) {
    return;
  }
  SYSTEMTIME today = {};
  ::GetLocalTime(&today);
  const auto values = UninstallEntryValues(title, applicationFile, GetInstallFolder(),
                                           InstalledSizeKiB(title, applicationFile),
                                           InstallDateText(today.wYear, today.wMonth, today.wDay));
  for (const UninstallValue& value : values) {
    (void)(value.isNumber ? entry.WriteDword(value.name, value.number) : entry.WriteString(value.name, value.text));
  }
}

// The size again once the wallpaper's files are there too: the entry was
// written before them.
void UpdateEstimatedSize(const std::string& title, const std::string& applicationFile) {
  RegistryKey entry;
  if (entry.Open(UninstallRootKey(), UninstallKey(title), KEY_SET_VALUE) == ERROR_SUCCESS) {
    (void)entry.WriteDword("EstimatedSize", InstalledSizeKiB(title, applicationFile));
  }
}

// The account a process runs as, as a SID text; empty when it cannot be read.
std::string ProcessUser(HANDLE process) {
  HANDLE raw = nullptr;
  if (!process || !::OpenProcessToken(process, TOKEN_QUERY, &raw)) return {};
  const UniqueHandle token(raw);
  DWORD size = 0;
  (void)::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  char* sidText = nullptr;
  if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
      !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sidText)) {
    return {};
  }
  std::string user(sidText);
  ::LocalFree(sidText);
  return user;
}

// The user of the session's desktop: its shell's owner (Explorer), asked
// with the limited right that Windows grants more widely than the full one
// (Vista on; the full right before), else the session's user as the
// session's own record names that account. Empty when neither tells.
std::string ShellUser() {
  constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION
  DWORD id = 0;
  HWND shell = ::GetShellWindow();
  if (shell && ::GetWindowThreadProcessId(shell, &id) && id != 0) {
    for (const DWORD right : {kQueryLimited, static_cast<DWORD>(PROCESS_QUERY_INFORMATION)}) {
      const UniqueHandle process(::OpenProcess(right, FALSE, id));
      std::string user = ProcessUser(process.get());
      if (!user.empty()) return user;
    }
  }
  const desktop::LateFunctions late;
  if (!late.querySession || !late.freeMemory) return {};
  const auto query = [&](int what) {
    wchar_t* text = nullptr;
    DWORD size = 0;
    std::wstring value;
    if (late.querySession(nullptr /* this server */, static_cast<DWORD>(-1) /* this session */, what,
                          reinterpret_cast<void**>(&text), &size) &&
        text) {
      value = text;
    }
    if (text) late.freeMemory(text);
    return value;
  };
  constexpr int kUserName = 5, kDomainName = 7;  // WTSUserName, WTSDomainName
  const std::wstring name = query(kUserName);
  if (name.empty()) return {};
  const std::wstring domain = query(kDomainName);
  const std::wstring account = domain.empty() ? name : domain + L"\\" + name;
  BYTE sid[SECURITY_MAX_SID_SIZE] = {};
  DWORD sidSize = sizeof(sid);
  wchar_t foundDomain[256] = {};
  DWORD domainSize = static_cast<DWORD>(std::size(foundDomain));
  SID_NAME_USE use = SidTypeUnknown;
  char* sidText = nullptr;
  if (!::LookupAccountNameW(nullptr, account.c_str(), sid, &sidSize, foundDomain, &domainSize, &use) ||
      !::ConvertSidToStringSidA(sid, &sidText)) {
    return {};
  }
  std::string user(sidText);
  ::LocalFree(sidText);
  return user;
}

// The checks in their order, each asked only when the ones before passed:
// each writes its own lines to the debug log.
InstallChecks CheckMachine(std::string_view title) {
  InstallChecks checks;
  checks.shellVersionOk = HighEnoughShellVersion();
  if (!checks.shellVersionOk) return checks;
  {
    // The screen's colour depth, which every window on it shares.
    WindowDc screen(nullptr);
    checks.coloursOk = HighEnoughColors(screen.get());
  }
  if (!checks.coloursOk) return checks;
  checks.shellUser = ShellUser();
  checks.installerUser = ProcessUser(::GetCurrentProcess());
  checks.elevated = RunsElevated();
  checks.installed = IsInstalled(title);
  return checks;
}

// Shortcuts of a first install: made before the entry that makes the next
// run a re-install, so an interruption between them is made good by the next
// run, which is still a first install.
void MakeFirstInstallShortcuts(const InstallOptions& options, const InstallPlan& plan,
                               const std::string& applicationFile) {
  Log("Before CreateShortcuts");
  const std::string web = ShortcutAddress();
  for (const Shortcut& shortcut : plan.firstInstallShortcuts) {
    const bool toApplication = shortcut.target == ShortcutTarget::kApplication;
    CreateShortcuts(shortcut.place, shortcut.linkName, toApplication ? applicationFile : web,
                    options.apply.wallpaperNameCaption);
  }
  Log("After CreateShortcuts");
}

// In an order that any interruption leaves for the next run to finish: the
// program copied and in place, the shortcuts of a first install, the entry
// (which names the program), the wallpaper, then what starts the animated
// desktop (the logon entry and the mode itself, stopped while its program
// file is replaced and started again on every way out, this one's end).
InstallOutcome PutInPlace(const InstallOptions& options, const InstallPlan& plan, const std::string& title,
                          InstallReporter& reporter) {
  std::string applicationFile;
  if (plan.restartDesktopMode) (void)StopDesktopMode();
  const ScopeExit startAgain([&] {
    if (plan.restartDesktopMode && FileExists(applicationFile)) (void)StartDesktopMode(applicationFile);
  });
  Log("Before WriteApplicationFile");
  const bool inPlace = WriteApplicationFile(title, applicationFile);
  Log("After WriteApplicationFile");
  if (!inPlace) {
    reporter.Refused(kProgramNotCopied);
    return InstallOutcome::kProgramNotCopied;
  }
  // Asked now rather than taken from the checks: a first install is one
  // whose entry does not name a program yet.
  if (!IsInstalled(title)) MakeFirstInstallShortcuts(options, plan, applicationFile);
  Log("Before Inst Reg Write");
  WriteUninstallEntry(title, applicationFile);
  Log("After Inst Reg Write");

  Log("Before ApplyWallpaper");
  const bool applied = ApplyWallpaper(options.apply);
  if (applied) {
    Log("After ApplyWallpaper");
    UpdateEstimatedSize(title, applicationFile);
    Log("Before Opt Reg Write");
    WriteOptionCode(title, plan.optionCode);
    if (plan.writeRunValue) (void)WriteRunValue(title, applicationFile);
  }
  // Once, at the end: the entry (and from Vista on the logon entry, in the
  // same hive) on the disk, as the program it names already is.
  FlushRegistry(UninstallRootKey());
  return applied ? InstallOutcome::kDone : InstallOutcome::kApplyFailed;
}

InstallOutcome Install(const InstallOptions& options, InstallReporter& reporter) {
  const std::string title = RemoveQuotes(options.apply.wallpaperNameCaption);
  Log("After Var Dec");
  const InstallPlan plan = PlanInstall(options, CheckMachine(title));
  switch (plan.stop) {
    case InstallStop::kShellTooOld: reporter.Refused(kShellTooOld); return InstallOutcome::kUnsupported;
    case InstallStop::kTooFewColours: reporter.Refused(kTooFewColours); return InstallOutcome::kRefused;
    case InstallStop::kDesktopOfAnotherUser: reporter.Refused(kAnotherUser); return InstallOutcome::kRefused;
    case InstallStop::kLicenceNeeded: reporter.LicenceNeeded(); return InstallOutcome::kRefused;
    case InstallStop::kNone: break;
  }

  Log("Before HG Cursor");
  reporter.Busy();
  const InstallOutcome placed = PutInPlace(options, plan, title, reporter);
  if (placed != InstallOutcome::kDone) return placed;

  // The restarted animated desktop's word, once it has looked for its place.
  const desktop::PlaceReport place =
      plan.restartDesktopMode ? desktop::AwaitPlaceReport(desktop::kPlaceReportWaitMs, [&] { reporter.Waiting(); })
                              : desktop::PlaceReport::kNone;
  reporter.Done(desktop::PlaceNotice(place));
  if (options.silent) return InstallOutcome::kDone;
  try {
    Log("Before Minimize Windows");
    MinimizeAllWindows();
    reporter.WindowsMinimised();
    Log("After Minimize Windows");
  } catch (...) {
    LogCaught("Install");
    // Not being able to show the desktop spoils nothing.
  }
  return InstallOutcome::kDone;
}

// What the animated desktop started just now says of its place, to the debug
// log; a log that cannot be written spoils nothing.
void LogDesktopPlace() noexcept {
  try {
    const desktop::PlaceReport place = desktop::AwaitPlaceReport(desktop::kPlaceReportWaitMs);
    WriteDebugLog("apply - " + std::string(desktop::PlaceLogLine(place)));
  } catch (...) {
    LogCaught("LogDesktopPlace");
  }
}

}  // namespace

InstallOutcome RunInstall(const InstallOptions& options, InstallReporter& reporter) {
  Log("Begin");
  const InstallOutcome outcome = Install(options, reporter);
  Log("End");
  return outcome;
}

bool RunApply(const ApplyOptions& options) {
  const std::string title = RemoveQuotes(options.wallpaperNameCaption);
  const std::string applicationFile = ApplicationFilePath(GetInstallFolder(), title);
  const bool restart = RestartDesktopModeAroundApply(options, RunValueExists(title) || FileExists(applicationFile),
                                                     IsWindowsRotation(ReadBackgroundKind()));
  if (restart) (void)StopDesktopMode();
  // Back also after an error of the apply: the desktop keeps its animation,
  // and has it again at every logon.
  const ScopeExit startAgain([&] {
    if (!restart) return;
    (void)WriteRunValue(title, applicationFile);
    if (StartDesktopMode(applicationFile)) LogDesktopPlace();
  });
  return ApplyWallpaper(options);
}

bool ApplyStoredOptions() {
  return RunApply(StoredApplyOptions(ReadStoredLayout(), CurrentDesktopKind()));
}

}  // namespace mervalis
