#include "desktop/scene_window_win.h"

#include "common/debug_log.h"
#include "common/win_handles.h"
#include "desktop/scene_clock.h"

namespace mervalis::desktop {

void Log(const std::string& message) noexcept {
  try {
    WriteDebugLog("DesktopMode - " + message);
  } catch (...) {
    // The log itself failed: nothing more can be said.
  }
}

void FrameTimer::Set(HWND window, UINT delay) noexcept {
  if (SceneClock::KeepsPeriod(SceneClock::kFramePeriodMs, delay)) delay = SceneClock::kFramePeriodMs;
  if (window == window_ && delay == period_) return;
  ::SetTimer(window, kFrameTimer, delay, nullptr);
  window_ = window;
  period_ = delay;
}

void FrameTimer::Kill() noexcept {
  if (window_) ::KillTimer(window_, kFrameTimer);
  window_ = nullptr;
  period_ = 0;
}

void SetSceneRunning(Aquarium& aquarium, FrameTimer& timer, HWND window, bool run) noexcept {
  if (run == aquarium.Running()) return;
  if (run) {
    aquarium.Resume();
    timer.Set(window, aquarium.DelayToNext());
  } else {
    aquarium.Pause();
    timer.Kill();
  }
}

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

}  // namespace mervalis::desktop
