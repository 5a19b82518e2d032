#include "desktop/desktop_host_win.h"

#include <optional>
#include <string>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/product_names.h"
#include "common/window_owner_win.h"
#include "desktop/desktop_mode_win.h"
#include "wallpaper/desktop_background_win.h"
#include "wallpaper/desktop_kind.h"
#include "wallpaper/desktop_kind_win.h"
#include "wallpaper/desktop_setting_win.h"

namespace mervalis::desktop {

namespace {

// Declared here: the headers give them only for newer Windows versions.
constexpr UINT kWmSessionChange = 0x02B1;
constexpr UINT kWmDpiChanged = 0x02E0;
// The object of the window events about a window itself.
constexpr LONG kWindowObject = OBJID_WINDOW;
constexpr DWORD kParentChange = 0x800F;  // EVENT_OBJECT_PARENTCHANGE

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

// The plain wallpaper as the user's profile has it (the uninstaller reads
// the same), which Windows writes before it tells of a new one, and the
// desktop's kind.
WallpaperNews ReadWallpaperNews() {
  WallpaperNews news;
  std::string path;
  if (ReadWallpaperValue(kDesktopKey, path)) news.plain = std::move(path);
  news.kind = ReadBackgroundKind();
  return news;
}

}  // namespace

DesktopHost* DesktopHost::instance_s = nullptr;

DesktopHost::DesktopHost(HINSTANCE instance, const LateFunctions& late)
    : instance_(instance),
      views_(instance, late),
      machine_(*this, RemoveQuotesAndSpaces(kTitle)),
      rest_(late, machine_) {}

bool DesktopHost::Open() {
  WNDCLASSA host = {};
  host.lpfnWndProc = HostProc;
  host.hInstance = instance_;
  host.lpszClassName = kDesktopHostClass;
  if (!::RegisterClassA(&host) || !DesktopViews::RegisterClass(instance_)) return false;
  instance_s = this;
  // Never shown: a top-level window gets the broadcasts ("TaskbarCreated",
  // display and setting changes) that a message-only window would miss.
  host_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDesktopHostClass, "", WS_POPUP | WS_DISABLED,
                                0, 0, 0, 0, nullptr, nullptr, instance_, this));
  if (!host_) {
    LogLastError("DesktopMode - CreateWindowEx of the host");
    return false;
  }
  taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
  LetTheShellsMessageThrough(host_.get(), taskbarCreated_);
  // The user's setting changes too: another wallpaper chosen, animations
  // switched on.
  LetTheShellsMessageThrough(host_.get(), WM_SETTINGCHANGE);
  views_.Open(host_.get(), kViewLost);
  rest_.Start(host_.get());
  if (!iconsWatch_.Start(host_.get(), kIconsSettingChanged)) Log("The desktop icons' setting cannot be watched");
  machine_.Start(ReadWallpaperNews(), views_.PlaceKnown());
  return true;
}

void DesktopHost::Close() noexcept {
  iconsWatch_.Stop();
  hooks_.clear();
  rest_.Stop();
  views_.Unplace(true);
  host_.reset();
  if (instance_s == this) instance_s = nullptr;
}

void DesktopHost::SetTimer(HostTimer timer, std::uint32_t ms) {
  ::SetTimer(host_.get(), static_cast<UINT_PTR>(timer), ms, nullptr);
}

void DesktopHost::KillTimer(HostTimer timer) { ::KillTimer(host_.get(), static_cast<UINT_PTR>(timer)); }

void DesktopHost::WriteWord(PlaceReport report) {
  Log(std::string(PlaceLogLine(report)));
  WritePlaceReport(report);
}

void DesktopHost::CheckCover() {
  if (views_.CheckCover()) machine_.CoverChanged();
}

bool DesktopHost::RemoveLogonEntry() { return RunValueExists(kTitle) && RemoveRunValue(kTitle); }

bool DesktopHost::WriteLogonEntry() { return WriteRunValue(kTitle, GetProgramPath()); }

void DesktopHost::Note(std::string_view line) { Log(std::string(line)); }

void DesktopHost::HookWindowEvents(bool on) {
  if (on == !hooks_.empty()) return;
  if (!on) {
    hooks_.clear();
    return;
  }
  // Whatever can change what covers the desktop, and the shell's windows
  // going, hiding, moving to another parent or changing their order. Hooked
  // only while a scene may be seen: a paused mode is not woken by every
  // window move of the session.
  const DWORD ranges[][2] = {
      {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
      {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
      {EVENT_OBJECT_DESTROY, EVENT_OBJECT_REORDER},
      {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE},
      {kParentChange, kParentChange},
  };
  for (const auto& range : ranges) {
    UniqueWinEventHook hook(::SetWinEventHook(range[0], range[1], nullptr, WindowEvent, 0, 0,
                                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    if (hook) hooks_.push_back(std::move(hook));
  }
}

void CALLBACK DesktopHost::WindowEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                                       DWORD) noexcept {
  DesktopHost* self = instance_s;
  if (self && self->host_ && hwnd) self->OnWindowEvent(event, hwnd, object, child);
}

void DesktopHost::OnWindowEvent(DWORD event, HWND hwnd, LONG object, LONG child) {
  HWND parent = views_.Parent();
  if (event == EVENT_OBJECT_REORDER) {
    // The shell reordered the children of the window that holds ours: a look
    // at the order soon, once the shell is done.
    if (parent && hwnd == parent) SetTimer(HostTimer::Watch, kReorderSettleMs);
    return;
  }
  if (object != kWindowObject || child != CHILDID_SELF) return;
  // The shell's window that holds ours: a look at the place soon.
  if (parent && (hwnd == parent || event == kParentChange)) {
    if (event == EVENT_OBJECT_DESTROY || event == EVENT_OBJECT_HIDE || event == kParentChange) {
      SetTimer(HostTimer::Watch, 1);
    }
    return;
  }
  // Only top-level windows cover the desktop; a destroyed one has no parent to ask.
  if (::IsWindow(hwnd) && ::GetAncestor(hwnd, GA_PARENT) != ::GetDesktopWindow()) return;
  SetTimer(HostTimer::Cover, HostMachine::kCoverSettleMs);
}

LRESULT DesktopHost::OnHostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_) {
    machine_.ShellStarted();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kFrameTimer) {
        if (!views_.OnFrameTimer()) machine_.CoverChanged();
      } else if (wParam == static_cast<UINT_PTR>(HostTimer::Cover) ||
                 wParam == static_cast<UINT_PTR>(HostTimer::Search) ||
                 wParam == static_cast<UINT_PTR>(HostTimer::Watch)) {
        machine_.TimerFired(static_cast<HostTimer>(wParam));
      }
      return 0;
    case kViewLost:
      machine_.ViewLost(static_cast<unsigned>(wParam));
      return 0;
    case kIconsSettingChanged:
      iconsWatch_.Again();
      machine_.IconsSettingChanged();
      return 0;
    case WM_DISPLAYCHANGE:
    case kWmDpiChanged:
      machine_.DisplayChanged();
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETDESKWALLPAPER) {
        machine_.WallpaperChanged(ReadWallpaperNews());
      } else {
        machine_.SettingChanged(wParam == SPI_SETWORKAREA);
      }
      break;
    case kWmSessionChange:
      rest_.OnSessionChange(wParam);
      return 0;
    case WM_POWERBROADCAST:
      if (rest_.OnPowerBroadcast(wParam, lParam)) return TRUE;
      break;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(host_.get(), message, wParam, lParam);
}

LRESULT CALLBACK DesktopHost::HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* self = WindowOwner<DesktopHost>(hwnd, message, lParam);
    if (self && self->host_.get() == hwnd) return self->OnHostMessage(message, wParam, lParam);
  } catch (...) {
    LogCaught("DesktopHost::HostProc");
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mervalis::desktop
