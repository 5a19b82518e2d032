#include "common/application_win.h"

#include <exception>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/wide_text_win.h"

namespace mervalis {

namespace {

// A box of a silent run, as one line of the debug log. The log's own box (a
// folder it cannot make) comes back here and is dropped.
void LogSilentMessage(std::string_view text) noexcept {
  static bool logging = false;
  if (logging) return;
  logging = true;
  try {
    std::string line(text);
    for (char& c : line) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    WriteDebugLog("message - " + line);
  } catch (...) {
    // A log that cannot be written: the message is lost, nothing is shown.
  }
  logging = false;
}

}  // namespace

Application& Application::Instance() noexcept {
  static Application application;
  return application;
}

bool Application::Initialize(HINSTANCE instance, Presence presence) noexcept {
  instance_ = instance;
  const bool inTaskBar = presence == Presence::kTaskBar;
  // A wide-character window: its title is the program file's name, which
  // may hold any character, and the task bar shows it.
  const std::wstring className = Widen(kApplicationWindowClass);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &Application::WindowProc;
  wc.hInstance = instance;
  if (inTaskBar) {
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  }
  wc.lpszClassName = className.c_str();
  if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  const std::wstring title = Widen(Title());
  if (!inTaskBar) {
    handle_ = ::CreateWindowExW(0, className.c_str(), title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
    if (!handle_) LogLastError("CreateWindowEx of the application window");
    return handle_ != nullptr;
  }
  // A zero-sized window in the middle of the screen: invisible, but it stands
  // for the program in the task bar once shown.
  const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = ::CreateWindowExW(0, className.c_str(), title.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              x, y, 0, 0, nullptr, nullptr, instance, nullptr);
  boxOwner_ = handle_;
  if (!handle_) LogLastError("CreateWindowEx of the application window");
  return handle_ != nullptr;
}

std::string Application::Title() const {
  if (!title_.empty() || handle_) return title_;
  std::string name = GetProgramPath();
  name = name.substr(name.find_last_of("\\:") + 1);
  return name.substr(0, name.find_last_of('.'));
}

void Application::SetTitle(std::string_view title) {
  title_ = title;
  if (handle_) ::SetWindowTextW(handle_, Widen(title_).c_str());
}

void Application::Run() {
  if (showMainWindow_ && !terminated_) {
    // Shown without activation: the main window takes the focus itself.
    ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                   SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (mainWindow_) {
      ::ShowWindow(mainWindow_, SW_SHOW);
      ::SetForegroundWindow(mainWindow_);
    }
  }
  MSG msg;
  while (!terminated_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchOne(msg);
  terminated_ = true;
}

bool Application::DispatchOne(const MSG& msg) {
  // Dialog keyboard handling (Tab, accelerators, Enter, Space) for the main window.
  if (mainWindow_ && ::IsWindow(mainWindow_) && ::IsDialogMessageA(mainWindow_, const_cast<MSG*>(&msg))) {
    return true;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
  return true;
}

void Application::ProcessMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      break;
    }
    DispatchOne(msg);
  }
}

void Application::Terminate() noexcept {
  terminated_ = true;
  ::PostQuitMessage(0);
}

void Application::Minimize() noexcept {
  // The main window goes with the application window into the task bar, and
  // comes back when the application window is restored (WM_SIZE below).
  if (mainWindow_) ::ShowWindow(mainWindow_, SW_HIDE);
  if (handle_) ::ShowWindow(handle_, SW_MINIMIZE);
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  Application& app = Instance();
  switch (message) {
    case WM_SETFOCUS:
    case WM_ACTIVATE:
      // The application window itself has nothing to focus: hand it on.
      if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) break;
      if (app.mainWindow_ && ::IsWindowVisible(app.mainWindow_) && !::IsIconic(hwnd)) {
        ::SetFocus(app.mainWindow_);
        return 0;
      }
      break;
    case WM_SIZE:
      // Minimised from outside (the shell's "minimise all"), the main window
      // goes along; restored, it comes back.
      if (wParam == SIZE_MINIMIZED) {
        if (app.mainWindow_) ::ShowWindow(app.mainWindow_, SW_HIDE);
      } else if (app.mainWindow_ && app.showMainWindow_ && !::IsWindowVisible(app.mainWindow_)) {
        ::ShowWindow(app.mainWindow_, SW_SHOW);
      }
      break;
    case WM_CLOSE:
      // "Close" on the task-bar button closes the main window.
      if (app.mainWindow_) {
        ::PostMessageA(app.mainWindow_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void Application::ShowException(const char* message) noexcept {
  if (silent_) {
    LogSilentMessage(message);
    return;
  }
  // A quit already asked for (the main window went while the error unwound)
  // would close the box at once: hold it back until the box is answered.
  MSG quit;
  const bool quitPending = ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  try {
    ::MessageBoxW(mainWindow_ ? mainWindow_ : boxOwner_, Widen(message).c_str(), Widen(Title()).c_str(),
                  MB_OK | MB_ICONSTOP);
  } catch (...) {
    LogCaught("Application::ShowException");
    // Out of memory for the wide text: the bytes as they are, rather than no box.
    ::MessageBoxA(boxOwner_, message, nullptr, MB_OK | MB_ICONSTOP);
  }
  if (quitPending) ::PostQuitMessage(static_cast<int>(quit.wParam));
}

void Application::ShowCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("An unexpected error occurred.");
  }
}

int ShowMessage(std::string_view text, UINT style) {
  return ShowMessage(text, Application::Instance().Title(), style);
}

int ShowMessage(std::string_view text, std::string_view caption, UINT style) {
  if (Application::Instance().Silent()) {
    LogSilentMessage(text);
    const UINT buttons = style & MB_TYPEMASK;
    return buttons == MB_OK ? IDOK : (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDNO : IDCANCEL;
  }
  HWND owner = ::GetActiveWindow();
  if (!owner) owner = Application::Instance().MainWindow();
  return ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style);
}

}  // namespace mervalis
