// The uninstaller: removes every file, shortcut and registry entry of this
// wallpaper, puts the previous desktop back, and removes what the family
// shares once no other wallpaper of it is installed. Every step is attempted
// whatever the earlier ones gave; only the final message is shown.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/entry_win.h"
#include "app/exit_codes.h"
#include "app/uninstall_plan.h"
#include "app/uninstall_win.h"
#include "common/crash_point.h"
#include "common/debug_log.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/stored_options_win.h"
#include "common/system_checks_win.h"
#include "common/web_links_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/desktop_control_win.h"
#include "install/install_steps_win.h"
#include "wallpaper/desktop_background_win.h"
#include "wallpaper/desktop_kind_win.h"
#include "wallpaper/desktop_setting_win.h"

namespace mervalis {

namespace {

constexpr DWORD kUnregisterTimeoutMs = 15000;
// The program that started this copy may still be ending when the copy comes
// to its file; it is given this long to let go of it.
constexpr DWORD kApplicationFileWaitMs = 15000;
constexpr DWORD kRetryIntervalMs = 200;

// An `apply` that runs while the files go would point the desktop at them
// again: the uninstall waits for it, within this bound, and then holds the
// apply's mutex so that none starts until the process ends.
constexpr DWORD kApplyWaitMs = 60000;

// A file of ours, read-only or not, with what an interrupted replace of it
// left beside it; a missing or locked one stays silently.
void DeleteOurFile(const std::string& path) {
  const std::wstring wide = Widen(path);
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  CrashPoint("file deleted");
  ::DeleteFileW(wide.c_str());
  DeleteLeftoverTemporaries(path);
}

// Every file that `pattern` (a path whose name may hold "*") matches.
void DeleteFilesMatching(const std::string& pattern) {
  const std::string folder = pattern.substr(0, pattern.find_last_of('\\') + 1);
  WIN32_FIND_DATAW found;
  UniqueFind search(::FindFirstFileW(Widen(pattern).c_str(), &found));
  if (!search) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteOurFile(folder + Narrow(found.cFileName));
  } while (::FindNextFileW(search.get(), &found));
}

// The application file, once the program that may still be running from it
// has let go: a file that exists but cannot be deleted yet is tried again
// until the time is up. A missing file ends the wait at once.
// A silent uninstall's starter runs from the file and waits for this copy, so
// Windows keeps the file until the copy ends; a running program may be
// renamed, though. The file goes beside this per-user copy (and with it, at
// the program's next start), or before Vista at the next restart.
void DeleteApplicationFile(const std::string& path, bool starterWaits, bool perUser) {
  const DWORD start = ::GetTickCount();
  const std::wstring wide = Widen(path);
  DeleteLeftoverTemporaries(path);
  CrashPoint("file deleted");
  while (true) {
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileW(wide.c_str())) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    if (starterWaits) {
      const std::string copy = GetProgramPath();
      const std::string aside = copy.substr(0, copy.find_last_of('\\') + 1) + kMovedProgramName;
      if (perUser ? ::MoveFileExW(wide.c_str(), Widen(aside).c_str(), MOVEFILE_REPLACE_EXISTING)
                  : ::MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        return;
      }
      LogLastError("MoveFileEx", path);
    }
    if (::GetTickCount() - start >= kApplicationFileWaitMs) return;
    ::Sleep(kRetryIntervalMs);
  }
}

// A wallpaper setting with read access only (a key locked against changes can
// still be read); missing or unreadable, it is empty.
std::string ReadWallpaperSetting(std::string_view key) {
  std::string value;
  RegistryKey registry;
  if (registry.Open(HKEY_CURRENT_USER, key, KEY_READ) == ERROR_SUCCESS &&
      registry.ReadString("Wallpaper", value) != ERROR_SUCCESS)
    value.clear();
  return value;
}

SavedWallpapers ReadSavedWallpapers() {
  SavedWallpapers saved;
  RegistryKey registry;
  if (registry.Open(HKEY_CURRENT_USER, kCompanyKey, KEY_READ) != ERROR_SUCCESS) return saved;
  std::string value;
  // A missing "lastwp", "lastap" or "lastslideshow" counts as an empty one.
  if (ReadOrMissing(registry.ReadString("lastwp", value))) saved.lastwp = value;
  if (ReadOrMissing(registry.ReadString("lastap", value))) saved.lastap = value;
  WallpaperPosition position;
  if (registry.ReadString("laststyle", position.style) == ERROR_SUCCESS &&
      registry.ReadString("lasttile", position.tile) == ERROR_SUCCESS) {
    saved.position = position;
  }
  DWORD number = 0;
  if (registry.ReadDword("lastkind", number) == ERROR_SUCCESS) {
    DesktopBackground background{number, {}};
    SlideshowSettings& show = background.slideshow;
    if (ReadOrMissing(registry.ReadString("lastslideshow", value))) show.folder = value;
    if (registry.ReadDword("lastinterval", number) == ERROR_SUCCESS) show.interval = number;
    if (registry.ReadDword("lastshuffle", number) == ERROR_SUCCESS) show.shuffle = number;
    saved.background = background;
  }
  return saved;
}

UninstallFacts GatherFacts(DesktopKind desktop) {
  UninstallFacts facts;
  facts.desktop = desktop;
  facts.perUser = IsPerUserInstall();
  facts.title = std::string(kTitle);
  facts.installFolder = GetInstallFolder();
  facts.wallpaperFolder = GetWallpaperFolder();
  facts.systemFolder = GetSystemFolder();
  facts.current = {ReadWallpaperSetting(kActiveDesktopKey), ReadWallpaperSetting(kDesktopKey)};
  facts.saved = ReadSavedWallpapers();
  // This wallpaper's own entry goes last, and does not count.
  facts.otherWallpaperInstalled = !GetInstalledWallpapers(facts.title).empty();
  facts.programPath = GetProgramPath();
  facts.specialFolder = &GetSpecialFolder;
  facts.upper = &AnsiUpperCase;
  return facts;
}

// Puts the previous wallpaper back. A picture that is gone since, or one the
// setting does not take or read back, would leave the desktop naming our
// background, which goes next: then the desktop gets no picture instead.
// Then the kind the user had: a slideshow or Spotlight runs again.
void RestoreWallpapers(const WallpaperRestore& restore) {
  if (restore.plain) {
    const WallpaperBroadcast broadcast = restore.broadcastPlain ? WallpaperBroadcast::kYes : WallpaperBroadcast::kNo;
    if (restore.position) (void)WriteWallpaperPosition(*restore.position);
    const std::string& previous = *restore.plain;
    std::string shown;
    const bool restored = (previous.empty() || FileExists(previous)) && SetWindowsWallpaper(previous, broadcast) &&
                          ReadWallpaperValue(kDesktopKey, shown) &&
                          AnsiUpperCase(shown) == AnsiUpperCase(previous);
    if (!restored) (void)SetWindowsWallpaper("", broadcast);
  }
  if (restore.background) RestoreDesktopBackground(*restore.background);
  if (restore.activeDesktop && HighEnoughShellVersion()) (void)SetActiveDesktopWallpaper(*restore.activeDesktop);
}

// Waits for a running `apply` to end and keeps others from starting: the
// returned mutex is owned until it is released or the process ends.
UniqueHandle HoldApplyMutex() {
  UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, kApplyMutexName));
  if (mutex) {
    const DWORD waited = ::WaitForSingleObject(mutex.get(), kApplyWaitMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) mutex.reset();
  }
  return mutex;
}

// Unregisters the runtime control and waits for it (within a limit), so that
// the file is no longer loaded by the registration tool when it is deleted.
void UnregisterControl(const std::string& controlPath) {
  const std::wstring parameters = Widen("/s /u \"" + controlPath + "\"");
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = ::GetDesktopWindow();
  info.lpVerb = L"open";
  // By its full path: a bare name would be searched for, and the search
  // looks in the current folder before the system folder.
  const std::wstring tool = Widen(GetSystemFolder() + "regsvr32.exe");
  info.lpFile = tool.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (::ShellExecuteExW(&info) && info.hProcess) {
    UniqueHandle process(info.hProcess);
    ::WaitForSingleObject(process.get(), kUnregisterTimeoutMs);
  }
}

}  // namespace

// In an order that leaves, when interrupted anywhere, what running it again
// finishes: first what would bring the wallpaper back (the animated desktop
// and its logon entry), then the previous wallpaper, then the files and
// shortcuts, the program among the last, and the entry at the very end, so
// that until then Apps & features lists the wallpaper and its uninstall can
// run again. The entry's command goes just before the program it names.
int RunUninstaller(bool silent) {
  const DesktopKind desktop = CurrentDesktopKind();
  const std::string title(kTitle);
  const UniqueHandle applyMutex = HoldApplyMutex();

  // The animated desktop ends before anything of it goes (its image file
  // included), and does not come back at the next logon.
  (void)StopDesktopMode();
  (void)RemoveRunValue(title);

  const UninstallFacts facts = GatherFacts(desktop);
  const UninstallPlan plan = PlanUninstall(facts);
  RestoreWallpapers(plan.wallpaper);
  RemoveOptionCode(title);
  // Nothing of the user's names our files any more, and that is on the disk
  // before the files go.
  FlushRegistry(HKEY_CURRENT_USER);
  for (const std::string& file : plan.files) DeleteOurFile(file);
  for (const std::string& pattern : plan.leftoverPatterns) DeleteFilesMatching(pattern);
  // The log and the report of earlier runs go with the rest, so that their
  // folder can go too; with the log on they tell how this uninstall went,
  // and stay for the user who asked for them.
  if (!LogIsOn()) {
    for (const std::string& file : {LogFilePath(), PreviousLogFilePath(), LogFolder() + std::string(kReportName)}) {
      DeleteOurFile(file);
    }
  }
  if (!plan.controlPath.empty()) {
    UnregisterControl(plan.controlPath);
    DeleteOurFile(plan.controlPath);
  }
  const HKEY entryRoot = UninstallRootKey();
  const std::string entryKey = UninstallKey(title);
  {
    RegistryKey entry;
    if (entry.Open(entryRoot, entryKey, KEY_SET_VALUE) == ERROR_SUCCESS) {
      (void)entry.DeleteValue("UninstallString");
      (void)entry.DeleteValue("QuietUninstallString");
    }
  }
  FlushRegistry(entryRoot);
  DeleteApplicationFile(plan.applicationFile, silent, facts.perUser);
  for (const std::string& folder : plan.emptyFolders) {
    // Before Vista a silent uninstall's program file goes at the restart,
    // and its folder after it.
    if (!::RemoveDirectoryW(Widen(folder).c_str()) && silent && !facts.perUser) {
      (void)::MoveFileExW(Widen(folder).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  }
  const bool entryGone = DeleteKeyTree(entryRoot, entryKey);
  FlushRegistry(entryRoot);

  const std::string message = entryGone ? title + " has been successfully removed from your computer."
                                        : title + " could not be removed completely: its uninstall entry stays.";
  if (silent) {
    try {
      WriteDebugLog("douninstall - " + message);
    } catch (...) {
      LogCaught("RunUninstaller");
      // The outcome is in the exit code.
    }
  } else {
    ::MessageBoxA(::GetDesktopWindow(), message.c_str(), std::string(kCompanyName).c_str(),
                  MB_OK | (entryGone ? MB_ICONINFORMATION : MB_ICONSTOP) | MB_SYSTEMMODAL);
  }

  // This copy in the system folder cannot delete itself while it runs; Windows
  // does so at the next restart. Refused (no rights), the copy stays as before.
  // A per-user copy goes at the program's next start (RemoveUninstallerCopies),
  // or with the temporary folder's own clean-up.
  if (plan.deleteSelfAtRestart) {
    (void)::MoveFileExW(Widen(facts.programPath).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return entryGone ? kExitDone : kExitFailed;
}

}  // namespace mervalis
