#include "desktop/place_report_win.h"

#include <windows.h>

#include <string>

#include "common/debug_log.h"
#include "common/product_names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"

namespace mervalis::desktop {

namespace {

constexpr UINT kGetClientAreaAnimation = 0x1042;  // SPI_GETCLIENTAREAANIMATION, Vista and later
constexpr DWORD kLookEveryMs = 100;

std::string ValueName() { return std::string(kTitle) + " desktop"; }

constexpr char kExplorerAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

}  // namespace

void WritePlaceReport(PlaceReport report) noexcept {
  try {
    RegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, kCompanyKey, KEY_SET_VALUE) == ERROR_SUCCESS)
      (void)key.WriteDword(ValueName(), static_cast<DWORD>(report));
  } catch (...) {
    LogCaught("WritePlaceReport");
  }
}

void ClearPlaceReport() noexcept {
  try {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kCompanyKey, KEY_SET_VALUE) == ERROR_SUCCESS) (void)key.DeleteValue(ValueName());
  } catch (...) {
    LogCaught("ClearPlaceReport");
  }
}

bool ClientAreaAnimationOff() noexcept {
  BOOL on = TRUE;
  return ::SystemParametersInfoA(kGetClientAreaAnimation, 0, &on, 0) && !on;
}

bool DesktopIconsHidden() noexcept {
  try {
    RegistryKey key;
    DWORD hidden = 0;
    return key.Open(HKEY_CURRENT_USER, kExplorerAdvancedKey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           key.ReadDword("HideIcons", hidden) == ERROR_SUCCESS && hidden != 0;
  } catch (...) {
    LogCaught("DesktopIconsHidden");
    return false;
  }
}

bool DesktopIconsWatch::Start(HWND window, UINT message) noexcept {
  Stop();
  window_ = window;
  message_ = message;
  try {
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kExplorerAdvancedKey).c_str(), 0, KEY_NOTIFY, &key_) !=
        ERROR_SUCCESS) {
      key_ = nullptr;
      return false;
    }
  } catch (...) {
    LogCaught("DesktopIconsWatch::Start");
    return false;
  }
  event_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event_ || !::RegisterWaitForSingleObject(&wait_, event_, Changed, this, INFINITE, WT_EXECUTEDEFAULT)) {
    wait_ = nullptr;
    Stop();
    return false;
  }
  Again();
  return true;
}

void DesktopIconsWatch::Again() noexcept {
  if (key_ && event_) {
    (void)::RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event_, TRUE);
  }
}

void DesktopIconsWatch::Stop() noexcept {
  // Waits for a call under way: nothing is posted after this.
  if (wait_) ::UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
  wait_ = nullptr;
  if (key_) ::RegCloseKey(key_);  // ends the notification request
  key_ = nullptr;
  if (event_) ::CloseHandle(event_);
  event_ = nullptr;
}

void CALLBACK DesktopIconsWatch::Changed(void* self, BOOLEAN) noexcept {
  const auto* watch = static_cast<const DesktopIconsWatch*>(self);
  ::PostMessageW(watch->window_, watch->message_, 0, 0);
}

PlaceReport AwaitPlaceReport(unsigned long timeoutMs, const std::function<void()>& meanwhile) {
  const DWORD start = ::GetTickCount();
  const std::string name = ValueName();
  while (true) {
    DWORD stored = 0;
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kCompanyKey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
        key.ReadDword(name, stored) == ERROR_SUCCESS) {
      const PlaceReport report = PlaceReportFrom(stored);
      if (report != PlaceReport::kNone) return report;
    }
    if (::GetTickCount() - start >= timeoutMs) return PlaceReport::kNone;
    if (meanwhile) meanwhile();
    ::Sleep(kLookEveryMs);
  }
}

}  // namespace mervalis::desktop
