// The install button: checks, licence, apply, options, application file,
// shortcuts, uninstall entry, done panel, and a look at the new desktop.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/application_win.h"
#include "common/folders_win.h"
#include "common/debug_log.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/system_checks_win.h"
#include "common/web_links.h"
#include "common/win_handles.h"
#include "desktop/desktop_control_win.h"
#include "payload/catalogue.h"
#include "ui/install_steps_win.h"
#include "ui/main_form_win.h"
#include "ui/option_code.h"
#include "ui/scope_exit.h"
#include "ui/uninstall_entry.h"
#include "wallpaper/apply_win.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {

using namespace ui;

namespace {

constexpr char kShellTooOld[] =
    "Your shell32.dll version is too low!  This application will only run on Windows 98, ME, 2000, and XP.  "
    "In order to run this on Windows 95 or NT4, you must install the Internet Explorer Desktop Update from "
    "Microsoft.";
constexpr char kTooFewColours[] =
    "Your color depth is set too low.\nThis program requires 16 bit color or higher to run.\n\n"
    "Please change your display to at least 16 bit color, then run this program again.";

void Log(const char* checkpoint) { WriteDebugLog(std::string("btnInstall - ") + checkpoint); }

// Minimises every window through the shell's automation object, so the new
// desktop is in view. Throws when the shell does not offer it.
void MinimizeAllWindows() {
  ComInit com;
  if (!com.ok()) throw std::runtime_error("COM is not available.");
  CLSID shell;
  if (FAILED(::CLSIDFromProgID(L"Shell.Application", &shell))) throw std::runtime_error("Invalid class string");
  ComPtr<IDispatch> application;
  if (FAILED(::CoCreateInstance(shell, nullptr, CLSCTX_SERVER, IID_IDispatch, application.put_void()))) {
    throw std::runtime_error("Shell.Application could not be created.");
  }
  wchar_t name[] = L"MinimizeAll";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  if (FAILED(application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    throw std::runtime_error("MinimizeAll is not offered.");
  }
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (FAILED(application->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                                 nullptr))) {
    throw std::runtime_error("MinimizeAll failed.");
  }
}

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// What the install put on the disk: the program, the page, the pictures with
// the background, and the runtime control.
std::uint32_t InstalledSizeKiB(const std::string& title, const std::string& applicationFile) {
  const std::string images = GetImagesFolder(RemoveQuotesAndSpaces(title));
  std::uint64_t bytes = FileSize(applicationFile) + FileSize(PagePath(GetWallpaperFolder(), title)) +
                        FileSize(images + std::string(kBackgroundName)) +
                        FileSize(GetSystemFolder() + std::string(kControlFileName));
  for (const PayloadPicture& picture : kPayloadPictures) bytes += FileSize(images + std::string(picture.fileName));
  return KiBRoundedUp(bytes);
}

// The uninstall entry, opened or else created with the access the caller is
// allowed. The other values are written only when the uninstall command could be.
void WriteUninstallEntry(const std::string& title, const std::string& applicationFile) {
  const std::string key = UninstallKey(title);
  RegistryKey entry(HKEY_LOCAL_MACHINE, MAXIMUM_ALLOWED);
  if (entry.Open(key, false) != ERROR_SUCCESS && entry.Create(key) != ERROR_SUCCESS) return;
  const auto values = UninstallEntryValues(title, applicationFile, GetInstallFolder(),
                                           InstalledSizeKiB(title, applicationFile));
  for (const UninstallValue& value : values) {
    const LONG written = value.isNumber ? entry.WriteDword(value.name, value.number)
                                        : entry.WriteString(value.name, value.text);
    if (written != ERROR_SUCCESS && &value == &values.front()) return;
  }
}

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

void TfrmMain::btnInstallClick() {
  Application& app = Application::Instance();
  Log("Begin");
  RegistryKey registry(HKEY_CURRENT_USER, KEY_WRITE);
  const bool wasBusy = busy_;
  Log("After Var Dec");
  SetEnabled(kBtnInstall, false);
  const bool wasInstalling = std::exchange(installing_, true);
  bool cursorSet = false;
  {
    // Every way out, an error on its way to the error display included, gives
    // the window back: the cursor, the button, and a close asked for meanwhile.
    const ScopeExit giveBack([&] {
      if (cursorSet) SetBusy(wasBusy);
      SetEnabled(kBtnInstall, true);
      installing_ = wasInstalling;
      if (!installing_ && closeRequested_) ::PostMessageA(handle_, WM_CLOSE, 0, 0);
    });
    const std::string title = Title();

    [&] {
      if (!HighEnoughShellVersion()) {
        ShowMessage(kShellTooOld, MB_OK | MB_ICONSTOP);
        return;
      }
      if (!HighEnoughColors()) {
        ShowMessage(kTooFewColours, MB_OK | MB_ICONSTOP);
        return;
      }
      if (!IsInstalled(title) && !Checked(kChkAcceptLicense)) {
        SetVisible(kPnlLicense, true);
        ::SetFocus(Control(kBtnLicenseInstall));
        SetVisible(kPnlInstall, false);
        return;
      }

      Log("Before HG Cursor");
      // What the user chose when pressing, taken before any message is handled.
      const ApplyOptions options = ReadApplyOptions();
      SetBusy(true);
      cursorSet = true;
      app.ProcessMessages();
      Log("Before ApplyWallpaper");
      if (!mervalis::ApplyWallpaper(options)) return;

      Log("After ApplyWallpaper");
      registry.SetRoot(HKEY_CURRENT_USER, KEY_WRITE);
      Log("Before Opt Reg Write");
      if (registry.OpenKey(kOptionsKey, true)) {
        const char code[2] = {OptionCode(!options.stretched, options.showBorder, options.borderExtra), 0};
        (void)registry.WriteString(title, code);
        registry.CloseKey();
      }
      const bool animated = options.desktop == DesktopKind::kAnimatedBehindIcons;
      // A running image cannot be replaced: the animated desktop lets go of
      // the application file first, and comes back with the new options.
      if (animated) (void)StopDesktopMode();
      {
        const ScopeExit startAgain([&] {
          if (animated) (void)StartDesktopMode(ApplicationFile);
        });
        Log("Before WriteApplicationFile");
        (void)WriteApplicationFile(title, ApplicationFile);
        Log("After WriteApplicationFile");
        if (animated) (void)WriteRunValue(title, ApplicationFile);
      }

      if (!IsInstalled(title)) {
        Log("Before CreateShortcuts");
        const std::string& caption = options.wallpaperNameCaption;
        const std::string web = ShortcutAddress();
        for (const Shortcut& shortcut : ShortcutsToCreate(title, Checked(kChkDesktopShortcut))) {
          const bool toApplication = shortcut.target == ShortcutTarget::kApplication;
          CreateShortcuts(shortcut.place, shortcut.linkName, toApplication ? ApplicationFile : web, caption);
        }
        Log("After CreateShortcuts");
        Log("Before Inst Reg Write");
        WriteUninstallEntry(title, ApplicationFile);
        Log("After Inst Reg Write");
      }

      app.ProcessMessages();
      ::SetWindowTextA(Control(kBtnInstall), "Apply Wallpaper");
      SetVisible(kPnlDone, true);
      ::SetFocus(Control(kBtnFinish));
      if (Visible(kPnlLicense)) {
        SetVisible(kPnlLicense, false);
      } else if (Visible(kPnlInstall)) {
        SetVisible(kPnlInstall, false);
      }
      try {
        Log("Before Minimize Windows");
        MinimizeAllWindows();
        app.ProcessMessages();
        EnableRestoreTimer();
        Log("After Minimize Windows");
      } catch (...) {
        // Not being able to show the desktop spoils nothing.
      }
    }();
  }
  Log("End");
}

}  // namespace mervalis
