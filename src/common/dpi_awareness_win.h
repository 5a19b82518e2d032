// The process's DPI awareness. The `apply`, `desktop` and `preview` runs work
// in the monitors' real pixels: Windows then neither scales their windows
// (which would blur the scene and misplace it among the shell's per-monitor
// aware windows) nor gives them the sizes of a 96-dpi screen (which would
// compose the background too small).
#pragma once

#include <windows.h>

namespace mervalis {

enum class DpiAwareness {
  Unaware,       // Windows XP, or every call refused
  System,        // Vista to 8: one scale for all monitors, taken at logon
  PerMonitor,    // 8.1 and Windows 10 before 1703
  PerMonitorV2,  // Windows 10 1703 and later: child windows and dialogs too
};

// Asks for the finest awareness this Windows has: per-monitor V2, then
// per-monitor, then system. The functions are looked up at run time, so the
// program still starts on XP. Call it before the process makes its first
// window: a window keeps the awareness it was made with.
DpiAwareness BecomePerMonitorAware() noexcept;

// The monitor's scale as dots per inch (96 is 100 %): its own where Windows
// has one per monitor (8.1 and later), else the system's.
[[nodiscard]] int MonitorDpi(HMONITOR monitor) noexcept;

// For as long as it lives, the calling thread works in the monitors' real
// pixels, whatever the process's awareness, and then gets its previous
// awareness back: a DPI-unaware window (which keeps its layout) can still
// ask for the screen's real size. Nothing changes where Windows has no
// awareness per thread (before Windows 10 1607).
class PerMonitorAwareThread {
 public:
  PerMonitorAwareThread() noexcept;
  PerMonitorAwareThread(const PerMonitorAwareThread&) = delete;
  PerMonitorAwareThread& operator=(const PerMonitorAwareThread&) = delete;
  ~PerMonitorAwareThread();

 private:
  using SetContext = HANDLE(WINAPI*)(HANDLE);  // SetThreadDpiAwarenessContext
  SetContext set_ = nullptr;
  HANDLE previous_ = nullptr;  // null: nothing to put back
};

}  // namespace mervalis
