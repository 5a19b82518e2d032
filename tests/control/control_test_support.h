// Shared by the runtime control's Windows tests: where the built control and
// its fixtures are, running regsvr32, and answering the control's boxes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/win_handles.h"
#include "robot.h"
#include "wine/support.h"

namespace control_test {

inline std::string ControlPath() { return wine_test::BinFolder() + "quorvanexrun.ocx"; }
inline std::string DesktopHostPath() { return wine_test::BinFolder() + "desktop_host.exe"; }
inline std::string StartRecorderPath() { return wine_test::BinFolder() + "start_recorder.exe"; }

// Runs the system's regsvr32 with `arguments` on a control file (the built
// one unless named); its exit code, or -1 when it did not end within 30 s.
inline long RunRegsvr32(std::string_view arguments, const std::string& control = ControlPath()) {
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  wine_test::Process p(std::string(system) + "\\regsvr32.exe",
                       std::string(arguments) + " \"" + control + "\"");
  DWORD code = 0;
  if (!p.WaitForExit(30000, &code)) return -1;
  return static_cast<long>(code);
}

// Answers, from a thread of its own, every box captioned "Quorvane" that this
// process shows while it lives (a box of code running on the test thread
// blocks that thread until someone presses its button).
class BoxAnswerer {
 public:
  struct Box {
    std::string text;
    std::vector<std::string> buttons;
    bool hasIcon = false;
    HWND owner = nullptr;
  };

  BoxAnswerer() : thread_(::CreateThread(nullptr, 0, &BoxAnswerer::Run, this, 0, nullptr)) {}
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  ~BoxAnswerer() { Stop(); }

  // Stops answering; returns the boxes answered, oldest first.
  const std::vector<Box>& Stop() {
    if (thread_) {
      ::InterlockedExchange(&stop_, 1);
      ::WaitForSingleObject(thread_, INFINITE);
      ::CloseHandle(thread_);
      thread_ = nullptr;
    }
    return boxes_;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* answerer = static_cast<BoxAnswerer*>(self);
    while (!::InterlockedCompareExchange(&answerer->stop_, 0, 0)) {
      const auto box = robot::WaitForMessageBox("Quorvane", ::GetCurrentProcessId(), 100);
      if (!box) continue;
      answerer->boxes_.push_back({box->text, box->buttons, box->hasIcon, ::GetWindow(box->hwnd, GW_OWNER)});
      robot::PressMessageBoxButton(*box, "OK");
      (void)robot::WaitForWindowGone(box->hwnd, 5000);
    }
    return 0;
  }

  std::vector<Box> boxes_;  // written by the thread until Stop joins it
  volatile LONG stop_ = 0;
  HANDLE thread_;
};

// Sets the wallpaper that the Active Desktop stand-in reports (the shell's
// stored one) for the life of the object, then puts back what was there.
class StoredWallpaper {
 public:
  StoredWallpaper() = default;
  explicit StoredWallpaper(const std::string& wallpaper) { Set(wallpaper); }
  bool Set(const std::string& wallpaper) {
    return wine_test::SetString(HKEY_CURRENT_USER, active_desktop_fixture::kWallpaperKey, "Wallpaper", wallpaper);
  }

 private:
  wine_test::SavedValue saved_{HKEY_CURRENT_USER, active_desktop_fixture::kWallpaperKey, "Wallpaper"};
};

}  // namespace control_test
