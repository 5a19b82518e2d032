#include "desktop/host_machine.h"

#include "desktop/placement.h"
#include "wallpaper/desktop_kind.h"

namespace mervalis::desktop {

void HostMachine::Start(const WallpaperNews& shown, bool placeKnown) {
  wallpaperSeen_ = shown.plain;
  placeKnown_ = placeKnown;
  // Windows' slideshow or Spotlight at the start: the install ended it, so
  // the user switched it on since (the mode did not run to see it), and the
  // scenes stay off the desktop as after any other choice.
  if (IsWindowsRotation(shown.kind)) {
    out_.Note("Windows rotates the desktop's pictures: the scenes stay off the desktop");
    elsewhere_ = true;
    logonTaken_ = out_.RemoveLogonEntry();
  }
  if (!placeKnown) {
    Word(PlaceReport::kNoPlaceOnThisWindows);
    return;
  }
  Search();
}

void HostMachine::Search() {
  if (elsewhere_ || !placeKnown_) return;
  searching_ = true;
  searchStart_ = out_.Now();
  searchAttempts_ = 0;
  SearchOnce();
}

void HostMachine::SearchOnce() {
  out_.KillTimer(HostTimer::Search);
  if (!searching_) return;
  placed_ = out_.Place(++placing_);
  if (placed_) {
    searching_ = false;
    Word(PlaceReport::kPlaced);
    out_.CheckCover();
    Rerun();
    return;
  }
  Rerun();
  ++searchAttempts_;
  const std::uint32_t elapsed = out_.Now() - searchStart_;
  const PlaceReport why = out_.WhyNoPlace();
  if (why == PlaceReport::kViewRefused || elapsed >= kReportNoPlaceAfterMs) Word(why);
  if (const auto delay = NextSearchDelay(searchAttempts_, elapsed)) {
    out_.SetTimer(HostTimer::Search, *delay);
  } else {
    searching_ = false;
    out_.Note("No place behind the icons: waiting for the shell or a setting");
  }
}

void HostMachine::Word(PlaceReport report) {
  if (report == said_) return;
  said_ = report;
  out_.WriteWord(report);
}

void HostMachine::Unplace(bool scenesToo) {
  placed_ = false;
  out_.KillTimer(HostTimer::Watch);
  out_.Unplace(scenesToo);
  Rerun();
}

void HostMachine::Lose(std::string_view why) {
  out_.Note(why);
  Unplace(false);
  Search();
}

void HostMachine::Rerun() {
  const bool maySee = pause_.Running();
  out_.HookWindowEvents(maySee && placed_);
  const bool any = out_.RunScenes(maySee);
  // The shell's windows are watched only while a scene runs: at rest nothing
  // but the system's own messages wakes the process.
  if (any == watching_) return;
  watching_ = any;
  if (any) {
    out_.SetTimer(HostTimer::Watch, kSettleMs);
  } else {
    out_.KillTimer(HostTimer::Watch);
  }
}

void HostMachine::TimerFired(HostTimer timer) {
  switch (timer) {
    case HostTimer::Cover:
      out_.KillTimer(HostTimer::Cover);
      out_.CheckCover();
      return;
    case HostTimer::Search:
      SearchOnce();
      return;
    case HostTimer::Watch:
      out_.KillTimer(HostTimer::Watch);
      if (!placed_) return;
      if (!out_.StillInPlace()) {
        Lose("The shell's windows changed");
      } else if (watching_) {
        out_.SetTimer(HostTimer::Watch, kWatchMs);  // the usual pace, after a first look that came sooner
      }
      return;
  }
}

void HostMachine::ShellStarted() {
  // The shell (re)started: its windows are being built anew. A place already
  // found among the new ones (the search may come first) is kept: placing
  // again would only make the animation blink.
  if (placed_ && out_.StillInPlace()) {
    out_.Note("The shell started: still in place");
    return;
  }
  Lose("The shell started");
}

void HostMachine::ViewLost(unsigned placing) {
  // The other views of that placing went too: one search for them all.
  if (placed_ && placing == placing_) Lose("A view went with the shell's window");
}

void HostMachine::IconsSettingChanged() {
  // The icons shown again bring the shell's windows back where they went
  // with them: a new search, as for a setting changed.
  if (placed_ || elsewhere_) return;
  out_.Note("The desktop icons' setting changed: looking for the place again");
  Search();
}

void HostMachine::DisplayChanged() {
  // New sizes: scenes built anew for them, with their backgrounds. Explorer
  // moves its windows only after the message, so the watch looks at the
  // place once more when that has settled.
  out_.Note("Display change");
  Unplace(true);
  Search();
}

void HostMachine::SettingChanged(bool workArea) {
  if (workArea) out_.SetTimer(HostTimer::Cover, kCoverSettleMs);
  if (placed_ || elsewhere_) return;
  // Explorer makes its window behind the icons only while animations inside
  // windows are on. What this process reads of that setting may lag (Wine
  // keeps its first reading), so any change of a setting brings a new
  // search, whatever the value reads.
  out_.Note("A setting changed: looking for the place again");
  Search();
}

void HostMachine::WallpaperChanged(const WallpaperNews& now) {
  if (!wallpaperSeen_ || !now.plain) return;
  if (elsewhere_) {
    if (!ShowsOurBackground(*now.plain, key_) || IsWindowsRotation(now.kind)) return;
    out_.Note("Our wallpaper was chosen again");
    elsewhere_ = false;
    wallpaperSeen_ = now.plain;
    if (logonTaken_) logonTaken_ = !out_.WriteLogonEntry();
    Search();
    return;
  }
  if (!AnotherWallpaperChosen(*wallpaperSeen_, *now.plain, key_, now.kind)) {
    wallpaperSeen_ = now.plain;  // as before, or ours named anew
    return;
  }
  // The scenes go with their windows (their memory too), and the logon would
  // no longer start the mode over the wallpaper the user chose. The process
  // stays, idle, for a theme switched back that brings ours again.
  out_.Note("Another wallpaper was chosen: the scenes leave the desktop");
  elsewhere_ = true;
  searching_ = false;
  out_.KillTimer(HostTimer::Search);
  Unplace(true);
  logonTaken_ = out_.RemoveLogonEntry();
}

void HostMachine::Rest(PauseReason reason, bool on) {
  if (pause_.Set(reason, on)) Rerun();
}

void HostMachine::SessionNotice(std::uint32_t code) {
  if (code == kSessionLock || code == kSessionUnlock) {
    Rest(PauseReason::Locked, code == kSessionLock);
  } else if (code == kConsoleDisconnect || code == kRemoteDisconnect) {
    Rest(PauseReason::Disconnected, true);
  } else if (code == kConsoleConnect || code == kRemoteConnect) {
    Rest(PauseReason::Disconnected, false);
  }
}

bool HostMachine::PowerNotice(std::uint32_t code) {
  if (code == kApmSuspend) {
    Rest(PauseReason::Suspended, true);
  } else if (code == kApmResumeSuspend || code == kApmResumeAutomatic) {
    Rest(PauseReason::Suspended, false);
  } else {
    return false;
  }
  return true;
}

}  // namespace mervalis::desktop
