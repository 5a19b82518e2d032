// The main window `frmMain`: the installer the user sees, and in the apply
// mode the hidden holder of the stored options. The operations never read it:
// it reads its controls into their options once and hands over.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "common/win_handles.h"
#include "ui/controls_win.h"
#include "ui/main_form_ids.h"
#include "wallpaper/desktop_kind.h"

namespace mervalis {

struct ApplyOptions;
struct InstallOptions;

class TfrmMain {
 public:
  TfrmMain() = default;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;
  ~TfrmMain();

  // Creates the window and its controls (hidden) and runs InitializeWindow. In the
  // apply mode that applies the wallpaper and ends the application.
  void Create();
  [[nodiscard]] HWND Handle() const noexcept { return handle_; }
  [[nodiscard]] HWND Control(int id) const noexcept;

  [[nodiscard]] std::string Title() const;            // "Mervalis"
  [[nodiscard]] std::string WallpaperNameCaption() const;  // "\"Mervalis\""
  [[nodiscard]] bool Checked(int id) const noexcept;
  void SetChecked(int id, bool checked);
  void SetEnabled(int id, bool enabled);
  void SetVisible(int id, bool visible);
  [[nodiscard]] bool Visible(int id) const noexcept;

  // What the controls and the timers do.
  void InitializeWindow();
  void EnableBorderChoices();
  void DisableBorderChoices();
  void OpenMorePapersPage();
  void OpenTellPage();
  void InstallWallpaper();
  void AcceptLicenceAndInstall();
  void ShowOptionsPanel();
  void AskToClose();
  void SaveDesktopReport();
  void BlinkTellLink();
  void RestoreApplicationWindow();
  // Switches the window-restoring timer on (after the windows were minimised).
  void EnableRestoreTimer();
  // The options of the apply and of the install, as the window's controls
  // hold them; read once, before the operation runs.
  [[nodiscard]] ApplyOptions ReadApplyOptions() const;
  [[nodiscard]] InstallOptions ReadInstallOptions() const;
  // The hourglass over the whole window while the install runs.
  void SetBusy(bool busy);
  // The licence agreement in place of the options, its button focused.
  void ShowLicencePanel();
  // After an install: the done panel in place of the one shown, with the
  // desktop notice when there is one, and the install button renamed for
  // the next visit to the options.
  void ShowDonePanel(std::string_view desktopNotice);

 private:
  struct ControlDefinition;
  static const ControlDefinition kLayout[];

  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code, HWND control);
  void UpdateOptionTabStops();
  // The slot of a control in the arrays below.
  static constexpr int Index(int id) noexcept { return id - 1000; }

  // The controls, in main_form_controls_win.cpp.
  void CreateFonts();
  void LoadPictures();
  void CreateControls();
  LRESULT OnControlColour(HDC dc, HWND control);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  [[nodiscard]] bool IsLink(HWND control) const noexcept;

  HWND handle_ = nullptr;
  // What this Windows shows as the desktop, read once when the window is made.
  DesktopKind desktop_ = DesktopKind::kHtmlPage;
  std::array<HWND, 64> controls_ = {};
  std::array<ui::ControlLook, 64> looks_ = {};
  std::array<bool, 64> lastChecked_ = {};
  // What the controls draw with; deleted after the destructor has destroyed the window.
  std::array<UniqueFont, 5> fonts_;
  UniqueBitmap banner_, scene_, frame_, check_, checkDisabled_;
  UniqueBrush silverBrush_, whiteBrush_;
  HWND lastFocus_ = nullptr;
  int restoreTicks_ = 1;  // lives for the whole run
  bool busy_ = false;
  bool installing_ = false;     // the install sequence runs
  bool closeRequested_ = false;  // a close that waits for its end
};

}  // namespace mervalis
