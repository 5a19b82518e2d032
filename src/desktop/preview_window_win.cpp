#include "desktop/preview_window_win.h"

#include <stdexcept>
#include <string>

#include "common/debug_log.h"
#include "common/dpi_awareness_win.h"
#include "common/stored_options_win.h"
#include "common/window_owner_win.h"
#include "desktop/background_win.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/placement.h"

namespace mervalis::desktop {

namespace {
constexpr UINT kWmDpiChanged = 0x02E0;  // declared only for newer Windows versions
}  // namespace

bool PreviewWindow::Open() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIconA(instance_, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kPreviewClass;
  if (!::RegisterClassA(&wc)) return false;

  // Three quarters of the screen: the scene as the desktop would have it,
  // with room around the window.
  const int width = ::GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
  const int height = ::GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame = {0, 0, width, height};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  window_ = ::CreateWindowExA(0, kPreviewClass, kPreviewCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  if (!window_) {
    LogLastError("PreviewMode - CreateWindowEx");
    return false;
  }
  // At the scale of the monitor the window opens on.
  Build(width, height, MonitorDpi(::MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY)));
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::UpdateWindow(window_);
  UpdateRunning();
  return true;
}

void PreviewWindow::Build(int width, int height, int dpi) {
  std::string error;
  if (!aquarium_.Build(width, height, Scale{dpi}, ReadStoredLayout(), false,
                       SceneSeed(::GetTickCount(), ::GetCurrentProcessId(), 0), error)) {
    throw std::runtime_error("The animation cannot be shown: " + error);
  }
  (void)aquarium_.Step();
}

void PreviewWindow::UpdateRunning() {
  SetSceneRunning(aquarium_, frameTimer_, window_, window_ && !::IsIconic(window_));
}

LRESULT PreviewWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kFrameTimer && aquarium_.Running()) {
        Show(aquarium_, window_, aquarium_.Step());
        frameTimer_.Set(window_, aquarium_.DelayToNext());
      }
      return 0;
    case WM_SIZE:
      UpdateRunning();  // nothing moves while minimised
      return 0;
    case kWmDpiChanged: {
      // Moved to a monitor of another scale: the size Windows proposes for
      // it, and the scene anew for that scale, as the desktop mode does.
      const RECT& proposed = *reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                     proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
      RECT client = {};
      ::GetClientRect(window_, &client);
      const bool running = aquarium_.Running();
      Build(client.right, client.bottom, LOWORD(wParam));
      if (running) aquarium_.Resume();
      ::InvalidateRect(window_, nullptr, FALSE);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintScene(aquarium_, window_);
      return 0;
    case WM_DESTROY:
      frameTimer_.Kill();
      window_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window_, message, wParam, lParam);
  }
}

LRESULT CALLBACK PreviewWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* self = WindowOwner<PreviewWindow>(hwnd, message, lParam);
    if (self && message == WM_NCCREATE) self->window_ = hwnd;
    if (self && self->window_ == hwnd) return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    LogCaught("PreviewWindow::Proc");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mervalis::desktop
