// The `preview` mode's window: the scene at three quarters of the screen, in
// an ordinary window that stops the scene while minimised.
#pragma once

#include <windows.h>

#include "desktop/aquarium_win.h"
#include "desktop/scene_window_win.h"

namespace mervalis::desktop {

class PreviewWindow {
 public:
  explicit PreviewWindow(HINSTANCE instance) : instance_(instance) {}
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;
  ~PreviewWindow() {
    if (window_) ::DestroyWindow(window_);
  }

  // Throws when the scene cannot be built, with the reason for the user.
  [[nodiscard]] bool Open();

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The scene for a client area of width × height physical pixels at `dpi`,
  // its first frame taken; throws as Open.
  void Build(int width, int height, int dpi);
  void UpdateRunning();

  HINSTANCE instance_;
  HWND window_ = nullptr;
  Aquarium aquarium_;
  FrameTimer frameTimer_;
};

}  // namespace mervalis::desktop
