#include "desktop/desktop_mode_win.h"

#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/debug_log.h"
#include "common/win_handles.h"
#include "desktop/aquarium_win.h"
#include "desktop/background_win.h"
#include "desktop/desktop_place_win.h"
#include "desktop/placement.h"
#include "desktop/scene_clock.h"
#include "desktop/visibility.h"

namespace mervalis {

namespace {

using desktop::Aquarium;
using desktop::DesktopLayout;
using desktop::DesktopPlace;
using desktop::PauseReason;

// Window timers, all on the host window so they outlive the view.
constexpr UINT_PTR kFrameTimer = 1;  // the scene's one timer
constexpr UINT_PTR kCoverTimer = 2;  // a cover test shortly after windows moved
constexpr UINT_PTR kPlaceTimer = 3;  // another search after the shell restarted
constexpr UINT kCoverSettleMs = 150;
// While the scene runs, a cover test goes with a frame at most this often, for
// covers whose window events never arrive (Wine sends none across processes).
constexpr DWORD kCoverTestWhileRunningMs = 1000;
constexpr UINT kPlaceRetryMs = 1000;
constexpr int kPlaceRetries = 5;

// Declared here: the headers give them only for newer Windows versions.
constexpr UINT kWmSessionChange = 0x02B1;
constexpr WPARAM kConsoleConnect = 0x1, kConsoleDisconnect = 0x2, kRemoteConnect = 0x3,
                 kRemoteDisconnect = 0x4, kSessionLock = 0x7, kSessionUnlock = 0x8;
constexpr WPARAM kPowerSettingChange = 0x8013;
struct PowerSetting {  // POWERBROADCAST_SETTING
  GUID setting;
  DWORD length;
  UCHAR data[1];
};
// GUID_CONSOLE_DISPLAY_STATE (Windows 8 and later): 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON (Windows Vista and 7): 0 off, 1 on.
constexpr GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

// Functions of newer Windows versions, looked up when the mode starts so
// that the program still loads on Windows XP.
struct LateFunctions {
  using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
  using UnregisterSession = BOOL(WINAPI*)(HWND);
  using RegisterPower = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
  using UnregisterPower = BOOL(WINAPI*)(HANDLE);
  using DwmAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
  using DpiAware = BOOL(WINAPI*)();

  UniqueModule wtsapi{::LoadLibraryA("wtsapi32.dll")};
  UniqueModule dwmapi{::LoadLibraryA("dwmapi.dll")};
  RegisterSession registerSession = nullptr;
  UnregisterSession unregisterSession = nullptr;
  RegisterPower registerPower = nullptr;
  UnregisterPower unregisterPower = nullptr;
  DwmAttribute dwmAttribute = nullptr;
  DpiAware dpiAware = nullptr;

  LateFunctions() noexcept {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    registerPower = Find<RegisterPower>(user32, "RegisterPowerSettingNotification");
    unregisterPower = Find<UnregisterPower>(user32, "UnregisterPowerSettingNotification");
    dpiAware = Find<DpiAware>(user32, "SetProcessDPIAware");
    registerSession = Find<RegisterSession>(wtsapi.get(), "WTSRegisterSessionNotification");
    unregisterSession = Find<UnregisterSession>(wtsapi.get(), "WTSUnRegisterSessionNotification");
    dwmAttribute = Find<DwmAttribute>(dwmapi.get(), "DwmGetWindowAttribute");
  }

  template <typename F>
  static F Find(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
  }
};

// Both modes draw in real pixels: a scaled window would blur the scene and
// misplace it behind the icons.
void BecomeDpiAware(const LateFunctions& late) noexcept {
  if (late.dpiAware) late.dpiAware();
}

void Log(const std::string& message) noexcept {
  try {
    WriteDebugLog("DesktopMode - " + message);
  } catch (...) {
  }
}

// The scene's timer: repeating, and set again only when the next frame
// wants another period, so a scene running at its frame period costs no
// timer call per frame. A wait close to the frame period is taken as it.
class FrameTimer {
 public:
  void Set(HWND window, UINT delay) noexcept {
    using desktop::SceneClock;
    if (SceneClock::KeepsPeriod(SceneClock::kFramePeriodMs, delay)) delay = SceneClock::kFramePeriodMs;
    if (window == window_ && delay == period_) return;
    ::SetTimer(window, kFrameTimer, delay, nullptr);
    window_ = window;
    period_ = delay;
  }
  void Kill() noexcept {
    if (window_) ::KillTimer(window_, kFrameTimer);
    window_ = nullptr;
    period_ = 0;
  }

 private:
  HWND window_ = nullptr;
  UINT period_ = 0;
};

// Shows the changed areas of the scene in the window.
void Show(Aquarium& aquarium, HWND window, const std::vector<Rect>& areas) noexcept {
  if (areas.empty() || !window) return;
  WindowDc dc(window);
  for (const Rect& area : areas) aquarium.Copy(dc.get(), area);
}

void PaintScene(Aquarium& aquarium, HWND window) noexcept {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window, &ps);
  if (dc) aquarium.Copy(dc, Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
  ::EndPaint(window, &ps);
}

// ---- The desktop mode ----

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
  void CheckCover();
  void SetPaused(PauseReason reason, bool on);
  void UpdateRunning();
  [[nodiscard]] bool Covered() const;

  HINSTANCE instance_;
  const LateFunctions& late_;
  HWND host_ = nullptr;
  HWND view_ = nullptr;
  Aquarium aquarium_;
  FrameTimer frameTimer_;
  desktop::StoredLayout layout_;
  desktop::PauseState pause_;
  UINT taskbarCreated_ = 0;
  HANDLE powerNotification_ = nullptr;
  bool sessionRegistered_ = false;
  std::vector<HWINEVENTHOOK> hooks_;
  int placeRetriesLeft_ = 0;
  DWORD lastCoverTest_ = 0;
};

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
  layout_ = desktop::ReadStoredLayout();

  if (!Place()) {
    Log("No place behind the icons");
    return false;
  }

  if (late_.registerSession) sessionRegistered_ = late_.registerSession(host_, 0 /* this session */) != FALSE;
  if (late_.registerPower) {
    powerNotification_ = late_.registerPower(host_, &kConsoleDisplayState, 0 /* window handle */);
    if (!powerNotification_) powerNotification_ = late_.registerPower(host_, &kMonitorPowerOn, 0);
  }
  // Whatever can change what covers the desktop; each event only asks for a
  // cover test a moment later, so a window being dragged costs one test.
  const DWORD ranges[][2] = {
      {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
      {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
      {EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE},
      {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE},
  };
  for (const auto& range : ranges) {
    if (HWINEVENTHOOK hook = ::SetWinEventHook(range[0], range[1], nullptr, WindowEvent, 0, 0,
                                               WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
      hooks_.push_back(hook);
    }
  }
  CheckCover();
  UpdateRunning();
  return true;
}

void DesktopHost::Close() noexcept {
  for (HWINEVENTHOOK hook : hooks_) ::UnhookWinEvent(hook);
  hooks_.clear();
  if (powerNotification_ && late_.unregisterPower) late_.unregisterPower(powerNotification_);
  powerNotification_ = nullptr;
  if (sessionRegistered_ && late_.unregisterSession) late_.unregisterSession(host_);
  sessionRegistered_ = false;
  DestroyView();
  if (host_) ::DestroyWindow(host_);
  host_ = nullptr;
  aquarium_.Clear();
  if (instance_s == this) instance_s = nullptr;
}

bool DesktopHost::Place() {
  DestroyView();
  const std::optional<DesktopPlace> place = desktop::RaiseAndFindPlace();
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
  Log("Placed: " + std::string(desktop::LayoutName(place->layout)));
  return true;
}

bool DesktopHost::CreateView(const DesktopPlace& place) {
  HWND parent = reinterpret_cast<HWND>(place.parent);
  const Rect area = desktop::PrimaryMonitorIn(parent);
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
  const bool run = view_ && aquarium_.Built() && pause_.Running();
  if (run == aquarium_.Running()) return;
  if (run) {
    aquarium_.Resume();
    frameTimer_.Set(host_, aquarium_.DelayToNext());
  } else {
    aquarium_.Pause();
    frameTimer_.Kill();
  }
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

struct CoverSearch {
  const LateFunctions* late;
  Rect workArea;
  DWORD self;
  HWND desktopTop;  // the top-level shell window that holds ours
  bool covered = false;
};

BOOL CALLBACK TestCover(HWND hwnd, LPARAM data) noexcept {
  auto& s = *reinterpret_cast<CoverSearch*>(data);
  if (!::IsWindowVisible(hwnd)) return TRUE;
  // The desktop's own windows lie at the bottom of the Z order (or on top
  // after "show desktop"): nothing below them covers anything. The shell
  // has other, unrelated "WorkerW" windows, so the class alone does not say.
  char cls[32] = {};
  ::GetClassNameA(hwnd, cls, sizeof(cls));
  if (hwnd == s.desktopTop || lstrcmpA(cls, "Progman") == 0 ||
      ::FindWindowExA(hwnd, nullptr, "SHELLDLL_DefView", nullptr)) {
    return FALSE;
  }
  desktop::TopWindowState w;
  RECT r = {};
  ::GetWindowRect(hwnd, &r);
  w.rect = {r.left, r.top, r.right, r.bottom};
  w.minimised = ::IsIconic(hwnd) != FALSE;
  w.clickThrough = (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  w.ignored = process == s.self;
  if (s.late->dwmAttribute) {
    DWORD cloaked = 0;  // DWMWA_CLOAKED, Windows 8 and later
    w.cloaked = SUCCEEDED(s.late->dwmAttribute(hwnd, 14, &cloaked, sizeof(cloaked))) && cloaked != 0;
  }
  if (desktop::HidesDesktop(w, s.workArea)) {
    s.covered = true;
    return FALSE;
  }
  return TRUE;
}

bool DesktopHost::Covered() const {
  CoverSearch search{&late_, desktop::PrimaryWorkArea(), ::GetCurrentProcessId(),
                     view_ ? ::GetAncestor(view_, GA_ROOT) : nullptr};
  ::EnumWindows(TestCover, reinterpret_cast<LPARAM>(&search));
  return search.covered;
}

void DesktopHost::CheckCover() {
  lastCoverTest_ = ::GetTickCount();
  const bool covered = Covered();
  if (covered != pause_.Has(PauseReason::Covered)) Log(covered ? "Covered" : "Shown");
  SetPaused(PauseReason::Covered, covered);
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
      if (wParam == kSessionLock || wParam == kConsoleDisconnect || wParam == kRemoteDisconnect) {
        SetPaused(PauseReason::Locked, true);
      } else if (wParam == kSessionUnlock || wParam == kConsoleConnect || wParam == kRemoteConnect) {
        SetPaused(PauseReason::Locked, false);
      }
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == kPowerSettingChange && lParam) {
        const auto* setting = reinterpret_cast<const PowerSetting*>(lParam);
        if (setting->length >= sizeof(DWORD) && (IsEqualGUID(setting->setting, kConsoleDisplayState) ||
                                                 IsEqualGUID(setting->setting, kMonitorPowerOn))) {
          DWORD state = 0;
          std::memcpy(&state, setting->data, sizeof(state));
          SetPaused(PauseReason::DisplayOff, state == 0);
        }
        return TRUE;
      }
      break;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(host_, message, wParam, lParam);
}

void CALLBACK DesktopHost::WindowEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                                       DWORD) noexcept {
  DesktopHost* self = instance_s;
  if (!self || !self->host_ || object != OBJID_WINDOW || child != CHILDID_SELF || !hwnd) return;
  // Only top-level windows cover the desktop; a destroyed one has no parent to ask.
  if (::IsWindow(hwnd) && ::GetAncestor(hwnd, GA_PARENT) != ::GetDesktopWindow()) return;
  ::SetTimer(self->host_, kCoverTimer, kCoverSettleMs, nullptr);
}

LRESULT CALLBACK DesktopHost::HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<DesktopHost*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DesktopHost*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && self->host_ == hwnd) return self->OnHostMessage(message, wParam, lParam);
  } catch (...) {
    Log("Error in the host window");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DesktopHost::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<DesktopHost*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DesktopHost*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
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

// Runs the messages until WM_QUIT or the stop event.
void RunMessages(HANDLE stop) {
  while (true) {
    const DWORD woke = ::MsgWaitForMultipleObjects(stop ? 1 : 0, &stop, FALSE, INFINITE, QS_ALLINPUT);
    if (stop && woke == WAIT_OBJECT_0) return;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
}

// ---- The preview ----

class PreviewWindow {
 public:
  explicit PreviewWindow(HINSTANCE instance) : instance_(instance) {}
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;
  ~PreviewWindow() {
    if (window_) ::DestroyWindow(window_);
  }

  [[nodiscard]] bool Open();

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateRunning();

  HINSTANCE instance_;
  HWND window_ = nullptr;
  Aquarium aquarium_;
  FrameTimer frameTimer_;
};

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
  std::string error;
  if (!aquarium_.Build(width, height, desktop::ReadStoredLayout(), false, error)) {
    throw std::runtime_error("The animation cannot be shown: " + error);
  }
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame = {0, 0, width, height};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  window_ = ::CreateWindowExA(0, kPreviewClass, kPreviewCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  if (!window_) return false;
  (void)aquarium_.Step();
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::UpdateWindow(window_);
  UpdateRunning();
  return true;
}

void PreviewWindow::UpdateRunning() {
  const bool run = window_ && !::IsIconic(window_);
  if (run == aquarium_.Running()) return;
  if (run) {
    aquarium_.Resume();
    frameTimer_.Set(window_, aquarium_.DelayToNext());
  } else {
    aquarium_.Pause();
    frameTimer_.Kill();
  }
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
    if (message == WM_NCCREATE) {
      auto* self = static_cast<PreviewWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      self->window_ = hwnd;
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PreviewWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && self->window_ == hwnd) return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    Log("Error in the preview window");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void RunDesktopMode(HINSTANCE instance) {
  // Owned while the mode runs: whoever stops it can wait for the release.
  UniqueHandle mutex(::CreateMutexA(nullptr, TRUE, kDesktopMutexName));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return;
  UniqueHandle stop(::CreateEventA(nullptr, TRUE, FALSE, kDesktopStopEventName));
  // An uninstall that already asked the mode to stop: nothing to start.
  if (stop && ::WaitForSingleObject(stop.get(), 0) == WAIT_OBJECT_0) {
    ::ReleaseMutex(mutex.get());
    return;
  }
  Log("Begin");
  // The scene's positions are computed in doubles, as the page's script
  // computes them; x87's default 64-bit precision could put one a pixel apart.
  const desktop::X87Precision scenePrecision(_PC_53);
  const LateFunctions late;
  BecomeDpiAware(late);
  {
    ComInit com;  // for the picture codecs
    DesktopHost host(instance, late);
    if (host.Open()) RunMessages(stop.get());
  }
  Log("End");
  ::ReleaseMutex(mutex.get());
}

void RunPreviewMode(HINSTANCE instance) {
  // As in the desktop mode: the page's double arithmetic for the scene.
  const desktop::X87Precision scenePrecision(_PC_53);
  const LateFunctions late;
  BecomeDpiAware(late);
  ComInit com;
  PreviewWindow window(instance);
  if (window.Open()) RunMessages(nullptr);
}

}  // namespace mervalis
