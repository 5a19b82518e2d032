// The `desktop` mode's windows: a hidden top-level host that gets the shell's
// and the system's broadcasts and owns the timers, and one view per monitor
// behind the desktop icons, each with a scene of its own. The host turns its
// messages into the events of its machine (host_machine.h) and carries out
// the machine's actions on the views (desktop_views_win.h), the window
// events' hooks, the word for the starter and the logon entry.
//
// Nothing here waits on the shell: the only call into its windows is the
// search's message with a timeout, the views never notify their parent, and
// searching and placing run on timers of their own, never in a frame.
#pragma once

#include <windows.h>

#include <vector>

#include "common/win_handles.h"
#include "desktop/desktop_views_win.h"
#include "desktop/host_machine.h"
#include "desktop/late_functions_win.h"
#include "desktop/place_report_win.h"
#include "desktop/rest_signals_win.h"

namespace mervalis::desktop {

class DesktopHost : private HostActions {
 public:
  DesktopHost(HINSTANCE instance, const LateFunctions& late);
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;
  ~DesktopHost() override { Close(); }

  // False when the mode cannot start at all (its own window); a missing
  // shell only starts the search.
  [[nodiscard]] bool Open();
  void Close() noexcept;

 private:
  // A look at the order this long after the shell reordered the children of
  // the window that holds ours, once it is done.
  static constexpr UINT kReorderSettleMs = 250;
  // The host's own message: a view's window went with the shell's (wParam:
  // the placing that had made it).
  static constexpr UINT kViewLost = WM_APP + 1;
  // The host's own message: a value under Explorer's "Advanced" key changed
  // (the desktop icons shown or hidden).
  static constexpr UINT kIconsSettingChanged = WM_APP + 2;

  static LRESULT CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static void CALLBACK WindowEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) noexcept;
  static DesktopHost* instance_s;

  LRESULT OnHostMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnWindowEvent(DWORD event, HWND hwnd, LONG object, LONG child);

  // What the machine asks for.
  std::uint32_t Now() override { return ::GetTickCount(); }
  void SetTimer(HostTimer timer, std::uint32_t ms) override;
  void KillTimer(HostTimer timer) override;
  bool Place(unsigned placing) override { return views_.Place(placing); }
  void Unplace(bool scenesToo) override { views_.Unplace(scenesToo); }
  bool StillInPlace() override { return views_.StillInPlace(); }
  PlaceReport WhyNoPlace() override { return views_.WhyNoPlace(); }
  void WriteWord(PlaceReport report) override;
  void CheckCover() override;
  bool RunScenes(bool maySee) override { return views_.RunScenes(maySee); }
  void HookWindowEvents(bool on) override;
  bool RemoveLogonEntry() override;
  bool WriteLogonEntry() override;
  void Note(std::string_view line) override;

  HINSTANCE instance_;
  UniqueWindow host_;
  UINT taskbarCreated_ = 0;
  DesktopViews views_;
  HostMachine machine_;
  RestSignals rest_;
  DesktopIconsWatch iconsWatch_;
  std::vector<UniqueWinEventHook> hooks_;
};

}  // namespace mervalis::desktop
