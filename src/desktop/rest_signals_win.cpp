#include "desktop/rest_signals_win.h"

#include <cstddef>
#include <optional>

#include "desktop/scene_window_win.h"

namespace mervalis::desktop {

namespace {

// Declared here: the headers give them only for newer Windows versions.
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
constexpr WPARAM kApmPowerStatusChange = 0xA;
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

}  // namespace

void RestSignals::Start(HWND host) {
  if (late_.registerSession && late_.registerSession(host, 0 /* this session */)) session_.reset(host);
  if (late_.registerPower) {
    display_.reset(late_.registerPower(host, &kConsoleDisplayState, 0 /* window handle */));
    if (!display_) display_.reset(late_.registerPower(host, &kMonitorPowerOn, 0));
    batterySaver_.reset(late_.registerPower(host, &kPowerSavingStatus, 0));
    energySaver_.reset(late_.registerPower(host, &kEnergySaverStatus, 0));
  }
  if (SessionLockedNow(late_)) {
    Log("Started in a locked session");
    machine_.Rest(PauseReason::Locked, true);
  }
  CheckSession();
  CheckPowerSaver();
}

void RestSignals::Stop() noexcept {
  display_.reset();
  batterySaver_.reset();
  energySaver_.reset();
  session_.reset();
}

void RestSignals::OnSessionChange(WPARAM change) {
  machine_.SessionNotice(static_cast<std::uint32_t>(change));
  CheckSession();
}

void RestSignals::CheckSession() {
  DWORD own = 0;
  const bool known = late_.processSession && late_.processSession(::GetCurrentProcessId(), &own);
  const std::uint32_t console = known && late_.consoleSession ? late_.consoleSession() : own;
  const SessionPauses pauses = PausesOfSession(::GetSystemMetrics(SM_REMOTESESSION) != 0, own, console);
  machine_.Rest(PauseReason::Remote, pauses.remote);
  machine_.Rest(PauseReason::OtherSession, pauses.otherSession);
}

void RestSignals::CheckPowerSaver() {
  SYSTEM_POWER_STATUS status = {};
  // Its fifth byte (SystemStatusFlag, Windows 10 and later) says battery
  // saver; older headers call it Reserved1, older Windows leave it 0.
  if (::GetSystemPowerStatus(&status)) machine_.Rest(PauseReason::BatterySaver, status.Reserved1 != 0);
}

bool RestSignals::OnPowerBroadcast(WPARAM event, LPARAM data) {
  if (machine_.PowerNotice(static_cast<std::uint32_t>(event))) return true;
  if (event == kApmPowerStatusChange) {
    CheckPowerSaver();
    return true;
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
    machine_.Rest(PauseReason::DisplayOff, state == 0);
  } else if (IsEqualGUID(setting.setting, kPowerSavingStatus)) {
    machine_.Rest(PauseReason::BatterySaver, state != 0);
  } else if (IsEqualGUID(setting.setting, kEnergySaverStatus)) {
    machine_.Rest(PauseReason::EnergySaver, state != 0);
  }
  return true;
}

}  // namespace mervalis::desktop
