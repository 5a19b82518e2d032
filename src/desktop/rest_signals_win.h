// What says that nobody can see the desktop, besides covers: a locked or
// disconnected session, another user's or a remote one, a display switched
// off, sleep, battery or energy saver. Each notice sets or clears its own
// reason to rest in the host's machine.
#pragma once

#include <windows.h>

#include "common/win_handles.h"
#include "desktop/host_machine.h"
#include "desktop/late_functions_win.h"

namespace mervalis::desktop {

class RestSignals {
 public:
  RestSignals(const LateFunctions& late, HostMachine& machine) : late_(late), machine_(machine) {}

  // Registers `host` for the session's and the power settings' notices, and
  // says what holds already (a mode started behind the lock screen).
  void Start(HWND host);
  // Before the host window goes.
  void Stop() noexcept;
  void OnSessionChange(WPARAM change);
  // False for a broadcast that is not about power news the mode follows.
  [[nodiscard]] bool OnPowerBroadcast(WPARAM event, LPARAM data);

 private:
  void CheckSession();
  void CheckPowerSaver();

  const LateFunctions& late_;
  HostMachine& machine_;
  UniqueSessionNotification session_;
  UniquePowerNotification display_, batterySaver_, energySaver_;
};

}  // namespace mervalis::desktop
