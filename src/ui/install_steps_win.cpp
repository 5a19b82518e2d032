#include "ui/install_steps_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

// The whole file, or nothing when it cannot be opened or read in full.
bool ReadWholeFile(const std::string& path, std::vector<char>& bytes) {
  // The running program's own image: others may have it open in any way.
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return false;
  }
  return read == bytes.size();
}

// Writes a new file (any file of that name is replaced); true only when every
// byte reached it and it was closed without error.
bool WriteWholeFile(const std::string& path, const std::vector<char>& bytes) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (!bytes.empty() &&
      !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return false;
  }
  return written == bytes.size() && ::CloseHandle(file.release());
}

// Copies the program file to the application file through a temporary file
// beside it: the application file is either the old copy or the complete new
// one, never a half-written one or none.
bool ReplaceApplicationFile(const std::string& programPath, const std::string& installFolder,
                            const std::string& applicationFile) {
  std::vector<char> bytes;
  if (!ReadWholeFile(programPath, bytes)) return false;
  if (!ForceDirectories(installFolder)) return false;
  const std::string temporary = applicationFile + ".tmp";
  if (!WriteWholeFile(temporary, bytes)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  // Fails while the old copy runs: Windows does not let a mapped image go.
  if (!::MoveFileExA(temporary.c_str(), applicationFile.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}


std::string ShortcutBaseFolder(const ShortcutPlace& place, SpecialFolderLookup specialFolder) {
  std::string folder = specialFolder(place.allUsers);
  if (folder.empty()) folder = specialFolder(place.currentUser);
  return folder;
}

}  // namespace

bool WriteApplicationFile(std::string_view title, std::string& applicationFile) {
  WriteDebugLog("WriteApplicationFile - Begin");
  const std::string installFolder = GetInstallFolder();
  applicationFile = ApplicationFilePath(installFolder, title);
  const std::string programPath = GetProgramPath();
  bool result = false;
  if (AnsiUpperCase(programPath) != AnsiUpperCase(applicationFile)) {
    result = ReplaceApplicationFile(programPath, installFolder, applicationFile);
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
    ComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.put_void()))) {
      return;
    }
    const std::string description = RemoveQuotes(std::string(wallpaperNameCaption) + " Animated Wallpaper");
    (void)link->SetPath(std::string(target).c_str());
    (void)link->SetDescription(description.c_str());
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
    (void)file->Save(Widen(linkPath).c_str(), TRUE);
  } catch (...) {
    // Only allocations throw here; no shortcut is the outcome.
  }
}

bool IsInstalled(std::string_view title) {
  WriteDebugLog("IsInstalled - Begin");
  const bool installed = RegistryKey(HKEY_LOCAL_MACHINE, KEY_READ).KeyExists(UninstallKey(title));
  WriteDebugLog("IsInstalled - End");
  return installed;
}

}  // namespace mervalis
