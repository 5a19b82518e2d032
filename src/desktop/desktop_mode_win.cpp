#include "desktop/desktop_mode_win.h"

#include <string>

#include "common/dpi_awareness_win.h"
#include "common/same_user_security_win.h"
#include "common/win_handles.h"
#include "desktop/aquarium_win.h"
#include "desktop/desktop_host_win.h"
#include "desktop/late_functions_win.h"
#include "desktop/place_report_win.h"
#include "desktop/preview_window_win.h"
#include "desktop/scene_window_win.h"

namespace mervalis {

using desktop::Log;
using desktop::RunMessages;

void RunDesktopMode(HINSTANCE instance) {
  // Owned while the mode runs: whoever stops it can wait for the release.
  // Open to the user's ordinary processes also when this one runs elevated:
  // an uninstall must see that it runs, and stop it.
  SameUserSecurity security;
  UniqueHandle mutex(::CreateMutexA(security.get(), TRUE, kDesktopMutexName));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return;
  UniqueHandle stop(::CreateEventA(security.get(), TRUE, FALSE, kDesktopStopEventName));
  // An uninstall that already asked the mode to stop: nothing to start.
  if (stop && ::WaitForSingleObject(stop.get(), 0) == WAIT_OBJECT_0) {
    ::ReleaseMutex(mutex.get());
    return;
  }
  Log("Begin");
  // The scene's positions are computed in doubles, as the page's script
  // computes them; x87's default 64-bit precision could put one a pixel apart.
  const desktop::X87Precision scenePrecision(_PC_53);
  // Before the first window; see BecomePerMonitorAware.
  const DpiAwareness awareness = BecomePerMonitorAware();
  Log("DPI awareness " + std::to_string(static_cast<int>(awareness)));
  const desktop::LateFunctions late;
  {
    ComInit com;  // for the picture codecs
    desktop::DesktopHost host(instance, late);
    if (host.Open()) RunMessages(stop.get());
  }
  desktop::ClearPlaceReport();
  Log("End");
  ::ReleaseMutex(mutex.get());
}

void RunPreviewMode(HINSTANCE instance) {
  // As in the desktop mode: the page's double arithmetic for the scene.
  const desktop::X87Precision scenePrecision(_PC_53);
  (void)BecomePerMonitorAware();
  ComInit com;
  desktop::PreviewWindow window(instance);
  if (window.Open()) RunMessages(nullptr);
}

}  // namespace mervalis
