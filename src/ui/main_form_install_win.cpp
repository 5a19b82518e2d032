// The installer window's side of the install and the apply: it reads its
// controls into the options once and hands over; as the install's reporter
// it shows the boxes, the panels and the busy cursor.
#include <windows.h>

#include <string_view>
#include <utility>

#include "common/application_win.h"
#include "common/scope_exit.h"
#include "install/install_win.h"
#include "ui/main_form_win.h"
#include "wallpaper/apply_options.h"

namespace mervalis {

using namespace ui;

namespace {

class WindowInstallReporter final : public InstallReporter {
 public:
  WindowInstallReporter(TfrmMain& form, bool& cursorSet) noexcept : form_(form), cursorSet_(cursorSet) {}

  void Refused(std::string_view message) override { ShowMessage(message, MB_OK | MB_ICONSTOP); }
  void LicenceNeeded() override { form_.ShowLicencePanel(); }
  void Busy() override {
    form_.SetBusy(true);
    cursorSet_ = true;
    Application::Instance().ProcessMessages();
  }
  void Waiting() override { Application::Instance().ProcessMessages(); }
  void Done(std::string_view desktopNotice) override {
    Application::Instance().ProcessMessages();
    form_.ShowDonePanel(desktopNotice);
  }
  void WindowsMinimised() override {
    Application::Instance().ProcessMessages();
    form_.EnableRestoreTimer();
  }

 private:
  TfrmMain& form_;
  bool& cursorSet_;
};

}  // namespace

ApplyOptions TfrmMain::ReadApplyOptions() const {
  ApplyOptions options;
  options.wallpaperNameCaption = WallpaperNameCaption();
  options.stretched = Checked(kOptStretch);
  options.showBorder = Checked(kChkShowBorder);
  options.borderExtra = Checked(kChkBorderExtra);
  options.desktop = desktop_;
  return options;
}

InstallOptions TfrmMain::ReadInstallOptions() const {
  InstallOptions options;
  options.apply = ReadApplyOptions();
  options.licenceAccepted = Checked(kChkAcceptLicense);
  options.desktopShortcut = Checked(kChkDesktopShortcut);
  return options;
}

void TfrmMain::InstallWallpaper() {
  const bool wasBusy = busy_;
  SetEnabled(kBtnInstall, false);
  const bool wasInstalling = std::exchange(installing_, true);
  bool cursorSet = false;
  // Every way out, an error on its way to the error display included, gives
  // the window back: the cursor, the button, and a close asked for meanwhile.
  const ScopeExit giveBack([&] {
    if (cursorSet) SetBusy(wasBusy);
    SetEnabled(kBtnInstall, true);
    installing_ = wasInstalling;
    if (!installing_ && closeRequested_) ::PostMessageA(handle_, WM_CLOSE, 0, 0);
  });
  // What the user chose when pressing, taken before any message is handled.
  const InstallOptions options = ReadInstallOptions();
  WindowInstallReporter reporter(*this, cursorSet);
  (void)RunInstall(options, reporter);
}

}  // namespace mervalis
