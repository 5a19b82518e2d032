#include "desktop/place_report_win.h"

#include <windows.h>

#include <string>

#include "common/product_names.h"
#include "common/registry_win.h"

namespace mervalis::desktop {

namespace {

constexpr UINT kGetClientAreaAnimation = 0x1042;  // SPI_GETCLIENTAREAANIMATION, Vista and later
constexpr DWORD kLookEveryMs = 100;

std::string ValueName() { return std::string(kTitle) + " desktop"; }

}  // namespace

void WritePlaceReport(PlaceReport report) noexcept {
  try {
    RegistryKey key(HKEY_CURRENT_USER, KEY_SET_VALUE);
    if (key.OpenKey(kCompanyKey, true)) (void)key.WriteDword(ValueName(), static_cast<DWORD>(report));
  } catch (...) {
  }
}

void ClearPlaceReport() noexcept {
  try {
    RegistryKey key(HKEY_CURRENT_USER, KEY_SET_VALUE);
    if (key.OpenKey(kCompanyKey, false)) (void)key.DeleteValue(ValueName());
  } catch (...) {
  }
}

bool ClientAreaAnimationOff() noexcept {
  BOOL on = TRUE;
  return ::SystemParametersInfoA(kGetClientAreaAnimation, 0, &on, 0) && !on;
}

PlaceReport AwaitPlaceReport(unsigned long timeoutMs, const std::function<void()>& meanwhile) {
  const DWORD start = ::GetTickCount();
  const std::string name = ValueName();
  while (true) {
    DWORD stored = 0;
    RegistryKey key(HKEY_CURRENT_USER, KEY_QUERY_VALUE);
    if (key.OpenKey(kCompanyKey, false) && key.ReadDword(name, stored) == ERROR_SUCCESS) {
      const PlaceReport report = PlaceReportFrom(stored);
      if (report != PlaceReport::kNone) return report;
    }
    if (::GetTickCount() - start >= timeoutMs) return PlaceReport::kNone;
    if (meanwhile) meanwhile();
    ::Sleep(kLookEveryMs);
  }
}

}  // namespace mervalis::desktop
