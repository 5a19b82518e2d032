#include "desktop/host_machine.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>

namespace mervalis::desktop {
namespace {

const char* const kOurs = "C:\\Users\\u\\AppData\\Local\\Quorvane\\QVImages\\Mervalis\\background.bmp";
const char* const kBeach = "C:\\Users\\u\\beach.bmp";

// The host's windows as a test sees them: a shell that has a place or not,
// and every action written down as it comes.
class World : public HostActions {
 public:
  std::string trace;
  std::uint32_t now = 0;
  bool shell = false;       // a place is there to find
  bool moved = false;       // the shell's windows are no longer as found
  bool refused = false;     // Windows refuses our window in the place
  bool logonEntry = true;   // the install's logon entry
  bool placed = false;

  std::uint32_t Now() override { return now; }
  void SetTimer(HostTimer t, std::uint32_t ms) override {
    timers_[t] = true;
    Say(Name(t) + "=" + std::to_string(ms));
  }
  void KillTimer(HostTimer t) override {
    if (timers_[t]) Say("kill " + Name(t));
    timers_[t] = false;
  }
  bool Place(unsigned placing) override {
    placed = shell && !refused;
    moved = false;
    Say(placed ? "place" + std::to_string(placing) : "none");
    return placed;
  }
  void Unplace(bool scenesToo) override {
    placed = false;
    Say(scenesToo ? "unplace+scenes" : "unplace");
  }
  bool StillInPlace() override { return placed && !moved; }
  PlaceReport WhyNoPlace() override { return refused ? PlaceReport::kViewRefused : PlaceReport::kWindowsNotFound; }
  void WriteWord(PlaceReport r) override { Say("word" + std::to_string(static_cast<int>(r))); }
  void CheckCover() override { Say("cover"); }
  bool RunScenes(bool maySee) override {
    const bool run = maySee && placed;
    if (run != running_) Say(run ? "run" : "rest");
    running_ = run;
    return run;
  }
  void HookWindowEvents(bool on) override {
    if (on != hooked_) Say(on ? "hook" : "unhook");
    hooked_ = on;
  }
  bool RemoveLogonEntry() override {
    Say("logon-");
    return std::exchange(logonEntry, false);
  }
  bool WriteLogonEntry() override {
    Say("logon+");
    return logonEntry = true;
  }
  void Note(std::string_view) override {}

 private:
  static std::string Name(HostTimer t) {
    return t == HostTimer::Cover ? "cover@" : t == HostTimer::Search ? "search@" : "watch@";
  }
  void Say(const std::string& what) { trace += (trace.empty() ? "" : " ") + what; }
  std::map<HostTimer, bool> timers_;
  bool running_ = false;
  bool hooked_ = false;
};

// Plays `events` (separated by ";") and gives what the host did after the
// last "|".
std::string Play(const std::string& events) {
  World w;
  HostMachine m(w, "Mervalis");
  std::stringstream list(events);
  std::string e;
  while (std::getline(list, e, ';')) {
    while (!e.empty() && e.front() == ' ') e.erase(0, 1);
    if (e.rfind("| ", 0) == 0) {
      w.trace.clear();
      e.erase(0, 2);
    }
    const auto arg = [&](const char* word) { return e.rfind(word, 0) == 0 ? e.substr(std::string(word).size()) : ""; };
    if (e == "|") w.trace.clear();
    else if (e == "shell") w.shell = true;
    else if (e == "no shell") w.shell = w.placed = false;
    else if (e == "moved") w.moved = true;
    else if (e == "refused") w.refused = true;
    else if (e == "start") m.Start({kBeach, 0}, true);
    else if (e == "start on vista") m.Start({kBeach, std::nullopt}, false);
    else if (e == "start over a slideshow") m.Start({kBeach, 2}, true);
    else if (!arg("at ").empty()) w.now = std::stoul(arg("at "));
    else if (e == "search timer") m.TimerFired(HostTimer::Search);
    else if (e == "watch timer") m.TimerFired(HostTimer::Watch);
    else if (e == "cover timer") m.TimerFired(HostTimer::Cover);
    else if (e == "TaskbarCreated") m.ShellStarted();
    else if (!arg("lost ").empty()) m.ViewLost(std::stoul(arg("lost ")));
    else if (e == "HideIcons") m.IconsSettingChanged();
    else if (e == "display") m.DisplayChanged();
    else if (e == "setting") m.SettingChanged(false);
    else if (e == "work area") m.SettingChanged(true);
    else if (e == "wallpaper ours") m.WallpaperChanged({kOurs, 0});
    else if (e == "wallpaper OURS") m.WallpaperChanged({"C:\\USERS\\U\\QVIMAGES\\MERVALIS\\BACKGROUND.BMP", 0});
    else if (e == "wallpaper beach") m.WallpaperChanged({kBeach, 0});
    else if (e == "wallpaper forest") m.WallpaperChanged({"C:\\forest.jpg", 0});
    else if (e == "wallpaper unread") m.WallpaperChanged({std::nullopt, 0});
    else if (e == "slideshow of ours") m.WallpaperChanged({kOurs, 2});
    else if (e == "spotlight") m.WallpaperChanged({kBeach, 3});
    else if (e == "lock") m.SessionNotice(0x7);
    else if (e == "unlock") m.SessionNotice(0x8);
    else if (e == "disconnect") m.SessionNotice(0x4);
    else if (e == "connect") m.SessionNotice(0x3);
    else if (e == "suspend") EXPECT_TRUE(m.PowerNotice(0x4));
    else if (e == "resume") EXPECT_TRUE(m.PowerNotice(0x12));
    else if (e == "wake") EXPECT_TRUE(m.PowerNotice(0x7));
    else if (e == "power status") EXPECT_FALSE(m.PowerNotice(0xA));
    else if (e == "display off") m.Rest(PauseReason::DisplayOff, true);
    else if (e == "display on") m.Rest(PauseReason::DisplayOff, false);
    else ADD_FAILURE() << "no such event: " << e;
  }
  return w.trace;
}

// Each row: what happened, in order, and what the host did after the "|".
// Words: 1 placed, 3 the windows not found, 4 our window refused, 6 no place on this Windows.
TEST(HostMachine, EventOrders) {
  const struct {
    const char* events;
    const char* actions;
  } rows[] = {
      // Placed at once: the word, a cover test, the scenes run and the watch's first look.
      {"shell; | start", "place1 word1 cover hook run watch@=1500"},
      // Vista: the word at once, and no search ever.
      {"| start on vista; TaskbarCreated; setting; HideIcons", "word6 unplace"},
      // No shell: looked for with backoff, the word once 1.5 s have gone.
      {"start; |; at 250; search timer; at 750; search timer; at 1750; search timer",
       "kill search@ none search@=1000 kill search@ none search@=2000 kill search@ none word3 search@=4000"},
      // Started before the shell, as at logon: the shell's desktop ten seconds later is found.
      {"start; at 10000; shell; | search timer", "kill search@ place2 word1 cover hook run watch@=1500"},
      // A window refused in the place is said at once.
      {"shell; refused; | start", "none word4 search@=500"},
      // After a minute no more searching; then "TaskbarCreated" brings the place.
      {"start; at 59000; search timer; | at 60000; search timer", "kill search@ none"},
      {"start; at 60000; search timer; shell; | at 90000; TaskbarCreated",
       "unplace place3 word1 cover hook run watch@=1500"},
      // ... and so does "HideIcons" cleared, or any setting, once the minute has gone.
      {"start; at 60000; search timer; shell; | HideIcons", "place3 word1 cover hook run watch@=1500"},
      {"start; at 60000; search timer; shell; | setting", "place3 word1 cover hook run watch@=1500"},
      // "TaskbarCreated" late, once the place is found among the new shell's windows: kept.
      {"shell; start; | TaskbarCreated; HideIcons; setting", ""},
      // ... or, the place gone meanwhile, looked for anew.
      {"shell; start; moved; | TaskbarCreated", "kill watch@ unplace unhook rest place2 cover hook run watch@=1500"},
      // A view of an older placing goes: nothing; one of this placing: a new search.
      {"shell; start; display; | lost 1", ""},
      {"shell; start; display; | lost 2", "kill watch@ unplace unhook rest place3 cover hook run watch@=1500"},
      // A view that goes while the search already placed anew is of an old placing.
      {"shell; start; moved; watch timer; | lost 1", ""},
      // The watch: as found, the usual pace; moved, a new search.
      {"shell; start; | watch timer", "kill watch@ watch@=2000"},
      {"shell; start; moved; | watch timer", "kill watch@ unplace unhook rest place2 cover hook run watch@=1500"},
      // A display change builds the scenes anew.
      {"shell; start; | display", "kill watch@ unplace+scenes unhook rest place2 cover hook run watch@=1500"},
      // The taskbar moved: a cover test soon.
      {"shell; start; | work area; cover timer", "cover@=150 kill cover@ cover"},
      // Locked, asleep, display off, disconnected: everything rests; each reason on its own.
      {"shell; start; | lock; unlock", "unhook rest kill watch@ hook run watch@=1500"},
      {"shell; start; | suspend; power status; wake", "unhook rest kill watch@ hook run watch@=1500"},
      {"shell; start; suspend; lock; resume; | unlock", "hook run watch@=1500"},
      // Switched to another user and back: the lock screen shows until unlocked.
      {"shell; start; lock; disconnect; | connect; unlock", "hook run watch@=1500"},
      {"shell; start; display off; disconnect; display on; | connect", "hook run watch@=1500"},
      // Locked before the place is found: placed, but resting.
      {"lock; shell; | start", "place1 word1 cover"},
      // Ours named anew, in other letters: nothing; another wallpaper: the scenes and the logon entry go.
      {"shell; start; | wallpaper OURS; wallpaper unread; wallpaper beach",
       "kill watch@ unplace+scenes unhook rest logon-"},
      // While another is chosen, nothing brings a search; ours again brings the place and the entry back.
      {"shell; start; wallpaper ours; wallpaper beach; | setting; HideIcons; TaskbarCreated; wallpaper ours",
       "unplace logon+ place2 cover hook run watch@=1500"},
      // Another chosen while still searching: the search ends.
      {"start; | wallpaper forest", "kill search@ unplace+scenes logon-"},
      // Windows' rotation at the start or chosen since: off the desktop; ours without it: back.
      {"shell; | start over a slideshow; slideshow of ours; wallpaper ours",
       "logon- logon+ place1 word1 cover hook run watch@=1500"},
      {"shell; start; | spotlight", "kill watch@ unplace+scenes unhook rest logon-"},
  };
  for (const auto& r : rows) EXPECT_EQ(Play(r.events), r.actions) << r.events;
}

}  // namespace
}  // namespace mervalis::desktop
