#include "common/folders_win.h"

#include <windows.h>
#include <shlobj.h>

#include "common/names.h"
#include "common/win_handles.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {

namespace {

// Empty when Windows reports failure (a zero length).
std::string SystemDirectory() {
  char buffer[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryA(buffer, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(buffer, n);
}

std::string WindowsDirectory() {
  char buffer[MAX_PATH] = {};
  const UINT n = ::GetWindowsDirectoryA(buffer, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(buffer, n);
}

std::string WithoutTrailingBackslash(std::string_view folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.remove_suffix(1);
  return std::string(folder);
}

}  // namespace

bool IsPerUserInstall() { return CurrentDesktopKind() == DesktopKind::kAnimatedBehindIcons; }

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
      char buffer[MAX_PATH] = {};
      if (::SHGetPathFromIDListA(pidl, buffer)) result = buffer;
      malloc->Free(pidl);
    }
    malloc->Release();
  }
  return TrimBlanksAndControls(result);
}

std::string GetProgramPath() {
  char buffer[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, n < MAX_PATH ? n : 0);
}

bool DirectoryExists(std::string_view folder) {
  const DWORD attributes = ::GetFileAttributesA(std::string(folder).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(std::string_view path) {
  const DWORD attributes = ::GetFileAttributesA(std::string(path).c_str());
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
  return ::CreateDirectoryA(dir.c_str(), nullptr) || DirectoryExists(dir);
}

std::string AnsiUpperCase(std::string_view text) {
  std::string out(text);
  if (!out.empty()) ::CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

std::string AnsiLowerCase(std::string_view text) {
  std::string out(text);
  if (!out.empty()) ::CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

}  // namespace mervalis
