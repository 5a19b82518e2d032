// The main window. Placeholder until the installer window is written: a plain
// window with the real caption that installs nothing, so the run modes around
// it can be built and tested.
#pragma once

#include <windows.h>

namespace mervalis {

class TfrmMain {
 public:
  TfrmMain() = default;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;
  ~TfrmMain();

  // Creates the window (hidden); in the apply mode it ends the application.
  void Create();
  [[nodiscard]] HWND Handle() const noexcept { return handle_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void FormCreate();

  HWND handle_ = nullptr;
  bool applyMode_ = false;
};

}  // namespace mervalis
