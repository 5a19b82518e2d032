#include "desktop/desktop_host_win.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/debug_log.h"
#include "common/window_owner_win.h"
#include "desktop/background_win.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/place_report_win.h"
#include "desktop/placement.h"

namespace mervalis::desktop {

namespace {
// Declared here: the headers give them only for newer Windows versions.
constexpr UINT kWmSessionChange = 0x02B1;
constexpr UINT kWmDpiChanged = 0x02E0;

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

DesktopHost* DesktopHost::instance_s = nullptr;

bool DesktopHost::RegisterClasses() noexcept {
  WNDCLASSA host = {};
  host.lpfnWndProc = HostProc;
  host.hInstance = instance_;
  host.lpszClassName = kDesktopHostClass;
  WNDCLASSA view = {};
  view.lpfnWndProc = ViewProc;
  view.hInstance = instance_;
  // No DC of its own (CS_OWNDC, CS_CLASSDC): Windows refuses WS_EX_LAYERED,
  // which the views inside Windows 11 24H2's "Progman" need, to a window of
  // such a class. Each frame borrows one.
  view.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  view.lpszClassName = kDesktopViewClass;
  return ::RegisterClassA(&host) && ::RegisterClassA(&view);
}

namespace {

// A mode that runs with more rights than Explorer (started by an installer
// run as administrator, where Explorer could not start it for us) would not
// get Explorer's "TaskbarCreated": Windows filters messages from a process of
// lower rights. This lets that one through (Windows 7: for this window;
// Vista: for the process). Nothing to do before Vista.
void LetTheShellsMessageThrough(HWND window, UINT message) noexcept {
  using ForWindow = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);  // ChangeWindowMessageFilterEx
  using ForProcess = BOOL(WINAPI*)(UINT, DWORD);              // ChangeWindowMessageFilter
  constexpr DWORD kAllow = 1;                                 // MSGFLT_ALLOW, MSGFLT_ADD
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (const auto forWindow = LateFunctions::Find<ForWindow>(user32, "ChangeWindowMessageFilterEx")) {
    (void)forWindow(window, message, kAllow, nullptr);
  } else if (const auto forProcess = LateFunctions::Find<ForProcess>(user32, "ChangeWindowMessageFilter")) {
    (void)forProcess(message, kAllow);
  }
}

}  // namespace

bool DesktopHost::Open() {
  if (!RegisterClasses()) return false;
  instance_s = this;
  // Never shown: a top-level window gets the broadcasts ("TaskbarCreated",
  // display and setting changes) that a message-only window would miss.
  host_ = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDesktopHostClass, "", WS_POPUP | WS_DISABLED, 0, 0, 0,
                            0, nullptr, nullptr, instance_, this);
  if (!host_) {
    LogLastError("DesktopMode - CreateWindowEx of the host");
    return false;
  }
  taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
  LetTheShellsMessageThrough(host_, taskbarCreated_);
  // The user's setting changes too: another wallpaper chosen, animations
  // switched on.
  LetTheShellsMessageThrough(host_, WM_SETTINGCHANGE);
  layout_ = ReadStoredLayout();
  StartWatching();
  if (!iconsWatch_.Start(host_, kIconsSettingChanged)) Log("The desktop icons' setting cannot be watched");
  layouts_ = LayoutsOfThisWindows();
  if (layouts_.empty()) {
    // Nothing to search for: said at once, and the still picture stays.
    Report(PlaceReport::kNoPlaceOnThisWindows);
    return true;
  }
  StartSearch();
  return true;
}

void DesktopHost::Close() noexcept {
  iconsWatch_.Stop();
  StopWatching();
  Unplace(true);
  if (host_) ::DestroyWindow(host_);
  host_ = nullptr;
  if (instance_s == this) instance_s = nullptr;
}

void DesktopHost::StartSearch() {
  if (wallpaperElsewhere_ || layouts_.empty()) return;
  searching_ = true;
  searchStart_ = ::GetTickCount();
  searchAttempts_ = 0;
  OnSearchTimer();
}

void DesktopHost::OnSearchTimer() {
  ::KillTimer(host_, kSearchTimer);
  if (!searching_) return;
  switch (Place()) {
    case PlaceResult::Placed:
      searching_ = false;
      Report(PlaceReport::kPlaced);
      CheckCover();
      UpdateRunning();
      return;
    case PlaceResult::NoPlace:
      break;
  }
  ++searchAttempts_;
  if (viewRefused_ || ::GetTickCount() - searchStart_ >= kReportNoPlaceAfterMs) {
    Report(NoPlaceReason({viewRefused_, ClientAreaAnimationOff(), DesktopIconsHidden()}));
  }
  if (const auto delay = NextSearchDelay(searchAttempts_, ::GetTickCount() - searchStart_)) {
    ::SetTimer(host_, kSearchTimer, *delay, nullptr);
  } else {
    searching_ = false;
    Log("No place behind the icons: waiting for the shell or a setting");
  }
}

void DesktopHost::Report(PlaceReport report) {
  if (report == reported_) return;
  reported_ = report;
  Log(std::string(PlaceLogLine(report)));
  WritePlaceReport(report);
}

void DesktopHost::BuildScenes(const std::vector<Monitor>& monitors) {
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
    view->host = this;
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

DesktopHost::PlaceResult DesktopHost::Place() {
  Unplace(false, true);
  viewRefused_ = false;
  const std::optional<DesktopPlace> place = RaiseAndFindPlace(layouts_);
  if (!place || reinterpret_cast<HWND>(place->hidden) != hiddenWorker_) ShowHiddenWorker();
  if (!place) return PlaceResult::NoPlace;
  HWND parent = reinterpret_cast<HWND>(place->parent);
  POINT origin = {0, 0};
  RECT client = {};
  const std::vector<Monitor> monitors = ListMonitors();
  if (monitors.empty() || !::ClientToScreen(parent, &origin) || !::GetClientRect(parent, &client)) {
    ShowHiddenWorker();
    return PlaceResult::NoPlace;
  }
  BuildScenes(monitors);
  ++placing_;
  const std::vector<Rect> areas = ViewsInParent(monitors, origin.x, origin.y, {0, 0, client.right, client.bottom});
  for (std::size_t i = 0; i < views_.size(); ++i) {
    // The shell's window does not reach it (yet), or it is left to the still wallpaper.
    if (areas[i].Empty() || !views_[i]->aquarium.Built()) continue;
    if (!CreateViewWindow(*views_[i], *place, areas[i])) {
      Unplace(false);
      return PlaceResult::NoPlace;  // the shell's window went meanwhile, or Windows refused ours
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
  return PlaceResult::Placed;
}

bool DesktopHost::CreateViewWindow(View& view, const DesktopPlace& place, const Rect& area) {
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
  view.placing = placing_;
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

void DesktopHost::Unplace(bool scenesToo, bool keepHidden) noexcept {
  place_.reset();
  if (!keepHidden) ShowHiddenWorker();
  ::KillTimer(host_, kWatchTimer);
  for (const auto& view : views_) {
    HWND window = view->window;
    view->window = nullptr;
    // The shell may already have taken it down with its own window.
    if (window && ::IsWindow(window)) ::DestroyWindow(window);
  }
  if (scenesToo) views_.clear();
  UpdateRunning();
}

void DesktopHost::ShowHiddenWorker() noexcept {
  if (hiddenWorker_ && ::IsWindow(hiddenWorker_)) ::ShowWindowAsync(hiddenWorker_, SW_SHOWNA);
  hiddenWorker_ = nullptr;
}

bool DesktopHost::ShellWindowsChanged() const {
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

bool DesktopHost::PutBackInOrder() {
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

void DesktopHost::OnWatchTimer() {
  ::KillTimer(host_, kWatchTimer);
  if (!place_) return;
  if (ShellWindowsChanged() || !PutBackInOrder()) {
    Log("The shell's windows changed");
    Unplace(false);
    StartSearch();
  } else if (watching_) {
    ::SetTimer(host_, kWatchTimer, kWatchMs, nullptr);  // the usual pace, after a first look that came sooner
  }
}

void DesktopHost::OnDisplayChange() {
  // New sizes: scenes built anew for them, with their backgrounds. Explorer
  // moves its windows only after the message, so the place is looked at once
  // more when that has settled.
  Log("Display change");
  Unplace(true);
  StartSearch();
}

void DesktopHost::UpdateRunning() {
  const bool maySee = pause_.Running();
  Hook(maySee && place_.has_value());
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
  if (any) {
    frameTimer_.Set(host_, delay);
  } else {
    frameTimer_.Kill();
  }
  // The shell's windows are watched only while a scene runs: at rest nothing
  // but the system's own messages wakes the process. The first look after a
  // rest or a placing comes soon, for a shell that built its windows anew
  // meanwhile or moves them after a display change.
  if (any != watching_) {
    watching_ = any;
    if (any) {
      ::SetTimer(host_, kWatchTimer, kSettleMs, nullptr);
    } else {
      ::KillTimer(host_, kWatchTimer);
    }
  }
}

void DesktopHost::OnFrameTimer() {
  const DWORD now = ::GetTickCount();
  if (now - lastCoverTest_ >= kCoverTestWhileRunningMs) CheckCover();
  bool any = false;
  UINT delay = SceneClock::kMaximumDelayMs;
  for (const auto& view : views_) {
    Aquarium& a = view->aquarium;
    if (!view->window || !a.Running()) continue;
    Show(a, view->window, a.Step());
    any = true;
    delay = std::min(delay, a.DelayToNext());
  }
  if (any) {
    frameTimer_.Set(host_, delay);
  } else {
    frameTimer_.Kill();
  }
}

void DesktopHost::SetPaused(PauseReason reason, bool on) {
  if (pause_.Set(reason, on)) UpdateRunning();
}

LRESULT DesktopHost::OnHostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_) {
    // The shell (re)started: its windows are being built anew. A place
    // already found among the new ones (the search may come first) is kept:
    // placing again would only make the animation blink.
    if (place_ && !ShellWindowsChanged() && PutBackInOrder()) {
      Log("The shell started: still in place");
      return 0;
    }
    Log("The shell started");
    Unplace(false);
    StartSearch();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kFrameTimer) {
        OnFrameTimer();
      } else if (wParam == kCoverTimer) {
        ::KillTimer(host_, kCoverTimer);
        CheckCover();
      } else if (wParam == kSearchTimer) {
        OnSearchTimer();
      } else if (wParam == kWatchTimer) {
        OnWatchTimer();
      }
      return 0;
    case kViewLost:
      // The other views of that placing went too: one search for them all.
      if (place_ && wParam == placing_) {
        Log("A view went with the shell's window");
        Unplace(false);
        StartSearch();
      }
      return 0;
    case kIconsSettingChanged:
      iconsWatch_.Again();
      // The icons shown again bring the shell's windows back where they
      // went with them: a new search, as for a setting changed.
      if (!place_ && !wallpaperElsewhere_) {
        Log("The desktop icons' setting changed: looking for the place again");
        StartSearch();
      }
      return 0;
    case WM_DISPLAYCHANGE:
    case kWmDpiChanged:
      OnDisplayChange();
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) ::SetTimer(host_, kCoverTimer, kCoverSettleMs, nullptr);
      if (wParam == SPI_SETDESKWALLPAPER) {
        OnWallpaperChange();
      } else if (!place_ && !wallpaperElsewhere_) {
        // Explorer makes its window behind the icons only while animations
        // inside windows are on. What this process reads of that setting
        // may lag (Wine keeps its first reading), so any change of a
        // setting brings a new search, whatever the value reads.
        Log("A setting changed: looking for the place again");
        StartSearch();
      }
      break;
    case kWmSessionChange:
      OnSessionChange(wParam);
      return 0;
    case WM_POWERBROADCAST:
      if (OnPowerBroadcast(wParam, lParam)) return TRUE;
      break;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(host_, message, wParam, lParam);
}

LRESULT CALLBACK DesktopHost::HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* self = WindowOwner<DesktopHost>(hwnd, message, lParam);
    if (self && self->host_ == hwnd) return self->OnHostMessage(message, wParam, lParam);
  } catch (...) {
    LogCaught("DesktopHost::HostProc");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DesktopHost::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
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
          ::PostMessageA(view->host->host_, kViewLost, view->placing, 0);
        }
        break;
      default:
        break;
    }
  } catch (...) {
    LogCaught("DesktopHost::ViewProc");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mervalis::desktop
