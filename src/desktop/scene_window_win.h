// What the windows of both run modes share: the scene's frame timer, showing
// and painting the scene, the message loop and the mode's log lines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "desktop/aquarium_win.h"

namespace mervalis::desktop {

// The scene's one timer, on the window that runs it.
constexpr UINT_PTR kFrameTimer = 1;

// One line of the debug log, marked as the native animation's.
void Log(const std::string& message) noexcept;

// The scene's timer: repeating, and set again only when the next frame
// wants another period, so a scene running at its frame period costs no
// timer call per frame. A wait close to the frame period is taken as it.
class FrameTimer {
 public:
  void Set(HWND window, UINT delay) noexcept;
  void Kill() noexcept;

 private:
  HWND window_ = nullptr;
  UINT period_ = 0;
};

// Starts or stops the scene's clock and its timer on `window` together.
void SetSceneRunning(Aquarium& aquarium, FrameTimer& timer, HWND window, bool run) noexcept;

// Shows the changed areas of the scene in the window.
void Show(Aquarium& aquarium, HWND window, const std::vector<Rect>& areas) noexcept;
void PaintScene(Aquarium& aquarium, HWND window) noexcept;

// Runs the messages until WM_QUIT or, when there is one, the `stop` event.
void RunMessages(HANDLE stop);

}  // namespace mervalis::desktop
