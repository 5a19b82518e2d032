// The `desktop` mode's decisions, apart from the windows they act on: what
// the host does when a timer fires, the shell says it started, a view goes,
// the display, a setting or the wallpaper changes, or the session and power
// news say that nobody can see the desktop. Events come in as calls; what
// to do goes out through HostActions, which the host's windows carry out
// (desktop_host_win.cpp) and a test records.
//
// The place behind the icons is looked for at once, then with backoff for a
// minute, then only when the shell says it started ("TaskbarCreated"), a
// setting or the desktop icons' setting changes. Another wallpaper chosen
// takes the scenes off the desktop and the logon entry away; ours chosen
// again brings both back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "desktop/place_report.h"
#include "desktop/visibility.h"

namespace mervalis::desktop {

// The host window's timers besides the frames'; the numbers are their ids.
enum class HostTimer : std::uintptr_t {
  Cover = 2,   // a cover test shortly after windows moved
  Search = 3,  // the next search for the place
  Watch = 4,   // a look at the shell's windows and the monitors
};

// What the plain wallpaper setting says, and the kind Windows records
// (nothing where it cannot be read).
struct WallpaperNews {
  std::optional<std::string> plain;
  std::optional<std::uint32_t> kind;
};

class HostActions {
 public:
  virtual ~HostActions() = default;
  // Milliseconds of a clock that wraps (GetTickCount).
  [[nodiscard]] virtual std::uint32_t Now() = 0;
  virtual void SetTimer(HostTimer timer, std::uint32_t ms) = 0;
  virtual void KillTimer(HostTimer timer) = 0;
  // Builds the scenes for the monitors as they are and puts their views
  // behind the icons; the views carry `placing`, which a lost view gives back.
  [[nodiscard]] virtual bool Place(unsigned placing) = 0;
  // The views' windows go, and their scenes with them when `scenesToo`.
  virtual void Unplace(bool scenesToo) = 0;
  // The shell's windows and the monitors as at the placing, and the views
  // put back in their order where the shell reordered its windows.
  [[nodiscard]] virtual bool StillInPlace() = 0;
  // Why the last search found no place.
  [[nodiscard]] virtual PlaceReport WhyNoPlace() = 0;
  // The word for whoever started the mode, and its line in the log.
  virtual void WriteWord(PlaceReport report) = 0;
  virtual void CheckCover() = 0;
  // Runs the scenes of the placed monitors that nothing covers while
  // `maySee`, rests the others; true when any runs.
  [[nodiscard]] virtual bool RunScenes(bool maySee) = 0;
  // The window events that tell of covers and of the shell's windows.
  virtual void HookWindowEvents(bool on) = 0;
  // True when a logon entry was there and went.
  [[nodiscard]] virtual bool RemoveLogonEntry() = 0;
  // True when written.
  [[nodiscard]] virtual bool WriteLogonEntry() = 0;
  virtual void Note(std::string_view line) = 0;
};

// The session's notices (WM_WTSSESSION_CHANGE's codes).
inline constexpr std::uint32_t kConsoleConnect = 0x1, kConsoleDisconnect = 0x2, kRemoteConnect = 0x3,
                               kRemoteDisconnect = 0x4, kSessionLock = 0x7, kSessionUnlock = 0x8;
// The power notices that say asleep or awake (WM_POWERBROADCAST's codes).
inline constexpr std::uint32_t kApmSuspend = 0x4, kApmResumeSuspend = 0x7, kApmResumeAutomatic = 0x12;

class HostMachine {
 public:
  // A search that has found nothing for this long says why: a starter waits
  // only a few seconds for its word.
  static constexpr std::uint32_t kReportNoPlaceAfterMs = 1500;
  // While a scene runs, the shell's windows and the monitors are looked at
  // this often, for changes whose window events never arrive (Wine sends
  // none across processes) and for Explorer moving its windows after a
  // display change; the first look after a rest or a placing comes sooner.
  static constexpr std::uint32_t kWatchMs = 2000;
  static constexpr std::uint32_t kSettleMs = 1500;
  static constexpr std::uint32_t kCoverSettleMs = 150;

  // `wallpaperKey`: our wallpaper's key, which names our background's file.
  HostMachine(HostActions& actions, std::string wallpaperKey) : out_(actions), key_(std::move(wallpaperKey)) {}

  // The mode starts over `shown`; `placeKnown` false where this Windows has
  // no place behind the icons (Vista): said at once, and the still picture stays.
  void Start(const WallpaperNews& shown, bool placeKnown);
  void TimerFired(HostTimer timer);
  void ShellStarted();  // "TaskbarCreated"
  // A view's window went with the shell's; `placing` is the one that made it.
  void ViewLost(unsigned placing);
  void IconsSettingChanged();  // "HideIcons" and the other values of Explorer's "Advanced" key
  void DisplayChanged();       // the monitors or their scale
  // Any setting but the wallpaper; `workArea` when the taskbar moved.
  void SettingChanged(bool workArea);
  void WallpaperChanged(const WallpaperNews& now);
  // A reason to rest set or cleared, by the session, the power news or covers.
  void Rest(PauseReason reason, bool on);
  void SessionNotice(std::uint32_t code);
  // False for a notice that is not about sleep.
  bool PowerNotice(std::uint32_t code);
  // A cover test changed what runs.
  void CoverChanged() { Rerun(); }

  [[nodiscard]] bool Placed() const noexcept { return placed_; }
  [[nodiscard]] bool MaySee() const noexcept { return pause_.Running(); }

 private:
  void Search();
  void SearchOnce();
  void Word(PlaceReport report);
  void Unplace(bool scenesToo);
  void Lose(std::string_view why);
  void Rerun();

  HostActions& out_;
  std::string key_;
  PauseState pause_;
  bool placeKnown_ = false;
  bool placed_ = false;
  unsigned placing_ = 0;  // counts the placings
  bool watching_ = false;  // the watch timer's usual pace is set
  bool searching_ = false;
  std::uint32_t searchStart_ = 0;
  int searchAttempts_ = 0;
  PlaceReport said_ = PlaceReport::kNone;
  // The plain wallpaper setting as last seen under our scenes, when it could
  // be read; whether another wallpaper shows instead (no scenes, no search
  // then), and whether the logon entry was taken away for it.
  std::optional<std::string> wallpaperSeen_;
  bool elsewhere_ = false;
  bool logonTaken_ = false;
};

}  // namespace mervalis::desktop
