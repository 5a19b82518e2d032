#include "desktop/report_power_win.h"

#include <cstring>
#include <string>

#include "desktop/report_text.h"

namespace mervalis::desktop {

namespace {

// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed; GUID_ENERGY_SAVER_STATUS:
// 0 off, 1 standard, 2 high savings.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kEnergySaverStatus = {0x550e8400, 0xe29b, 0x41d4, {0xa7, 0x16, 0x44, 0x66, 0x55, 0x44, 0x00, 0x00}};

// Windows tells a power setting's state only by a notification, sent at
// once when a window registers for it.
struct PowerState {
  int display = -1;
  int energySaver = -1;
};

// POWERBROADCAST_SETTING (Vista and later).
struct PowerSetting {
  GUID setting;
  DWORD length;
  BYTE data[1];
};

LRESULT CALLBACK PowerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_POWERBROADCAST && wParam == 0x8013 && lParam) {  // PBT_POWERSETTINGCHANGE
    auto* state = reinterpret_cast<PowerState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const auto* setting = reinterpret_cast<const PowerSetting*>(lParam);
    if (state && setting->length >= sizeof(DWORD)) {
      DWORD value = 0;
      std::memcpy(&value, setting->data, sizeof(value));
      (IsEqualGUID(setting->setting, kConsoleDisplayState) ? state->display : state->energySaver) =
          static_cast<int>(value);
    }
    return TRUE;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::string PowerSettings(const LateFunctions& late) {
  PowerState state;
  if (late.registerPower && late.unregisterPower) {
    WNDCLASSW cls = {};
    cls.lpfnWndProc = PowerWindowProc;
    cls.hInstance = ::GetModuleHandleW(nullptr);
    cls.lpszClassName = L"MervalisReportPower";
    ::RegisterClassW(&cls);
    if (HWND hwnd = ::CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      cls.hInstance, nullptr)) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
      HANDLE display = late.registerPower(hwnd, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
      HANDLE saver = late.registerPower(hwnd, &kEnergySaverStatus, DEVICE_NOTIFY_WINDOW_HANDLE);
      const DWORD start = ::GetTickCount();
      MSG msg;
      while (::GetTickCount() - start < 300) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(20);
      }
      if (display) late.unregisterPower(display);
      if (saver) late.unregisterPower(saver);
      ::DestroyWindow(hwnd);
    }
  }
  const char* const displayWords[] = {"off", "on", "dimmed"};
  const char* const saverWords[] = {"off", "on", "on, high savings"};
  std::string text;
  text += ReportLine("energy saver", state.energySaver >= 0 && state.energySaver <= 2 ? saverWords[state.energySaver] : "not told");
  text += ReportLine("display", state.display >= 0 && state.display <= 2 ? displayWords[state.display] : "not told");
  return text;
}

}  // namespace mervalis::desktop
