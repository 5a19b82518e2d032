#include "common/folders_win.h"

#include <windows.h>
#include <shlobj.h>

#include "common/names.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "common/windows_version_win.h"

namespace mervalis {

namespace {

// Empty when Windows reports failure (a zero length).
std::string SystemDirectory() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : Narrow(std::wstring_view(buffer, n));
}

std::string WindowsDirectory() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : Narrow(std::wstring_view(buffer, n));
}

std::string WithoutTrailingBackslash(std::string_view folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.remove_suffix(1);
  return std::string(folder);
}

DWORD Attributes(std::string_view path) { return ::GetFileAttributesW(Widen(path).c_str()); }

// The locale's letter case works on characters, not on UTF-8's bytes: the text
// goes wide for it and comes back. The shell's UTF-16 keeps its length, so a
// surrogate pair stays one (no case of its own).
std::string ChangeCase(std::string_view text, DWORD (WINAPI* change)(LPWSTR, DWORD)) {
  std::wstring wide = Widen(text);
  if (wide.empty()) return std::string(text);
  change(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

}  // namespace

bool IsPerUserInstall() { return IsVistaOrLater(WindowsMajorVersion()); }

std::string GetProgramFilesFolder() { return ProgramFilesFolderFrom(SystemDirectory()); }

std::string GetInstallFolder() {
  return IsPerUserInstall() ? PerUserInstallFolderFrom(GetSpecialFolder(kCsidlLocalAppData))
                            : InstallFolderFrom(SystemDirectory());
}

std::string GetWallpaperFolder() {
  return IsPerUserInstall() ? PerUserWallpaperFolderFrom(GetSpecialFolder(kCsidlLocalAppData))
                            : WallpaperFolderFrom(WindowsDirectory());
}

std::string GetImagesFolder(std::string_view key) {
  const std::string wallpaperFolder = GetWallpaperFolder();
  if (wallpaperFolder.empty()) return {};
  return ImagesRootFolder(wallpaperFolder) + "\\" + std::string(key) + "\\";
}

std::string GetSystemFolder() { return SystemFolderFrom(SystemDirectory()); }

std::string GetSpecialFolder(int csidl) {
  std::string result;
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(::SHGetMalloc(&malloc)) && malloc) {
    LPITEMIDLIST pidl = nullptr;
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) && pidl) {
      wchar_t buffer[MAX_PATH] = {};
      if (::SHGetPathFromIDListW(pidl, buffer)) result = Narrow(buffer);
      malloc->Free(pidl);
    }
    malloc->Release();
  }
  return TrimBlanksAndControls(result);
}

bool BaseFoldersKnown() {
  return IsAbsoluteFolder(GetInstallFolder()) && IsAbsoluteFolder(GetWallpaperFolder()) &&
         IsAbsoluteFolder(GetSystemFolder());
}

std::string GetProgramPath() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return n < MAX_PATH ? Narrow(std::wstring_view(buffer, n)) : std::string();
}

bool DirectoryExists(std::string_view folder) {
  const DWORD attributes = Attributes(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(std::string_view path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(std::string_view folder) {
  const std::string dir = WithoutTrailingBackslash(folder);
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  const auto slash = dir.find_last_of('\\');
  // A drive root or a bare name has no parent to make first.
  if (slash != std::string::npos && slash >= 2) {
    if (!ForceDirectories(std::string_view(dir).substr(0, slash))) return false;
  }
  return ::CreateDirectoryW(Widen(dir).c_str(), nullptr) || DirectoryExists(dir);
}

std::string AnsiUpperCase(std::string_view text) { return ChangeCase(text, &::CharUpperBuffW); }

std::string AnsiLowerCase(std::string_view text) { return ChangeCase(text, &::CharLowerBuffW); }

}  // namespace mervalis
