#include "common/dpi_awareness_win.h"

#include <windows.h>

#include "common/system_library_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE.
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
const HANDLE kPerMonitor = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3));
}  // namespace

DpiAwareness BecomePerMonitorAware() noexcept {
  using SetContext = BOOL(WINAPI*)(HANDLE);  // SetProcessDpiAwarenessContext
  using SetAwareness = HRESULT(WINAPI*)(int);  // shcore's SetProcessDpiAwareness
  using SetAware = BOOL(WINAPI*)();            // SetProcessDPIAware
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (const auto setContext = FindFunction<SetContext>(user32, "SetProcessDpiAwarenessContext")) {
    if (setContext(kPerMonitorV2)) return DpiAwareness::PerMonitorV2;
    if (setContext(kPerMonitor)) return DpiAwareness::PerMonitor;
  }
  // Windows 8.1: shcore.dll, from the system folder, which stays loaded for
  // the process's life.
  if (HMODULE shcore = LoadSystemLibrary("shcore.dll").release()) {
    if (const auto setAwareness = FindFunction<SetAwareness>(shcore, "SetProcessDpiAwareness")) {
      constexpr int kPerMonitorDpiAware = 2;
      if (SUCCEEDED(setAwareness(kPerMonitorDpiAware))) return DpiAwareness::PerMonitor;
    }
  }
  if (const auto setAware = FindFunction<SetAware>(user32, "SetProcessDPIAware")) {
    if (setAware()) return DpiAwareness::System;
  }
  return DpiAwareness::Unaware;
}

int MonitorDpi(HMONITOR monitor) noexcept {
  using GetDpi = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);  // shcore's GetDpiForMonitor
  // Looked up once; shcore stays loaded for the process's life.
  static const GetDpi getDpi = [] {
    HMODULE shcore = LoadSystemLibrary("shcore.dll").release();
    return FindFunction<GetDpi>(shcore, "GetDpiForMonitor");
  }();
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the scale the user chose
  UINT x = 0, y = 0;
  if (getDpi && monitor && SUCCEEDED(getDpi(monitor, kEffectiveDpi, &x, &y)) && x > 0) return static_cast<int>(x);
  WindowDc screen(nullptr);
  const int system = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return system > 0 ? system : 96;
}

PerMonitorAwareThread::PerMonitorAwareThread() noexcept
    : set_(FindFunction<SetContext>(::GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")) {
  if (!set_) return;
  // The previous context, or null when the call is refused (V2 is Windows
  // 10 1703 and later).
  previous_ = set_(kPerMonitorV2);
  if (!previous_) previous_ = set_(kPerMonitor);
}

PerMonitorAwareThread::~PerMonitorAwareThread() {
  if (previous_) (void)set_(previous_);
}

}  // namespace mervalis
