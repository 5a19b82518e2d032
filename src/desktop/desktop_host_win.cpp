#include "desktop/desktop_host_win.h"

#include <optional>
#include <string>

#include "common/window_owner_win.h"
#include "desktop/background_win.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/placement.h"

namespace mervalis::desktop {

namespace {
// Declared here: the headers give it only for newer Windows versions.
constexpr UINT kWmSessionChange = 0x02B1;
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
  view.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  view.lpszClassName = kDesktopViewClass;
  return ::RegisterClassA(&host) && ::RegisterClassA(&view);
}

bool DesktopHost::Open() {
  if (!RegisterClasses()) return false;
  instance_s = this;
  // Never shown: a top-level window gets the broadcasts ("TaskbarCreated",
  // display and setting changes) that a message-only window would miss.
  host_ = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDesktopHostClass, "", WS_POPUP | WS_DISABLED, 0, 0, 0,
                            0, nullptr, nullptr, instance_, this);
  if (!host_) return false;
  taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
  layout_ = ReadStoredLayout();

  if (!Place()) {
    Log("No place behind the icons");
    return false;
  }

  StartWatching();
  CheckCover();
  UpdateRunning();
  return true;
}

void DesktopHost::Close() noexcept {
  StopWatching();
  DestroyView();
  if (host_) ::DestroyWindow(host_);
  host_ = nullptr;
  aquarium_.Clear();
  if (instance_s == this) instance_s = nullptr;
}

bool DesktopHost::Place() {
  DestroyView();
  const std::optional<DesktopPlace> place = RaiseAndFindPlace();
  if (!place) return false;
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  if (!aquarium_.Built() || aquarium_.Width() != width || aquarium_.Height() != height) {
    std::string error;
    if (!aquarium_.Build(width, height, layout_, true, error)) {
      Log("Cannot build the scene: " + error);
      return false;
    }
  }
  if (!CreateView(*place)) return false;
  Log("Placed: " + std::string(LayoutName(place->layout)));
  return true;
}

bool DesktopHost::CreateView(const DesktopPlace& place) {
  HWND parent = reinterpret_cast<HWND>(place.parent);
  const Rect area = PrimaryMonitorIn(parent);
  // Never takes input: disabled, transparent to the mouse, never activated.
  view_ = ::CreateWindowExA(WS_EX_TRANSPARENT | WS_EX_NOACTIVATE, kDesktopViewClass, "",
                            WS_CHILD | WS_DISABLED | WS_CLIPSIBLINGS, area.left, area.top, area.Width(), area.Height(),
                            parent, nullptr, instance_, this);
  if (!view_) return false;
  if (place.layout == DesktopLayout::ProgmanHoldsWorker) {
    // The shell composes the children of its layered "Progman" only when
    // they are layered too.
    ::SetWindowLongA(view_, GWL_EXSTYLE, ::GetWindowLongA(view_, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(view_, 0, 255, LWA_ALPHA);
  }
  HWND above = place.below ? reinterpret_cast<HWND>(place.below) : HWND_TOP;
  ::SetWindowPos(view_, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The scene's first frame is taken before the window shows; its first
  // WM_PAINT draws it whole.
  (void)aquarium_.Step();
  ::ShowWindow(view_, SW_SHOWNA);
  return true;
}

void DesktopHost::DestroyView() noexcept {
  HWND view = view_;
  view_ = nullptr;
  // The shell may already have taken it down with its own window.
  if (view && ::IsWindow(view)) ::DestroyWindow(view);
  UpdateRunning();
}

void DesktopHost::UpdateRunning() {
  SetSceneRunning(aquarium_, frameTimer_, host_, view_ && aquarium_.Built() && pause_.Running());
}

void DesktopHost::OnFrameTimer() {
  if (!view_ || !aquarium_.Running()) {
    frameTimer_.Kill();
    return;
  }
  const DWORD now = ::GetTickCount();
  if (now - lastCoverTest_ >= kCoverTestWhileRunningMs) {
    CheckCover();
    if (!aquarium_.Running()) return;  // covered now: the timer is gone
  }
  Show(aquarium_, view_, aquarium_.Step());
  frameTimer_.Set(host_, aquarium_.DelayToNext());
}

void DesktopHost::SetPaused(PauseReason reason, bool on) {
  if (pause_.Set(reason, on)) UpdateRunning();
}

void DesktopHost::OnShellRestarted() {
  // The old parent went with the old shell; its windows are being built anew.
  DestroyView();
  placeRetriesLeft_ = kPlaceRetries;
  ::SetTimer(host_, kPlaceTimer, 1, nullptr);
}

void DesktopHost::OnDisplayChange() {
  // A new size: a background composed for it and the scene from its start.
  aquarium_.Clear();
  DestroyView();
  placeRetriesLeft_ = kPlaceRetries;
  ::SetTimer(host_, kPlaceTimer, 1, nullptr);
}

LRESULT DesktopHost::OnHostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_) {
    OnShellRestarted();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kFrameTimer) {
        OnFrameTimer();
      } else if (wParam == kCoverTimer) {
        ::KillTimer(host_, kCoverTimer);
        CheckCover();
      } else if (wParam == kPlaceTimer) {
        ::KillTimer(host_, kPlaceTimer);
        if (Place()) {
          CheckCover();
          UpdateRunning();
        } else if (--placeRetriesLeft_ > 0) {
          ::SetTimer(host_, kPlaceTimer, kPlaceRetryMs, nullptr);
        } else {
          Log("No place behind the icons any more");
          ::PostQuitMessage(0);
        }
      }
      return 0;
    case WM_DISPLAYCHANGE:
      OnDisplayChange();
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) ::SetTimer(host_, kCoverTimer, kCoverSettleMs, nullptr);
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
    Log("Error in the host window");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DesktopHost::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* self = WindowOwner<DesktopHost>(hwnd, message, lParam);
    switch (message) {
      case WM_NCHITTEST:
        return HTTRANSPARENT;  // clicks go to whatever lies below
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        if (self) {
          PaintScene(self->aquarium_, hwnd);
          return 0;
        }
        break;
      case WM_DESTROY:
        // Also when the shell's window goes and takes ours with it.
        if (self && self->view_ == hwnd) {
          self->view_ = nullptr;
          self->UpdateRunning();
        }
        break;
      default:
        break;
    }
  } catch (...) {
    Log("Error in the desktop window");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mervalis::desktop
