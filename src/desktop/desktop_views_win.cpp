#include "desktop/desktop_views_win.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/debug_log.h"
#include "common/window_owner_win.h"
#include "desktop/background_win.h"
#include "desktop/cover_win.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/desktop_place_win.h"
#include "desktop/place_report_win.h"

namespace mervalis::desktop {

namespace {
// What the scenes may take. A run with the log on takes a smaller budget from
// the environment ("MERVALIS_SCENE_BUDGET", in bytes), so that tests can
// make a monitor too large for it on a small screen.
std::uint64_t SceneBudget() noexcept {
  char text[32] = {};
  const DWORD length = LogIsOn() ? ::GetEnvironmentVariableA("MERVALIS_SCENE_BUDGET", text, sizeof(text)) : 0;
  if (length == 0 || length >= sizeof(text)) return kSceneBudget;
  const std::uint64_t budget = std::strtoull(text, nullptr, 10);
  return budget > 0 && budget < kSceneBudget ? budget : kSceneBudget;
}
}  // namespace

bool DesktopViews::RegisterClass(HINSTANCE instance) noexcept {
  WNDCLASSA view = {};
  view.lpfnWndProc = ViewProc;
  view.hInstance = instance;
  // No DC of its own (CS_OWNDC, CS_CLASSDC): Windows refuses WS_EX_LAYERED,
  // which the views inside Windows 11 24H2's "Progman" need, to a window of
  // such a class. Each frame borrows one.
  view.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  view.lpszClassName = kDesktopViewClass;
  return ::RegisterClassA(&view) != 0;
}

void DesktopViews::Open(HWND host, UINT viewLost) {
  host_ = host;
  viewLost_ = viewLost;
  layout_ = ReadStoredLayout();
  layouts_ = LayoutsOfThisWindows();
}

void DesktopViews::BuildScenes(const std::vector<Monitor>& monitors) {
  const std::vector<bool> animate = MonitorsToAnimate(monitors, SceneBudget());
  // Kept while the monitors are the same; a scene that failed is tried again.
  if (views_.size() == monitors.size()) {
    bool same = true;
    for (std::size_t i = 0; i < monitors.size() && same; ++i) {
      same = views_[i]->monitor.screen == monitors[i].screen && views_[i]->monitor.dpi == monitors[i].dpi &&
             views_[i]->aquarium.Built() == animate[i];
    }
    if (same) {
      for (std::size_t i = 0; i < monitors.size(); ++i) views_[i]->monitor = monitors[i];
      return;
    }
  }
  views_.clear();
  const DWORD tick = ::GetTickCount();
  const Aquarium* pictures = nullptr;  // the first scene built lends its pictures to the others
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    auto view = std::make_unique<View>();
    view->host = host_;
    view->lostMessage = viewLost_;
    view->monitor = monitors[i];
    const Rect& screen = monitors[i].screen;
    const std::string name = "Monitor " + std::to_string(i + 1) + " (" + std::to_string(screen.Width()) + "x" +
                             std::to_string(screen.Height()) + ")";
    std::string error;
    // Only the primary monitor's background is the wallpaper's file.
    if (!animate[i]) {
      Log(name + " is left to the still wallpaper: no area, or too large for the memory");
    } else if (!view->aquarium.Build(screen.Width(), screen.Height(), Scale{monitors[i].dpi}, layout_,
                                     monitors[i].primary, SceneSeed(tick, ::GetCurrentProcessId(), i), error,
                                     pictures)) {
      Log(name + " is left to the still wallpaper: " + error);
    } else if (!pictures) {
      pictures = &view->aquarium;
    }
    views_.push_back(std::move(view));
  }
  // Every scene has its pictures at its own scale now.
  for (const auto& view : views_) view->aquarium.ForgetUnscaled();
}

bool DesktopViews::Place(unsigned placing) {
  Unplace(false, true);
  viewRefused_ = false;
  const std::optional<DesktopPlace> place = RaiseAndFindPlace(layouts_);
  if (!place || reinterpret_cast<HWND>(place->hidden) != hiddenWorker_) ShowHiddenWorker();
  if (!place) return false;
  HWND parent = reinterpret_cast<HWND>(place->parent);
  POINT origin = {0, 0};
  RECT client = {};
  const std::vector<Monitor> monitors = ListMonitors();
  if (monitors.empty() || !::ClientToScreen(parent, &origin) || !::GetClientRect(parent, &client)) {
    ShowHiddenWorker();
    return false;
  }
  BuildScenes(monitors);
  const std::vector<Rect> areas = ViewsInParent(monitors, origin.x, origin.y, {0, 0, client.right, client.bottom});
  for (std::size_t i = 0; i < views_.size(); ++i) {
    // The shell's window does not reach it (yet), or it is left to the still wallpaper.
    if (areas[i].Empty() || !views_[i]->aquarium.Built()) continue;
    if (!CreateViewWindow(*views_[i], *place, areas[i], placing)) {
      Unplace(false);
      return false;  // the shell's window went meanwhile, or Windows refused ours
    }
  }
  if (place->hidden) {
    // Asked, not waited for: a hung shell must not hang us.
    hiddenWorker_ = reinterpret_cast<HWND>(place->hidden);
    ::ShowWindowAsync(hiddenWorker_, SW_HIDE);
  }
  place_ = place;
  parentParent_ = ::GetAncestor(parent, GA_PARENT);
  origin_ = origin;
  client_ = client;
  Log("Placed: " + std::string(LayoutName(place->layout)) + ", " + std::to_string(views_.size()) + " monitors");
  return true;
}

bool DesktopViews::CreateViewWindow(View& view, const DesktopPlace& place, const Rect& area, unsigned placing) {
  HWND parent = reinterpret_cast<HWND>(place.parent);
  // Never takes input: disabled, transparent to the mouse, never activated.
  // Never tells the shell's window about itself either: that notification is
  // sent and waited for, and a hung shell would hang us.
  view.window = ::CreateWindowExA(WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_NOPARENTNOTIFY, kDesktopViewClass, "",
                                  WS_CHILD | WS_DISABLED | WS_CLIPSIBLINGS, area.left, area.top, area.Width(),
                                  area.Height(), parent, nullptr, instance_, &view);
  if (!view.window) {
    LogLastError("DesktopMode - CreateWindowEx of a view");
    return false;
  }
  view.placing = placing;
  if (place.layout == DesktopLayout::ProgmanHoldsWorker) {
    // The shell composes the children of its layered "Progman" only when
    // they are layered too. Windows may refuse the style (to a class with a
    // DC of its own, for one): read back, and never shown without it.
    ::SetWindowLongA(view.window, GWL_EXSTYLE, ::GetWindowLongA(view.window, GWL_EXSTYLE) | WS_EX_LAYERED);
    const bool layered = (::GetWindowLongA(view.window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    if (!layered || !::SetLayeredWindowAttributes(view.window, 0, 255, LWA_ALPHA)) {
      LogLastError(layered ? "DesktopMode - SetLayeredWindowAttributes of a view"
                           : "DesktopMode - WS_EX_LAYERED of a view", "refused");
      HWND refused = view.window;
      view.window = nullptr;  // no word of a lost view from its WM_DESTROY
      ::DestroyWindow(refused);
      viewRefused_ = true;
      return false;
    }
  }
  HWND above = place.below ? reinterpret_cast<HWND>(place.below) : HWND_TOP;
  ::SetWindowPos(view.window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The scene's first frame is taken before the window shows; its first
  // WM_PAINT draws it whole.
  (void)view.aquarium.Step();
  ::ShowWindow(view.window, SW_SHOWNA);
  return true;
}

void DesktopViews::Unplace(bool scenesToo, bool keepHidden) noexcept {
  place_.reset();
  if (!keepHidden) ShowHiddenWorker();
  for (const auto& view : views_) {
    HWND window = view->window;
    view->window = nullptr;
    // The shell may already have taken it down with its own window.
    if (window && ::IsWindow(window)) ::DestroyWindow(window);
  }
  if (scenesToo) views_.clear();
  frameTimer_.Kill();
}

void DesktopViews::ShowHiddenWorker() noexcept {
  if (hiddenWorker_ && ::IsWindow(hiddenWorker_)) ::ShowWindowAsync(hiddenWorker_, SW_SHOWNA);
  hiddenWorker_ = nullptr;
}

bool DesktopViews::ShellWindowsChanged() const {
  HWND parent = reinterpret_cast<HWND>(place_->parent);
  if (!::IsWindow(parent) || !::IsWindowVisible(parent) || ::GetAncestor(parent, GA_PARENT) != parentParent_) {
    return true;
  }
  for (const auto& view : views_) {
    if (view->window && ::GetParent(view->window) != parent) return true;
  }
  POINT origin = {0, 0};
  RECT client = {};
  if (!::ClientToScreen(parent, &origin) || !::GetClientRect(parent, &client)) return true;
  if (origin.x != origin_.x || origin.y != origin_.y || client.right != client_.right ||
      client.bottom != client_.bottom) {
    return true;
  }
  const std::vector<Monitor> monitors = ListMonitors();
  return monitors.size() != views_.size() ||
         !std::equal(monitors.begin(), monitors.end(), views_.begin(),
                     [](const Monitor& m, const auto& v) {
                       // A monitor of another scale now (moved, or its scale changed) needs its scene anew.
                       return m.screen == v->monitor.screen && m.dpi == v->monitor.dpi;
                     });
}

bool DesktopViews::PutBackInOrder() {
  std::vector<WindowId> views;
  for (const auto& view : views_) {
    if (view->window) views.push_back(reinterpret_cast<WindowId>(view->window));
  }
  const OrderCheck check = CheckOrder(*place_, ListDesktopWindows(), views);
  if (check.lost) return false;
  for (const Restack& r : check.restack) {
    HWND window = reinterpret_cast<HWND>(r.window);
    // The shell's own windows are asked, not waited for: a hung shell must
    // not hang us.
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    const UINT async = process == ::GetCurrentProcessId() ? 0 : SWP_ASYNCWINDOWPOS;
    ::SetWindowPos(window, reinterpret_cast<HWND>(r.below), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | async);
  }
  if (!check.restack.empty()) Log("Put back below the icons");
  return true;
}

bool DesktopViews::StillInPlace() { return place_ && !ShellWindowsChanged() && PutBackInOrder(); }

PlaceReport DesktopViews::WhyNoPlace() const {
  return NoPlaceReason({viewRefused_, ClientAreaAnimationOff(), DesktopIconsHidden()});
}

HWND DesktopViews::Parent() const noexcept { return place_ ? reinterpret_cast<HWND>(place_->parent) : nullptr; }

void DesktopViews::SetFrameTimer(bool any, UINT delay) noexcept {
  if (any) {
    frameTimer_.Set(host_, delay);
  } else {
    frameTimer_.Kill();
  }
}

bool DesktopViews::RunScenes(bool maySee) {
  bool any = false;
  UINT delay = SceneClock::kMaximumDelayMs;
  for (const auto& view : views_) {
    Aquarium& a = view->aquarium;
    const bool run = maySee && view->window && view->pause.Running() && a.Built();
    if (run) {
      a.Resume();
      any = true;
      delay = std::min(delay, a.DelayToNext());
    } else {
      a.Pause();
    }
  }
  SetFrameTimer(any, delay);
  return any;
}

bool DesktopViews::OnFrameTimer() {
  if (::GetTickCount() - lastCoverTest_ >= kCoverTestWhileRunningMs && CheckCover()) return false;
  bool any = false;
  UINT delay = SceneClock::kMaximumDelayMs;
  for (const auto& view : views_) {
    Aquarium& a = view->aquarium;
    if (!view->window || !a.Running()) continue;
    Show(a, view->window, a.Step());
    any = true;
    delay = std::min(delay, a.DelayToNext());
  }
  SetFrameTimer(any, delay);
  return true;
}

bool DesktopViews::CheckCover() {
  lastCoverTest_ = ::GetTickCount();
  if (!place_) return false;
  const std::vector<TopWindowState> above = WindowsAboveDesktop(late_, ::GetAncestor(Parent(), GA_ROOT));
  bool changed = false;
  for (const auto& view : views_) {
    // The work area as it is now: the taskbar may have moved.
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    const Rect& m = view->monitor.screen;
    const RECT s = {m.left, m.top, m.right, m.bottom};
    if (::GetMonitorInfoA(::MonitorFromRect(&s, MONITOR_DEFAULTTONEAREST), &info)) {
      view->monitor.work = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    }
    std::vector<std::size_t> by;
    const bool covered = CoveredTogether(above, view->monitor.work, &by);
    if (covered != view->pause.Has(PauseReason::Covered)) {
      std::string line = covered ? "Covered by" : "Shown";
      for (std::size_t i : by) line += " " + above[i].className;
      Log(line);
    }
    changed |= view->pause.Set(PauseReason::Covered, covered);
  }
  return changed;
}

LRESULT CALLBACK DesktopViews::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* view = WindowOwner<View>(hwnd, message, lParam);
    switch (message) {
      case WM_NCHITTEST:
        return HTTRANSPARENT;  // clicks go to whatever lies below
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        if (view) {
          PaintScene(view->aquarium, hwnd);
          return 0;
        }
        break;
      case WM_DESTROY:
        // Only when the shell's window goes and takes ours with it: the host
        // forgets its own before it destroys them.
        if (view && view->window == hwnd) {
          view->window = nullptr;
          ::PostMessageA(view->host, view->lostMessage, view->placing, 0);
        }
        break;
      default:
        break;
    }
  } catch (...) {
    LogCaught("DesktopViews::ViewProc");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mervalis::desktop
