#include "wallpaper/desktop_setting_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/crash_point.h"
#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/product_names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "wallpaper/active_desktop.h"
#include "wallpaper/desktop_setting.h"

namespace mervalis {

namespace {

constexpr char kDefaultProfileDesktopKey[] = ".DEFAULT\\Control Panel\\Desktop";

// Whether neither the session nor the user's profile has a plain wallpaper.
bool NoWindowsWallpaper() noexcept {
  wchar_t shown[MAX_PATH] = {};
  if (!::SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0) || shown[0] != L'\0') return false;
  std::string saved;
  return ReadWallpaperValue(kDesktopKey, saved) && saved.empty();
}

}  // namespace

bool ReadWallpaperValue(std::string_view key, std::string& value) noexcept {
  value.clear();
  RegistryKey registry;
  const LONG opened = registry.Open(HKEY_CURRENT_USER, key, KEY_READ);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  // No value: no wallpaper.
  return opened == ERROR_SUCCESS && ReadOrMissing(registry.ReadString("Wallpaper", value));
}

std::string ReadWallpaperCopySource() noexcept {
  constexpr DWORD kPathAt = 24;
  try {
    UniqueHkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kDesktopKey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
      return {};
    }
    // The value is under a kilobyte: MAX_PATH characters and the header.
    std::vector<wchar_t> data(2048, L'\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), L"TranscodedImageCache", nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size <= kPathAt) {
      // Windows 7 names it in the Active Desktop's key instead.
      RegistryKey general;
      std::string source;
      if (general.Open(HKEY_CURRENT_USER, kActiveDesktopKey, KEY_READ) != ERROR_SUCCESS ||
          general.ReadString("WallpaperSource", source) != ERROR_SUCCESS) {
        source.clear();
      }
      return source;
    }
    data[size / sizeof(wchar_t)] = L'\0';
    return Narrow(data.data() + kPathAt / sizeof(wchar_t));  // up to the first zero
  } catch (...) {
    LogCaught("ReadWallpaperCopySource");
    return {};
  }
}

bool SetWindowsWallpaper(std::string_view path, WallpaperBroadcast broadcast) noexcept {
  std::wstring value = Widen(path);
  const UINT flags = SPIF_UPDATEINIFILE | (broadcast == WallpaperBroadcast::kYes ? SPIF_SENDCHANGE : 0);
  CrashPoint("wallpaper set");
  const bool result = (value.empty() && NoWindowsWallpaper()) ||
                      ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, value.data(), flags) != FALSE;

  // The profile used before anyone logs on follows, where it exists; not
  // for a per-user install, whose picture is one user's own.
  RegistryKey registry;
  if (!IsPerUserInstall() && registry.Open(HKEY_USERS, kDefaultProfileDesktopKey, KEY_WRITE) == ERROR_SUCCESS) {
    (void)registry.WriteString("Wallpaper", path);
    registry.Close();
  }
  return result;
}

bool ReadWallpaperPosition(WallpaperPosition& position) noexcept {
  try {
    RegistryKey registry;
    return registry.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_READ) == ERROR_SUCCESS &&
           ReadOrMissing(registry.ReadString("WallpaperStyle", position.style)) &&
           ReadOrMissing(registry.ReadString("TileWallpaper", position.tile));
  } catch (...) {
    LogCaught("ReadWallpaperPosition");
    return false;
  }
}

bool WriteWallpaperPosition(const WallpaperPosition& position) noexcept {
  RegistryKey registry;
  return registry.Create(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE) == ERROR_SUCCESS &&
         registry.WriteString("WallpaperStyle", position.style) == ERROR_SUCCESS &&
         registry.WriteString("TileWallpaper", position.tile) == ERROR_SUCCESS;
}

bool SetActiveDesktopWallpaper(std::string_view path) noexcept {
  const ActiveDesktopRequest request = ActiveDesktopRequestFor(path);
  const std::wstring wide = Widen(request.wallpaper);

  ComInit com;
  if (!com.ok()) return false;
  ComPtr<IActiveDesktop> desktop;
  if (FAILED(::CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                                desktop.put_void()))) {
    return false;
  }
  if (request.switchOn) {
    const COMPONENTSOPT options = {sizeof(COMPONENTSOPT), TRUE, TRUE};
    (void)desktop->SetDesktopItemOptions(&options, 0);
  }
  // A refused wallpaper gets one more try.
  CrashPoint("wallpaper set");
  bool result = desktop->SetWallpaper(wide.c_str(), 0) == S_OK;
  if (!result) result = desktop->SetWallpaper(wide.c_str(), 0) == S_OK;
  // Applied whatever SetWallpaper said, so switching the Active Desktop on
  // takes effect on its own.
  (void)desktop->ApplyChanges(kAdApplyAll);
  return result;
}

}  // namespace mervalis
