// The `desktop` mode's views: one per monitor, each with its scene, placed
// behind the desktop icons in the shell's window, put back in order where
// the shell reorders its windows, and run or rested per monitor. What to do
// and when is the host's (host_machine.h); this does it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "desktop/aquarium_win.h"
#include "desktop/late_functions_win.h"
#include "desktop/place_report.h"
#include "desktop/placement.h"
#include "desktop/scene_window_win.h"
#include "common/stored_options_win.h"
#include "desktop/visibility.h"

namespace mervalis::desktop {

class DesktopViews {
 public:
  // `host`: the window that owns the timers and hears of lost views
  // (`viewLost`, wParam the placing that had made the view).
  DesktopViews(HINSTANCE instance, const LateFunctions& late) : instance_(instance), late_(late) {}
  DesktopViews(const DesktopViews&) = delete;
  DesktopViews& operator=(const DesktopViews&) = delete;
  ~DesktopViews() { Unplace(true); }

  [[nodiscard]] static bool RegisterClass(HINSTANCE instance) noexcept;
  void Open(HWND host, UINT viewLost);

  // Where the views may go on this Windows; none on Vista.
  [[nodiscard]] bool PlaceKnown() const noexcept { return !layouts_.empty(); }
  [[nodiscard]] bool Place(unsigned placing);
  // The views' windows go, their scenes too when `scenesToo`. The shell's
  // window that the place hid shows again unless `keepHidden` (a placing
  // that will likely hide it again).
  void Unplace(bool scenesToo, bool keepHidden = false) noexcept;
  // False when the shell's windows went, hid or moved, or the monitors
  // changed; else the views are put back in order where the shell moved them.
  [[nodiscard]] bool StillInPlace();
  [[nodiscard]] PlaceReport WhyNoPlace() const;
  // The shell's window that holds the views; null while unplaced.
  [[nodiscard]] HWND Parent() const noexcept;

  // Sets each monitor's cover from the windows above the desktop; true when
  // that changed what may run.
  [[nodiscard]] bool CheckCover();
  [[nodiscard]] bool RunScenes(bool maySee);
  // The next frames; false, and no frame, when a cover test due with them
  // changed what may run.
  [[nodiscard]] bool OnFrameTimer();

 private:
  struct View {
    HWND host = nullptr;
    UINT lostMessage = 0;
    Monitor monitor;
    HWND window = nullptr;
    Aquarium aquarium;
    PauseState pause;  // only PauseReason::Covered: the rest is the host's
    unsigned placing = 0;  // the placing that made the window
  };

  static LRESULT CALLBACK ViewProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  // A scene for each monitor that can have one; the others are left to the
  // still wallpaper until the next display change.
  void BuildScenes(const std::vector<Monitor>& monitors);
  [[nodiscard]] bool CreateViewWindow(View& view, const DesktopPlace& place, const Rect& inParent, unsigned placing);
  void ShowHiddenWorker() noexcept;
  void SetFrameTimer(bool any, UINT delay) noexcept;
  [[nodiscard]] bool ShellWindowsChanged() const;
  [[nodiscard]] bool PutBackInOrder();

  // While a scene runs, a cover test goes with a frame at most this often, for
  // covers whose window events never arrive.
  static constexpr DWORD kCoverTestWhileRunningMs = 1000;

  HINSTANCE instance_;
  const LateFunctions& late_;
  HWND host_ = nullptr;
  UINT viewLost_ = 0;
  StoredLayout layout_;
  std::vector<DesktopLayout> layouts_;
  std::vector<std::unique_ptr<View>> views_;
  FrameTimer frameTimer_;
  DWORD lastCoverTest_ = 0;
  // Where the views are: the shell's window, its parent then, and its client
  // area's place on the screen.
  std::optional<DesktopPlace> place_;
  HWND parentParent_ = nullptr;
  POINT origin_ = {};
  RECT client_ = {};
  // The shell's window that we hid for the place (Windows 7), shown again
  // when we leave it.
  HWND hiddenWorker_ = nullptr;
  // The last placing found a place, but Windows refused our window there.
  bool viewRefused_ = false;
};

}  // namespace mervalis::desktop
