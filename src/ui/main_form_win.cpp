#include "ui/main_form_win.h"

#include <stdexcept>
#include <string>

#include "common/application_win.h"

namespace mervalis {

namespace {
constexpr char kFormClass[] = "TfrmMain";
constexpr char kCaption[] = "Quorvanesoft - Animated Desktop Wallpaper";
}  // namespace

TfrmMain::~TfrmMain() {
  if (handle_ && ::IsWindow(handle_)) ::DestroyWindow(handle_);
}

void TfrmMain::Create() {
  Application& app = Application::Instance();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &TfrmMain::WindowProc;
  wc.hInstance = app.ModuleInstance();
  wc.hIcon = ::LoadIconA(app.ModuleInstance(), MAKEINTRESOURCEA(1));
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kFormClass;
  if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("The main window class could not be registered.");
  }
  RECT r = {0, 0, 471, 316};
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  ::AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
  const int w = r.right - r.left, h = r.bottom - r.top;
  handle_ = ::CreateWindowExA(WS_EX_DLGMODALFRAME, kFormClass, kCaption, style,
                              (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                              (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, app.Handle(),
                              nullptr, app.ModuleInstance(), this);
  if (!handle_) throw std::runtime_error("The main window could not be created.");
  app.SetMainWindow(handle_);
  FormCreate();
}

void TfrmMain::FormCreate() {
  Application& app = Application::Instance();
  applyMode_ = app.Title() == "apply";
  if (applyMode_) {
    // The apply sequence is not part of this build yet: nothing is applied.
    ::DestroyWindow(handle_);
    app.Terminate();
  }
}

LRESULT CALLBACK TfrmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<TfrmMain*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
      self = static_cast<TfrmMain*>(cs->lpCreateParams);
      self->handle_ = hwnd;
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      break;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        Application::Instance().Minimize();
        return 0;
      }
      break;
    case WM_DESTROY:
      if (self) self->handle_ = nullptr;
      Application::Instance().Terminate();
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mervalis
