// The `desktop` mode's windows: a hidden top-level host that gets the shell's
// and the system's broadcasts and owns the timers, and the view it places
// behind the desktop icons. The host pauses the scene whenever nobody can see
// it (covered, locked, display off) and places the view again after a shell
// restart or a display change.
#pragma once

#include <windows.h>

#include <vector>

#include "desktop/aquarium_win.h"
#include "desktop/desktop_place_win.h"
#include "desktop/late_functions_win.h"
#include "desktop/scene_window_win.h"
#include "desktop/stored_layout.h"
#include "desktop/visibility.h"

namespace mervalis::desktop {

class DesktopHost {
 public:
  DesktopHost(HINSTANCE instance, const LateFunctions& late) : instance_(instance), late_(late) {}
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;
  ~DesktopHost() { Close(); }

  // False when the mode cannot start (no place, no pictures): it then ends.
  [[nodiscard]] bool Open();
  void Close() noexcept;

 private:
  // Window timers, all on the host window so they outlive the view.
  static constexpr UINT_PTR kCoverTimer = 2;  // a cover test shortly after windows moved
  static constexpr UINT_PTR kPlaceTimer = 3;  // another search after the shell restarted
  static constexpr UINT kCoverSettleMs = 150;
  // While the scene runs, a cover test goes with a frame at most this often, for
  // covers whose window events never arrive (Wine sends none across processes).
  static constexpr DWORD kCoverTestWhileRunningMs = 1000;
  static constexpr UINT kPlaceRetryMs = 1000;
  static constexpr int kPlaceRetries = 5;

  static LRESULT CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK ViewProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static void CALLBACK WindowEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) noexcept;
  static DesktopHost* instance_s;

  LRESULT OnHostMessage(UINT message, WPARAM wParam, LPARAM lParam);
  [[nodiscard]] bool RegisterClasses() noexcept;
  [[nodiscard]] bool Place();
  [[nodiscard]] bool CreateView(const DesktopPlace& place);
  void DestroyView() noexcept;
  void OnFrameTimer();
  void OnShellRestarted();
  void OnDisplayChange();
  void SetPaused(PauseReason reason, bool on);
  void UpdateRunning();

  // What tells the host that nobody sees the desktop (desktop_watch_win.cpp).
  void StartWatching();
  void StopWatching() noexcept;
  void OnSessionChange(WPARAM change);
  // False for a broadcast that is not about the display's power.
  [[nodiscard]] bool OnPowerBroadcast(WPARAM event, LPARAM data);
  void CheckCover();
  [[nodiscard]] bool Covered() const;

  HINSTANCE instance_;
  const LateFunctions& late_;
  HWND host_ = nullptr;
  HWND view_ = nullptr;
  Aquarium aquarium_;
  FrameTimer frameTimer_;
  StoredLayout layout_;
  PauseState pause_;
  UINT taskbarCreated_ = 0;
  HANDLE powerNotification_ = nullptr;
  bool sessionRegistered_ = false;
  std::vector<HWINEVENTHOOK> hooks_;
  int placeRetriesLeft_ = 0;
  DWORD lastCoverTest_ = 0;
};

}  // namespace mervalis::desktop
