#include "install/install_steps_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "common/crash_point.h"
#include "common/debug_log.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "install/uninstall_entry.h"

namespace mervalis {

namespace {

// Copies the program file to the application file through a temporary file
// beside it: the application file is either the old copy or the complete new
// one, never a half-written one or none.
bool ReplaceApplicationFile(const std::string& programPath, const std::string& installFolder,
                            const std::string& applicationFile) {
  std::string bytes;
  if (!ReadWholeFile(programPath, bytes)) return false;
  if (!ForceDirectories(installFolder)) return false;
  ReplacingFile file(applicationFile);
  if (!file.Created() || !WriteAll(file.handle(), bytes) || !file.Close()) {
    file.Discard();
    return false;
  }
  // Fails while the old copy runs: Windows does not let a mapped image go.
  return file.Replace();
}


std::string ShortcutBaseFolder(const ShortcutPlace& place, SpecialFolderLookup specialFolder) {
  if (IsPerUserInstall()) return specialFolder(place.currentUser);
  std::string folder = specialFolder(place.allUsers);
  if (folder.empty()) folder = specialFolder(place.currentUser);
  return folder;
}

}  // namespace

HKEY UninstallRootKey() { return IsPerUserInstall() ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

bool WriteApplicationFile(std::string_view title, std::string& applicationFile) {
  WriteDebugLog("WriteApplicationFile - Begin");
  const std::string installFolder = GetInstallFolder();
  applicationFile = ApplicationFilePath(installFolder, title);
  const std::string programPath = GetProgramPath();
  bool result = true;
  if (AnsiUpperCase(programPath) != AnsiUpperCase(applicationFile)) {
    result = !installFolder.empty() && ReplaceApplicationFile(programPath, installFolder, applicationFile);
  }
  WriteDebugLog("WriteApplicationFile - End");
  return result;
}

void CreateShortcuts(const ShortcutPlace& place, std::string_view linkName, std::string_view target,
                     std::string_view wallpaperNameCaption, SpecialFolderLookup specialFolder) noexcept {
  try {
    if (!specialFolder) specialFolder = &GetSpecialFolder;
    std::string base = ShortcutBaseFolder(place, specialFolder);
    if (base.empty()) return;
    base = WithTrailingBackslash(base);

    ComInit com;
    if (!com.ok()) return;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void()))) {
      return;
    }
    const std::string description = RemoveQuotes(std::string(wallpaperNameCaption) + " Animated Wallpaper");
    (void)link->SetPath(Widen(target).c_str());
    (void)link->SetDescription(Widen(description).c_str());
    (void)link->SetShowCmd(SW_SHOWNORMAL);

    ComPtr<IPersistFile> file;
    if (FAILED(link.As(IID_IPersistFile, file))) return;
    std::string linkPath;
    if (place.group.empty()) {
      linkPath = base + std::string(linkName);
    } else {
      const std::string group = base + std::string(place.group);
      (void)ForceDirectories(group);
      linkPath = group + "\\" + std::string(linkName);
    }
    // A refused save (a target the shell does not take) goes unnoticed.
    CrashPoint("shortcut saved");
    (void)file->Save(Widen(linkPath).c_str(), TRUE);
  } catch (...) {
    LogCaught("CreateShortcuts");
    // Only allocations throw here; no shortcut is the outcome.
  }
}

bool IsInstalled(std::string_view title) {
  WriteDebugLog("IsInstalled - Begin");
  RegistryKey entry;
  std::string command;
  const bool installed = entry.Open(UninstallRootKey(), UninstallKey(title), KEY_READ) == ERROR_SUCCESS &&
                         entry.ReadString("UninstallString", command) == ERROR_SUCCESS &&
                         FileExists(ProgramOfUninstallCommand(command));
  WriteDebugLog("IsInstalled - End");
  return installed;
}

}  // namespace mervalis
