// What tells the desktop mode's host that nobody sees the desktop: windows
// that cover it, a locked or disconnected session, a display switched off;
// and that the user wants another wallpaper.
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/product_names.h"
#include "desktop/desktop_host_win.h"
#include "wallpaper/desktop_background_win.h"
#include "wallpaper/desktop_kind.h"
#include "wallpaper/desktop_kind_win.h"
#include "wallpaper/desktop_setting_win.h"

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

// GUID_POWER_SAVING_STATUS (battery saver, Windows 10): 0 off, 1 on.
constexpr GUID kPowerSavingStatus = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};
// GUID_ENERGY_SAVER_STATUS (energy saver, Windows 11): 0 off, 1 standard, 2 high savings.
constexpr GUID kEnergySaverStatus = {0x550e8400, 0xe29b, 0x41d4, {0xa7, 0x16, 0x44, 0x66, 0x55, 0x44, 0x00, 0x00}};
constexpr WPARAM kApmSuspend = 0x4, kApmResumeSuspend = 0x7, kApmPowerStatusChange = 0xA,
                 kApmResumeAutomatic = 0x12;
// The object of the window events about a window itself.
constexpr LONG kWindowObject = OBJID_WINDOW;
constexpr DWORD kParentChange = 0x800F;  // EVENT_OBJECT_PARENTCHANGE

struct CoverSearch {
  const LateFunctions* late;
  DWORD self;
  HWND desktopTop;  // the top-level shell window that holds ours
  std::vector<TopWindowState> above;  // the windows above the desktop, topmost first
};

// How much of a window shows: a layered window's constant opacity, nothing
// at all for a window whose region is empty. A layered window whose
// attributes cannot be read is drawn whole with per-pixel alpha
// (UpdateLayeredWindow): `perPixel` says so.
std::uint8_t Opacity(HWND hwnd, LONG exStyle, bool& perPixel) noexcept {
  perPixel = false;
  RECT box = {};
  if (::GetWindowRgnBox(hwnd, &box) == NULLREGION) return 0;
  if (!(exStyle & WS_EX_LAYERED)) return 255;
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags)) {
    perPixel = true;
    return 255;
  }
  return (flags & LWA_ALPHA) ? alpha : 255;
}

// Takes a window above the desktop into `s`; false once the desktop's own
// windows are reached.
bool CollectCover(HWND hwnd, CoverSearch& s) noexcept {
  if (!::IsWindowVisible(hwnd)) return true;
  // The desktop's own windows lie at the bottom of the Z order (or on top
  // after "show desktop"): nothing below them covers anything. The shell
  // has other, unrelated "WorkerW" windows, so the class alone does not say.
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof(cls));
  if (hwnd == s.desktopTop || lstrcmpA(cls, "Progman") == 0 ||
      ::FindWindowExA(hwnd, nullptr, "SHELLDLL_DefView", nullptr)) {
    return false;
  }
  TopWindowState w;
  RECT r = {};
  ::GetWindowRect(hwnd, &r);
  w.rect = {r.left, r.top, r.right, r.bottom};
  w.minimised = ::IsIconic(hwnd) != FALSE;
  const LONG exStyle = ::GetWindowLongA(hwnd, GWL_EXSTYLE);
  w.clickThrough = (exStyle & WS_EX_TRANSPARENT) != 0;
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  w.ignored = process == s.self;
  if (s.late->dwmAttribute) {
    DWORD cloaked = 0;  // DWMWA_CLOAKED, Windows 8 and later
    w.cloaked = SUCCEEDED(s.late->dwmAttribute(hwnd, 14, &cloaked, sizeof(cloaked))) && cloaked != 0;
  }
  w.alpha = Opacity(hwnd, exStyle, w.perPixelAlpha);
  try {
    if (CountsAsCover(w)) {
      w.className = cls;
      s.above.push_back(std::move(w));
    }
  } catch (...) {
    LogCaught("CollectCover");
    return false;
  }
  return true;
}

// Whether the session is locked now: its notifications tell only of changes,
// and a mode started behind the lock screen (an automatic sign-in after an
// update, a scheduled apply) would otherwise animate there until the next
// lock. Without the session's word (before Windows 7), the desktop that gets
// the input says: the lock screen's is not the user's "Default" one, nor
// open to the user.
bool SessionLockedNow(const LateFunctions& late) noexcept {
  if (late.querySession && late.freeMemory) {
    // WTSINFOEXW with its level 1, up to the flag (WTSSessionInfoEx, Windows 7 and later).
    struct SessionInfo {
      DWORD level;
      union {
        struct {
          ULONG sessionId;
          int state;
          LONG flags;
        } level1;
        LARGE_INTEGER alignment;
      } data;
    };
    constexpr int kSessionInfoEx = 25;
    constexpr DWORD kThisSession = 0xFFFFFFFF;  // WTS_CURRENT_SESSION
    void* data = nullptr;
    DWORD size = 0;
    if (late.querySession(nullptr, kThisSession, kSessionInfoEx, &data, &size) && data) {
      std::optional<bool> locked;
      const auto* info = static_cast<const SessionInfo*>(data);
      OSVERSIONINFOA version = {};
      version.dwOSVersionInfoSize = sizeof(version);
      if (size >= sizeof(SessionInfo) && info->level == 1 && ::GetVersionExA(&version)) {
        locked = LockedBySessionFlag(info->data.level1.flags, version.dwMajorVersion, version.dwMinorVersion);
      }
      late.freeMemory(data);
      if (locked) return *locked;
    }
  }
  HDESK input = ::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  if (!input) return true;
  char name[64] = {};
  DWORD needed = 0;
  const bool named = ::GetUserObjectInformationA(input, UOI_NAME, name, sizeof(name), &needed) != FALSE;
  ::CloseDesktop(input);
  return named && lstrcmpiA(name, "Default") != 0;
}

// Copies `size` bytes at `address` of this process; false, instead of an
// access violation, where they cannot all be read.
bool CopyOwnMemory(LPARAM address, void* to, SIZE_T size) noexcept {
  SIZE_T copied = 0;
  return address && ::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(address), to, size,
                                        &copied) &&
         copied == size;
}

// The plain wallpaper as the user's profile has it (the uninstaller reads
// the same), which Windows writes before it tells of a new one.
std::optional<std::string> ShownWallpaper() {
  std::string path;
  if (!ReadWallpaperValue(kDesktopKey, path)) return std::nullopt;
  return path;
}

}  // namespace

void DesktopHost::StartWatching() {
  wallpaperSeen_ = ShownWallpaper();
  // Windows' slideshow or Spotlight at the start: the install ended it, so
  // the user switched it on since (the mode did not run to see it), and the
  // scenes stay off the desktop as after any other choice.
  if (IsWindowsRotation(ReadBackgroundKind())) {
    Log("Windows rotates the desktop's pictures: the scenes stay off the desktop");
    wallpaperElsewhere_ = true;
    runValueTaken_ = RunValueExists(kTitle) && RemoveRunValue(kTitle);
  }
  if (late_.registerSession) sessionRegistered_ = late_.registerSession(host_, 0 /* this session */) != FALSE;
  if (late_.registerPower) {
    HANDLE& display = powerNotifications_[0];
    display = late_.registerPower(host_, &kConsoleDisplayState, 0 /* window handle */);
    if (!display) display = late_.registerPower(host_, &kMonitorPowerOn, 0);
    powerNotifications_[1] = late_.registerPower(host_, &kPowerSavingStatus, 0);
    powerNotifications_[2] = late_.registerPower(host_, &kEnergySaverStatus, 0);
  }
  if (SessionLockedNow(late_)) {
    Log("Started in a locked session");
    SetPaused(PauseReason::Locked, true);
  }
  CheckSession();
  CheckPowerSaver();
}

void DesktopHost::Hook(bool on) noexcept {
  if (on == !hooks_.empty()) return;
  if (!on) {
    for (HWINEVENTHOOK hook : hooks_) ::UnhookWinEvent(hook);
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
  try {
    for (const auto& range : ranges) {
      if (HWINEVENTHOOK hook = ::SetWinEventHook(range[0], range[1], nullptr, WindowEvent, 0, 0,
                                                 WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
        hooks_.push_back(hook);
      }
    }
  } catch (...) {
    LogCaught("DesktopHost::Hook");
  }
}

void DesktopHost::OnWallpaperChange() {
  const std::optional<std::string> now = ShownWallpaper();
  if (!wallpaperSeen_ || !now) return;
  const std::string key = RemoveQuotesAndSpaces(kTitle);
  const std::optional<std::uint32_t> kind = ReadBackgroundKind();
  if (wallpaperElsewhere_) {
    if (!ShowsOurBackground(*now, key) || IsWindowsRotation(kind)) return;
    Log("Our wallpaper was chosen again");
    wallpaperElsewhere_ = false;
    wallpaperSeen_ = now;
    if (runValueTaken_) runValueTaken_ = !WriteRunValue(kTitle, GetProgramPath());
    StartSearch();
    return;
  }
  if (!AnotherWallpaperChosen(*wallpaperSeen_, *now, key, kind)) {
    wallpaperSeen_ = now;  // as before, or ours named anew
    return;
  }
  // The scenes go with their windows (their memory too), and the logon would
  // no longer start the mode over the wallpaper the user chose. The process
  // stays, idle, for a theme switched back that brings ours again.
  Log("Another wallpaper was chosen: the scenes leave the desktop");
  wallpaperElsewhere_ = true;
  searching_ = false;
  ::KillTimer(host_, kSearchTimer);
  Unplace(true);
  runValueTaken_ = RunValueExists(kTitle) && RemoveRunValue(kTitle);
}

void DesktopHost::StopWatching() noexcept {
  Hook(false);
  for (HANDLE& n : powerNotifications_) {
    if (n && late_.unregisterPower) late_.unregisterPower(n);
    n = nullptr;
  }
  if (sessionRegistered_ && late_.unregisterSession) late_.unregisterSession(host_);
  sessionRegistered_ = false;
}

void DesktopHost::CheckCover() {
  lastCoverTest_ = ::GetTickCount();
  if (!place_) return;
  CoverSearch search{&late_, ::GetCurrentProcessId(),
                     ::GetAncestor(reinterpret_cast<HWND>(place_->parent), GA_ROOT), {}};
  WalkTopLevel([&](HWND hwnd) { return CollectCover(hwnd, search); });
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
    const bool covered = CoveredTogether(search.above, view->monitor.work, &by);
    if (covered != view->pause.Has(PauseReason::Covered)) {
      std::string line = covered ? "Covered by" : "Shown";
      for (std::size_t i : by) line += " " + search.above[i].className;
      Log(line);
    }
    changed |= view->pause.Set(PauseReason::Covered, covered);
  }
  if (changed) UpdateRunning();
}

void DesktopHost::OnSessionChange(WPARAM change) {
  if (change == kSessionLock || change == kSessionUnlock) {
    SetPaused(PauseReason::Locked, change == kSessionLock);
  } else if (change == kConsoleDisconnect || change == kRemoteDisconnect) {
    SetPaused(PauseReason::Disconnected, true);
  } else if (change == kConsoleConnect || change == kRemoteConnect) {
    SetPaused(PauseReason::Disconnected, false);
  }
  CheckSession();
}

void DesktopHost::CheckSession() {
  DWORD own = 0;
  const bool known = late_.processSession && late_.processSession(::GetCurrentProcessId(), &own);
  const std::uint32_t console = known && late_.consoleSession ? late_.consoleSession() : own;
  const SessionPauses pauses = PausesOfSession(::GetSystemMetrics(SM_REMOTESESSION) != 0, own, console);
  SetPaused(PauseReason::Remote, pauses.remote);
  SetPaused(PauseReason::OtherSession, pauses.otherSession);
}

void DesktopHost::CheckPowerSaver() {
  SYSTEM_POWER_STATUS status = {};
  // Its fifth byte (SystemStatusFlag, Windows 10 and later) says battery
  // saver; older headers call it Reserved1, older Windows leave it 0.
  if (::GetSystemPowerStatus(&status)) SetPaused(PauseReason::BatterySaver, status.Reserved1 != 0);
}

bool DesktopHost::OnPowerBroadcast(WPARAM event, LPARAM data) {
  switch (event) {
    case kApmSuspend:
      SetPaused(PauseReason::Suspended, true);
      return true;
    case kApmResumeSuspend:
    case kApmResumeAutomatic:
      SetPaused(PauseReason::Suspended, false);
      return true;
    case kApmPowerStatusChange:
      CheckPowerSaver();
      return true;
    default:
      break;
  }
  if (event != kPowerSettingChange) return false;
  // Windows puts the setting into our memory and passes its address; any
  // process of the session can post the same message with any address. A
  // sender cannot be told apart (InSendMessageEx says sent or posted, not by
  // whom), and Windows offers no query for the display's state, so the
  // setting is copied by a call that fails on memory we cannot read instead
  // of faulting. What a forged but readable address can do is pause or
  // resume the scenes, which posting the session messages does as well.
  PowerSetting setting = {};
  if (!CopyOwnMemory(data, &setting, offsetof(PowerSetting, data)) || setting.length < sizeof(DWORD)) return true;
  DWORD state = 0;
  if (!CopyOwnMemory(data + offsetof(PowerSetting, data), &state, sizeof(state))) return true;
  if (IsEqualGUID(setting.setting, kConsoleDisplayState) || IsEqualGUID(setting.setting, kMonitorPowerOn)) {
    SetPaused(PauseReason::DisplayOff, state == 0);
  } else if (IsEqualGUID(setting.setting, kPowerSavingStatus)) {
    SetPaused(PauseReason::BatterySaver, state != 0);
  } else if (IsEqualGUID(setting.setting, kEnergySaverStatus)) {
    SetPaused(PauseReason::EnergySaver, state != 0);
  }
  return true;
}

void CALLBACK DesktopHost::WindowEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                                       DWORD) noexcept {
  DesktopHost* self = instance_s;
  if (!self || !self->host_ || !hwnd) return;
  if (event == EVENT_OBJECT_REORDER) {
    // The shell reordered the children of the window that holds ours: a look
    // at the order soon, once the shell is done.
    if (self->place_ && hwnd == reinterpret_cast<HWND>(self->place_->parent)) {
      ::SetTimer(self->host_, kWatchTimer, kReorderSettleMs, nullptr);
    }
    return;
  }
  if (object != kWindowObject || child != CHILDID_SELF) return;
  // The shell's window that holds ours: a look at the place soon.
  if (self->place_ && (hwnd == reinterpret_cast<HWND>(self->place_->parent) || event == kParentChange)) {
    if (event == EVENT_OBJECT_DESTROY || event == EVENT_OBJECT_HIDE || event == kParentChange) {
      ::SetTimer(self->host_, kWatchTimer, 1, nullptr);
    }
    return;
  }
  // Only top-level windows cover the desktop; a destroyed one has no parent to ask.
  if (::IsWindow(hwnd) && ::GetAncestor(hwnd, GA_PARENT) != ::GetDesktopWindow()) return;
  ::SetTimer(self->host_, kCoverTimer, kCoverSettleMs, nullptr);
}

}  // namespace mervalis::desktop
