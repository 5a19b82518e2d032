// The process's DPI awareness. The `apply`, `desktop` and `preview` runs work
// in the monitors' real pixels: Windows then neither scales their windows
// (which would blur the scene and misplace it among the shell's per-monitor
// aware windows) nor gives them the sizes of a 96-dpi screen (which would
// compose the background too small).
#pragma once

namespace mervalis::desktop {

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

}  // namespace mervalis::desktop
