// What tells the desktop mode's host that nobody sees the desktop: windows
// that cover it, a locked or disconnected session, a display switched off.
#include <cstring>

#include "desktop/desktop_host_win.h"

namespace mervalis::desktop {

namespace {

// Declared here: the headers give them only for newer Windows versions.
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
  TopWindowState w;
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
  if (HidesDesktop(w, s.workArea)) {
    s.covered = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void DesktopHost::StartWatching() {
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
}

void DesktopHost::StopWatching() noexcept {
  for (HWINEVENTHOOK hook : hooks_) ::UnhookWinEvent(hook);
  hooks_.clear();
  if (powerNotification_ && late_.unregisterPower) late_.unregisterPower(powerNotification_);
  powerNotification_ = nullptr;
  if (sessionRegistered_ && late_.unregisterSession) late_.unregisterSession(host_);
  sessionRegistered_ = false;
}

bool DesktopHost::Covered() const {
  CoverSearch search{&late_, PrimaryWorkArea(), ::GetCurrentProcessId(),
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

void DesktopHost::OnSessionChange(WPARAM change) {
  if (change == kSessionLock || change == kConsoleDisconnect || change == kRemoteDisconnect) {
    SetPaused(PauseReason::Locked, true);
  } else if (change == kSessionUnlock || change == kConsoleConnect || change == kRemoteConnect) {
    SetPaused(PauseReason::Locked, false);
  }
}

bool DesktopHost::OnPowerBroadcast(WPARAM event, LPARAM data) {
  if (event != kPowerSettingChange || !data) return false;
  const auto* setting = reinterpret_cast<const PowerSetting*>(data);
  if (setting->length >= sizeof(DWORD) && (IsEqualGUID(setting->setting, kConsoleDisplayState) ||
                                           IsEqualGUID(setting->setting, kMonitorPowerOn))) {
    DWORD state = 0;
    std::memcpy(&state, setting->data, sizeof(state));
    SetPaused(PauseReason::DisplayOff, state == 0);
  }
  return true;
}

void CALLBACK DesktopHost::WindowEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                                       DWORD) noexcept {
  DesktopHost* self = instance_s;
  if (!self || !self->host_ || object != OBJID_WINDOW || child != CHILDID_SELF || !hwnd) return;
  // Only top-level windows cover the desktop; a destroyed one has no parent to ask.
  if (::IsWindow(hwnd) && ::GetAncestor(hwnd, GA_PARENT) != ::GetDesktopWindow()) return;
  ::SetTimer(self->host_, kCoverTimer, kCoverSettleMs, nullptr);
}

}  // namespace mervalis::desktop
