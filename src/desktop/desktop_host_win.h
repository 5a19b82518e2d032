// The `desktop` mode's windows: a hidden top-level host that gets the shell's
// and the system's broadcasts and owns the timers, and one view per monitor
// behind the desktop icons, each with a scene of its own. The host pauses a
// monitor's scene while windows cover it and all scenes while nobody can see
// them (locked, display off, asleep, power saver, remote or another user's
// session); it places the views again whenever the shell's windows go, hide
// or move, and builds everything anew after a display change.
//
// Nothing here waits on the shell: the only call into its windows is the
// search's message with a timeout, the views never notify their parent, and
// searching and placing run on timers of their own, never in a frame.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/stored_options_win.h"
#include "desktop/aquarium_win.h"
#include "desktop/desktop_place_win.h"
#include "desktop/late_functions_win.h"
#include "desktop/place_report.h"
#include "desktop/place_report_win.h"
#include "desktop/scene_window_win.h"
#include "desktop/visibility.h"

namespace mervalis::desktop {

class DesktopHost {
 public:
  DesktopHost(HINSTANCE instance, const LateFunctions& late) : instance_(instance), late_(late) {}
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;
  ~DesktopHost() { Close(); }

  // False when the mode cannot start at all (its own window); a missing
  // shell only starts the search.
  [[nodiscard]] bool Open();
  void Close() noexcept;

 private:
  // One monitor: its scene, and its window behind the icons while placed.
  struct View {
    DesktopHost* host = nullptr;
    Monitor monitor;
    HWND window = nullptr;
    Aquarium aquarium;
    PauseState pause;  // only PauseReason::Covered: the rest is the host's
    unsigned placing = 0;  // the host's placing that made the window
  };

  // Window timers, all on the host window so they outlive the views.
  static constexpr UINT_PTR kCoverTimer = 2;   // a cover test shortly after windows moved
  static constexpr UINT_PTR kSearchTimer = 3;  // the next search for the place
  static constexpr UINT_PTR kWatchTimer = 4;   // a look at the shell's windows and the monitors
  static constexpr UINT kCoverSettleMs = 150;
  // A search that has found nothing for this long says why: a starter waits
  // only a few seconds for its word.
  static constexpr DWORD kReportNoPlaceAfterMs = 1500;
  // While a scene runs, the shell's windows and the monitors are looked at
  // this often, for changes whose window events never arrive (Wine sends
  // none across processes) and for Explorer moving its windows after a
  // display change.
  static constexpr UINT kWatchMs = 2000;
  static constexpr UINT kSettleMs = 1500;
  // A look at the order this long after the shell reordered the children of
  // the window that holds ours, once it is done.
  static constexpr UINT kReorderSettleMs = 250;
  // While a scene runs, a cover test goes with a frame at most this often, for
  // covers whose window events never arrive.
  static constexpr DWORD kCoverTestWhileRunningMs = 1000;
  // The host's own message: a view's window went with the shell's (wParam:
  // the placing that had made it).
  static constexpr UINT kViewLost = WM_APP + 1;
  // The host's own message: a value under Explorer's "Advanced" key changed
  // (the desktop icons shown or hidden).
  static constexpr UINT kIconsSettingChanged = WM_APP + 2;

  enum class PlaceResult { Placed, NoPlace };

  static LRESULT CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK ViewProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static void CALLBACK WindowEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) noexcept;
  static DesktopHost* instance_s;

  LRESULT OnHostMessage(UINT message, WPARAM wParam, LPARAM lParam);
  [[nodiscard]] bool RegisterClasses() noexcept;

  // Looking for the place: at once, then with backoff for a minute, then
  // only when the shell says it started ("TaskbarCreated") or a setting
  // changed (animations switched on).
  void StartSearch();
  void OnSearchTimer();
  // Tells whoever started the mode, and the debug log, when it changes.
  void Report(PlaceReport report);
  [[nodiscard]] PlaceResult Place();
  // A scene for each monitor that can have one; the others are left to the
  // still wallpaper until the next display change.
  void BuildScenes(const std::vector<Monitor>& monitors);
  [[nodiscard]] bool CreateViewWindow(View& view, const DesktopPlace& place, const Rect& inParent);
  // The views' windows go; their scenes stay unless `scenesToo`. The
  // shell's window that the place hid shows again unless `keepHidden` (a
  // placing that will likely hide it again).
  void Unplace(bool scenesToo, bool keepHidden = false) noexcept;
  void ShowHiddenWorker() noexcept;
  // The shell's windows went, hid or moved, or the monitors changed.
  void OnWatchTimer();
  [[nodiscard]] bool ShellWindowsChanged() const;
  // The views back below the icons and above the still wallpaper where the
  // shell reordered its windows; false when the place is gone.
  [[nodiscard]] bool PutBackInOrder();
  void OnDisplayChange();

  void OnFrameTimer();
  void UpdateRunning();
  void SetPaused(PauseReason reason, bool on);

  // What tells the host that nobody sees the desktop (desktop_watch_win.cpp).
  void StartWatching();
  void StopWatching() noexcept;
  void Hook(bool on) noexcept;
  void OnSessionChange(WPARAM change);
  void CheckSession();
  void CheckPowerSaver();
  // False for a broadcast that the host does not handle.
  [[nodiscard]] bool OnPowerBroadcast(WPARAM event, LPARAM data);
  void CheckCover();
  // Another wallpaper chosen while the mode runs takes the scenes off the
  // desktop, as choosing one takes the page off an Active Desktop, and the
  // logon entry with them; ours chosen again brings both back.
  void OnWallpaperChange();

  HINSTANCE instance_;
  const LateFunctions& late_;
  HWND host_ = nullptr;
  std::vector<std::unique_ptr<View>> views_;
  FrameTimer frameTimer_;
  StoredLayout layout_;
  PauseState pause_;
  UINT taskbarCreated_ = 0;
  HANDLE powerNotifications_[3] = {};
  bool sessionRegistered_ = false;
  std::vector<HWINEVENTHOOK> hooks_;
  DWORD lastCoverTest_ = 0;
  bool watching_ = false;  // the watch timer's usual pace is set
  // The plain wallpaper setting as last seen under our scenes, when it could
  // be read; whether another wallpaper shows instead (no scenes, no search
  // then), and whether the logon entry was taken away for it.
  std::optional<std::string> wallpaperSeen_;
  bool wallpaperElsewhere_ = false;
  bool runValueTaken_ = false;

  // Where the views may go on this Windows; none on Vista.
  std::vector<DesktopLayout> layouts_;
  DesktopIconsWatch iconsWatch_;
  // Where the views are: the shell's window, its parent then, and its client
  // area's place on the screen.
  std::optional<DesktopPlace> place_;
  // The shell's window that we hid for the place (Windows 7), shown again
  // when we leave it.
  HWND hiddenWorker_ = nullptr;
  // The last placing found a place, but Windows refused our window there.
  bool viewRefused_ = false;
  unsigned placing_ = 0;  // counts the placings
  HWND parentParent_ = nullptr;
  POINT origin_ = {};
  RECT client_ = {};
  // The search: when it started and how often it has looked.
  bool searching_ = false;
  DWORD searchStart_ = 0;
  int searchAttempts_ = 0;
  PlaceReport reported_ = PlaceReport::kNone;
};

}  // namespace mervalis::desktop
