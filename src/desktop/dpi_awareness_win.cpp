#include "desktop/dpi_awareness_win.h"

#include <windows.h>

#include "common/system_library_win.h"

#include "desktop/late_functions_win.h"

namespace mervalis::desktop {

DpiAwareness BecomePerMonitorAware() noexcept {
  using SetContext = BOOL(WINAPI*)(HANDLE);  // SetProcessDpiAwarenessContext
  using SetAwareness = HRESULT(WINAPI*)(int);  // shcore's SetProcessDpiAwareness
  using SetAware = BOOL(WINAPI*)();            // SetProcessDPIAware
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (const auto setContext = LateFunctions::Find<SetContext>(user32, "SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE.
    if (setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return DpiAwareness::PerMonitorV2;
    if (setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3)))) return DpiAwareness::PerMonitor;
  }
  // Windows 8.1: shcore.dll, from the system folder, which stays loaded for
  // the process's life.
  if (HMODULE shcore = LoadSystemLibrary("shcore.dll").release()) {
    if (const auto setAwareness = LateFunctions::Find<SetAwareness>(shcore, "SetProcessDpiAwareness")) {
      constexpr int kPerMonitorDpiAware = 2;
      if (SUCCEEDED(setAwareness(kPerMonitorDpiAware))) return DpiAwareness::PerMonitor;
    }
  }
  if (const auto setAware = LateFunctions::Find<SetAware>(user32, "SetProcessDPIAware")) {
    if (setAware()) return DpiAwareness::System;
  }
  return DpiAwareness::Unaware;
}

}  // namespace mervalis::desktop
