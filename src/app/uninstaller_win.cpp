// The uninstaller: removes every file, shortcut and registry entry of this
// wallpaper, puts the previous desktop back, and removes what the family
// shares once no other wallpaper of it is installed. Every step is attempted
// whatever the earlier ones gave; only the final message is shown.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "app/uninstall_win.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/system_checks_win.h"
#include "common/web_links_win.h"
#include "common/win_handles.h"
#include "desktop/desktop_control_win.h"
#include "payload/catalogue.h"
#include "ui/shortcut_table.h"
#include "wallpaper/desktop_kind_win.h"
#include "wallpaper/desktop_setting_win.h"

namespace mervalis {

namespace {

constexpr DWORD kUnregisterTimeoutMs = 15000;
// The program that started this copy may still be ending when the copy comes
// to its file; it is given this long to let go of it.
constexpr DWORD kApplicationFileWaitMs = 15000;
constexpr DWORD kRetryIntervalMs = 200;
// What an interrupted write-beside-and-replace leaves next to the real file.
constexpr char kTemporarySuffix[] = ".tmp";

// A file of ours, read-only or not; a missing or locked one stays silently.
void DeleteOurFile(const std::string& path) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileA(path.c_str());
}

// The special folder joined with a name; empty when the shell has no such
// folder (a bare name would point at the root of the current drive).
std::string InSpecialFolder(int csidl, const std::string& name) {
  const std::string folder = GetSpecialFolder(csidl);
  return folder.empty() ? std::string() : folder + "\\" + name;
}

// The application file, once the program that may still be running from it
// has let go: a file that exists but cannot be deleted yet is tried again
// until the time is up. A missing file ends the wait at once.
void DeleteApplicationFile(const std::string& path) {
  const DWORD start = ::GetTickCount();
  while (true) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileA(path.c_str())) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    if (::GetTickCount() - start >= kApplicationFileWaitMs) return;
    ::Sleep(kRetryIntervalMs);
  }
}

void DeleteInSpecialFolder(int csidl, const std::string& name) {
  const std::string path = InSpecialFolder(csidl, name);
  if (!path.empty()) DeleteOurFile(path);
}

void RemoveEmptyFolder(const std::string& folder) {
  if (!folder.empty()) ::RemoveDirectoryA(folder.c_str());
}

// From both folders of its place, whichever the install used.
void DeleteShortcut(const Shortcut& shortcut) {
  const std::string name = shortcut.place.group.empty()
                               ? shortcut.linkName
                               : std::string(shortcut.place.group) + "\\" + shortcut.linkName;
  for (int csidl : {shortcut.place.allUsers, shortcut.place.currentUser}) DeleteInSpecialFolder(csidl, name);
}

// Puts back the wallpapers from before the first apply, when this wallpaper's
// page is still what the desktop shows.
void RestorePreviousWallpapers(const std::string& title) {
  std::string current;
  {
    // Read access only: a key locked against changes can still be read.
    RegistryKey registry(HKEY_CURRENT_USER, KEY_READ);
    if (registry.OpenKey(kActiveDesktopKey, false)) {
      if (registry.ReadString("Wallpaper", current) != ERROR_SUCCESS) current.clear();
    }
  }
  if (AnsiUpperCase(current).find(AnsiUpperCase(PageName(title))) == std::string::npos) return;

  RegistryKey saved(HKEY_CURRENT_USER, KEY_READ);
  if (!saved.OpenKey(kCompanyKey, false)) return;
  std::string lastWallpaper, lastActiveDesktop;
  if (saved.ReadString("lastwp", lastWallpaper) != ERROR_SUCCESS ||
      saved.ReadString("lastap", lastActiveDesktop) != ERROR_SUCCESS) {
    return;
  }
  if (!lastWallpaper.empty()) (void)SetWindowsWallpaper(lastWallpaper);
  // Both empty: the Active Desktop had no wallpaper before, so it gets none.
  const bool setActiveDesktop = !lastActiveDesktop.empty() || lastWallpaper.empty();
  if (setActiveDesktop && HighEnoughShellVersion()) (void)SetActiveDesktopWallpaper(lastActiveDesktop);
}

// Where the shell shows no page: the plain wallpaper from before the first
// apply, when the desktop still shows our background (an empty one clears it).
void RestorePreviousPlainWallpaper(const std::string& key) {
  std::string current;
  {
    RegistryKey registry(HKEY_CURRENT_USER, KEY_READ);
    if (registry.OpenKey(kDesktopKey, false)) {
      if (registry.ReadString("Wallpaper", current) != ERROR_SUCCESS) current.clear();
    }
  }
  if (!ShowsOurBackground(current, key)) return;
  std::string lastWallpaper;
  {
    RegistryKey saved(HKEY_CURRENT_USER, KEY_READ);
    // Nothing saved, or unreadable: no wallpaper rather than a picture about to go.
    if (saved.OpenKey(kCompanyKey, false) && saved.ReadString("lastwp", lastWallpaper) != ERROR_SUCCESS) {
      lastWallpaper.clear();
    }
  }
  (void)SetWindowsWallpaper(lastWallpaper, WallpaperBroadcast::kYes);
}

// Unregisters the runtime control and waits for it (within a limit), so that
// the file is no longer loaded by the registration tool when it is deleted.
void UnregisterControl(const std::string& controlPath) {
  const std::string parameters = "/s /u \"" + controlPath + "\"";
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = ::GetDesktopWindow();
  info.lpVerb = "open";
  // By its full path: a bare name would be searched for, and the search
  // looks in the current folder before the system folder.
  const std::string tool = GetSystemFolder() + "regsvr32.exe";
  info.lpFile = tool.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (::ShellExecuteExA(&info) && info.hProcess) {
    UniqueHandle process(info.hProcess);
    ::WaitForSingleObject(process.get(), kUnregisterTimeoutMs);
  }
}

}  // namespace

void RunUninstaller() {
  const DesktopKind desktop = CurrentDesktopKind();
  const std::string title(kTitle);
  const std::string key = RemoveQuotesAndSpaces(title);
  const std::string installFolder = GetInstallFolder();
  const std::string wallpaperFolder = GetWallpaperFolder();
  const std::string imagesFolder = GetImagesFolder(key);
  const std::string controlPath = GetSystemFolder() + std::string(kControlFileName);

  (void)DeleteKeyTree(HKEY_LOCAL_MACHINE, UninstallKey(title));
  {
    RegistryKey options(HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    if (options.OpenKey(kOptionsKey, false)) (void)options.DeleteValue(title);
  }
  // The animated desktop ends before anything of it goes (its image file
  // included), and does not come back at the next logon.
  (void)StopDesktopMode();
  (void)RemoveRunValue(title);
  if (desktop == DesktopKind::kHtmlPage) {
    RestorePreviousWallpapers(title);
  } else {
    RestorePreviousPlainWallpaper(key);
  }

  const std::string applicationFile = ApplicationFilePath(installFolder, title);
  DeleteApplicationFile(applicationFile);
  DeleteOurFile(applicationFile + kTemporarySuffix);
  DeleteOurFile(PagePath(wallpaperFolder, title));
  DeleteOurFile(imagesFolder + std::string(kBackgroundName));
  DeleteOurFile(imagesFolder + std::string(kBackgroundName) + kTemporarySuffix);
  for (const PayloadPicture& picture : kPayloadPictures) DeleteOurFile(imagesFolder + std::string(picture.fileName));

  // The links to more wallpapers serve the whole family: they go with the last one.
  const bool otherWallpaperInstalled = !GetInstalledWallpapers().empty();
  for (const Shortcut& shortcut : ShortcutsToRemove(title, otherWallpaperInstalled)) DeleteShortcut(shortcut);

  UnregisterControl(controlPath);
  DeleteOurFile(controlPath);

  // Folders go only when empty: another wallpaper of the family may use them.
  RemoveEmptyFolder(installFolder);
  RemoveEmptyFolder(imagesFolder.substr(0, imagesFolder.size() - 1));
  RemoveEmptyFolder(ImagesRootFolder(wallpaperFolder));
  for (const ShortcutPlace& place : ShortcutGroups()) {
    for (int csidl : {place.allUsers, place.currentUser}) {
      RemoveEmptyFolder(InSpecialFolder(csidl, std::string(place.group)));
    }
  }

  const std::string message = title + " has been successfully removed from your computer.";
  ::MessageBoxA(::GetDesktopWindow(), message.c_str(), std::string(kCompanyName).c_str(),
                MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);

  // This copy in the system folder cannot delete itself while it runs; Windows
  // does so at the next restart. Refused (no rights), the copy stays as before.
  const std::string self = GetProgramPath();
  if (AnsiUpperCase(self) == AnsiUpperCase(GetSystemFolder() + std::string(kUninstallerCopyName))) {
    (void)::MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

}  // namespace mervalis
