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
#include "payload/catalogue.h"
#include "wallpaper/desktop_setting_win.h"

namespace mervalis {

namespace {

constexpr DWORD kUnregisterTimeoutMs = 15000;

// Start-menu group folders and desktops, all users first.
constexpr int kGroupFolders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
constexpr int kDesktops[] = {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY};

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

void DeleteInSpecialFolder(int csidl, const std::string& name) {
  const std::string path = InSpecialFolder(csidl, name);
  if (!path.empty()) DeleteOurFile(path);
}

void RemoveEmptyFolder(const std::string& folder) {
  if (!folder.empty()) ::RemoveDirectoryA(folder.c_str());
}

// Puts back the wallpapers from before the first apply, when this wallpaper's
// page is still what the desktop shows.
void RestorePreviousWallpapers(const std::string& title) {
  std::string current;
  {
    Registry registry(HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    if (registry.OpenKey(kActiveDesktopKey, false)) {
      if (registry.ReadString("Wallpaper", current) != ERROR_SUCCESS) current.clear();
    }
  }
  if (AnsiUpperCase(current).find(AnsiUpperCase(PageName(title))) == std::string::npos) return;

  Registry saved(HKEY_CURRENT_USER, KEY_READ);
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

// Unregisters the runtime control and waits for it (within a limit), so that
// the file is no longer loaded by the registration tool when it is deleted.
void UnregisterControl(const std::string& controlPath) {
  const std::string parameters = "/s /u \"" + controlPath + "\"";
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = ::GetDesktopWindow();
  info.lpVerb = "open";
  info.lpFile = "regsvr32.exe";
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (::ShellExecuteExA(&info) && info.hProcess) {
    UniqueHandle process(info.hProcess);
    ::WaitForSingleObject(process.get(), kUnregisterTimeoutMs);
  }
}

}  // namespace

void RunUninstaller() {
  const std::string title(kTitle);
  const std::string key = RemoveQuotesAndSpaces(title);
  const std::string installFolder = GetInstallFolder();
  const std::string wallpaperFolder = GetWallpaperFolder();
  const std::string imagesFolder = GetImagesFolder(key);
  const std::string controlPath = GetSystemFolder() + std::string(kControlFileName);
  const std::string shortcut = title + ".lnk";

  (void)DeleteKeyTree(HKEY_LOCAL_MACHINE, UninstallKey(title));
  {
    Registry options(HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    if (options.OpenKey(kOptionsKey, false)) (void)options.DeleteValue(title);
  }
  RestorePreviousWallpapers(title);

  DeleteOurFile(ApplicationFilePath(installFolder, title));
  DeleteOurFile(PagePath(wallpaperFolder, title));
  DeleteOurFile(imagesFolder + std::string(kBackgroundName));
  for (const PayloadPicture& picture : kPayloadPictures) DeleteOurFile(imagesFolder + std::string(picture.fileName));

  for (int csidl : kGroupFolders) DeleteInSpecialFolder(csidl, std::string(kProductWord) + "\\" + shortcut);
  for (int csidl : kDesktops) DeleteInSpecialFolder(csidl, shortcut);

  // The links to more wallpapers serve the whole family: they go with the last one.
  if (GetInstalledWallpapers().empty()) {
    for (int csidl : kGroupFolders) {
      DeleteInSpecialFolder(csidl, std::string(kProductWord) + "\\" + std::string(kMoreWallpapersLink));
    }
    for (int csidl : kDesktops) DeleteInSpecialFolder(csidl, std::string(kDesktopMoreLink));
  }

  UnregisterControl(controlPath);
  DeleteOurFile(controlPath);

  // Folders go only when empty: another wallpaper of the family may use them.
  RemoveEmptyFolder(installFolder);
  RemoveEmptyFolder(imagesFolder.substr(0, imagesFolder.size() - 1));
  RemoveEmptyFolder(ImagesRootFolder(wallpaperFolder));
  for (int csidl : kGroupFolders) RemoveEmptyFolder(InSpecialFolder(csidl, std::string(kProductWord)));

  const std::string message = title + " has been successfully removed from your computer.";
  ::MessageBoxA(::GetDesktopWindow(), message.c_str(), std::string(kCompanyWord).c_str(),
                MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

}  // namespace mervalis
