#include "ui/main_form_win.h"

#include <shellapi.h>

#include <stdexcept>
#include <string>

#include "common/application_win.h"
#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/scope_exit.h"
#include "common/stored_options_win.h"
#include "common/web_links.h"
#include "common/web_links_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "common/window_owner_win.h"
#include "install/install_steps_win.h"
#include "install/install_win.h"
#include "payload/resource_ids.h"
#include "wallpaper/apply_options.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {

using namespace ui;

namespace {

constexpr UINT_PTR kTellBlinkTimer = 1;
constexpr UINT_PTR kRestoreWindowTimer = 2;
constexpr UINT kTellBlinkIntervalMs = 1000;
constexpr UINT kRestoreWindowIntervalMs = 100;
constexpr int kRestoreWindowTicks = 30;

constexpr char kMorePapersText[] = "\r\n\r\n\r\nClick here to try more animated wallpapers";
constexpr char kApplyCaption[] = "Apply Wallpaper";

}  // namespace

TfrmMain::~TfrmMain() {
  // The controls go before the fonts, pictures and brushes they draw with.
  if (handle_ && ::IsWindow(handle_)) ::DestroyWindow(handle_);
}

HWND TfrmMain::Control(int id) const noexcept {
  const int i = Index(id);
  return i > 0 && i < static_cast<int>(controls_.size()) ? controls_[i] : nullptr;
}

void TfrmMain::Create() {
  desktop_ = CurrentDesktopKind();
  Application& app = Application::Instance();
  HINSTANCE instance = app.ModuleInstance();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &TfrmMain::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON));
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kMainFormClass;
  if ((!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) ||
      !RegisterControlClasses(instance)) {
    throw std::runtime_error("The main window classes could not be registered.");
  }

  // A fixed 471 x 316 client area in a single border with minimise and system
  // menu only, centred on the screen.
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER | WS_CLIPCHILDREN;
  RECT r = {0, 0, 471, 316};
  ::AdjustWindowRectEx(&r, style, FALSE, 0);
  const int w = r.right - r.left, h = r.bottom - r.top;
  handle_ = ::CreateWindowExA(WS_EX_CONTROLPARENT, kMainFormClass, kMainFormCaption, style,
                              (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                              (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, app.Handle(), nullptr,
                              instance, this);
  if (!handle_) {
    LogLastError("CreateWindowEx of the main window");
    throw std::runtime_error("The main window could not be created.");
  }
  app.SetMainWindow(handle_);
  silverBrush_.reset(::CreateSolidBrush(kSilver));
  whiteBrush_.reset(::CreateSolidBrush(kWhite));
  CreateFonts();
  LoadPictures();
  CreateControls();
  ::SetTimer(handle_, kTellBlinkTimer, kTellBlinkIntervalMs, nullptr);
  InitializeWindow();
}

// ---- State ----

std::string TfrmMain::WallpaperNameCaption() const {
  char text[256] = {};
  ::GetWindowTextA(Control(kLblWallpaperName), text, sizeof(text));
  return text;
}

std::string TfrmMain::Title() const { return RemoveQuotes(WallpaperNameCaption()); }

bool TfrmMain::Checked(int id) const noexcept {
  return ::SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Only the checked option of the layout pair is a tab stop, so Tab lands on
// the selected option as a Windows user expects.
void TfrmMain::UpdateOptionTabStops() {
  for (int id : {kOptCenter, kOptStretch}) {
    HWND option = Control(id);
    LONG style = ::GetWindowLongA(option, GWL_STYLE);
    style = Checked(id) ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    ::SetWindowLongA(option, GWL_STYLE, style);
  }
}

void TfrmMain::SetChecked(int id, bool checked) {
  ::SendMessageA(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  const bool was = lastChecked_[Index(id)];
  lastChecked_[Index(id)] = checked;
  if (id == kOptCenter || id == kOptStretch) UpdateOptionTabStops();
  // An option that becomes checked runs its handler, whoever checked it.
  if (checked && !was) {
    if (id == kOptCenter) EnableBorderChoices();
    if (id == kOptStretch) DisableBorderChoices();
  }
}

void TfrmMain::SetEnabled(int id, bool enabled) { ::EnableWindow(Control(id), enabled); }

void TfrmMain::SetVisible(int id, bool visible) {
  ::ShowWindow(Control(id), visible ? SW_SHOWNA : SW_HIDE);
}

bool TfrmMain::Visible(int id) const noexcept {
  return (::GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// ---- Handlers ----

void TfrmMain::InitializeWindow() {
  if (const std::string code = ReadOptionCode(Title()); IsOptionCode(code)) {
    const StoredLayout layout = LayoutFromOptionCode(code);
    if (!layout.stretched) {
      SetChecked(kOptCenter, true);
      SetChecked(kOptStretch, false);
      SetChecked(kChkShowBorder, layout.showBorder);
      SetChecked(kChkBorderExtra, layout.decorate);
    } else {
      SetChecked(kOptStretch, true);
      SetChecked(kOptCenter, false);
      SetChecked(kChkShowBorder, false);
      SetEnabled(kChkShowBorder, false);
      SetChecked(kChkBorderExtra, false);
      SetEnabled(kChkBorderExtra, false);
    }
  }
  ::SetWindowTextA(Control(kLblMorePapers), kMorePapersText);
  SetVisible(kLblMorePapers, true);
  SetVisible(kLblTell, true);
  if (IsInstalled(Title())) {
    ::SetWindowTextA(Control(kBtnInstall), kApplyCaption);
    SetChecked(kChkDesktopShortcut, false);
    SetVisible(kChkDesktopShortcut, false);
  } else {
    SetChecked(kChkDesktopShortcut, true);
    SetVisible(kChkDesktopShortcut, true);
  }
}

void TfrmMain::EnableBorderChoices() {
  SetEnabled(kChkShowBorder, true);
  SetEnabled(kChkBorderExtra, true);
  SetChecked(kChkShowBorder, true);
}

void TfrmMain::DisableBorderChoices() {
  // The border boxes keep their checks; they only stop counting.
  SetEnabled(kChkShowBorder, false);
  SetEnabled(kChkBorderExtra, false);
}

void TfrmMain::OpenMorePapersPage() { OpenWallpaperWebPage(kMorePapersPage, WallpaperNameCaption()); }
void TfrmMain::OpenTellPage() { OpenWallpaperWebPage(kTellPage, WallpaperNameCaption()); }

void TfrmMain::AcceptLicenceAndInstall() {
  if (!Checked(kChkAcceptLicense)) {
    const int answer = ShowMessage("Do you accept the End User License Agreement?", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return;
  }
  SetEnabled(kBtnLicenseInstall, false);
  const ScopeExit enableAgain([&] { SetEnabled(kBtnLicenseInstall, true); });
  SetChecked(kChkAcceptLicense, true);
  InstallWallpaper();
}

void TfrmMain::ShowOptionsPanel() {
  SetVisible(kPnlInstall, true);
  SetVisible(kPnlDone, false);
  ::SetFocus(Control(kBtnInstall));
}

void TfrmMain::AskToClose() { ::PostMessageA(handle_, WM_CLOSE, 0, 0); }

// The report is written by a run of its own (`report`), per-monitor aware as
// the desktop mode is, while this window stays as it is; it opens the file.
void TfrmMain::SaveDesktopReport() {
  const std::wstring program = Widen(GetProgramPath());
  if (reinterpret_cast<INT_PTR>(::ShellExecuteW(handle_, L"open", program.c_str(), Widen(kReportArgument).c_str(),
                                                nullptr, SW_SHOWNORMAL)) <= 32) {
    LogLastError("btnSaveReport - ShellExecute");
  }
}

void TfrmMain::BlinkTellLink() {
  ControlLook& look = looks_[Index(kLblTell)];
  look.text = look.text == kBlue ? kYellow : kBlue;
  ::InvalidateRect(Control(kLblTell), nullptr, FALSE);
}

void TfrmMain::SetBusy(bool busy) {
  busy_ = busy;
  ::SetCursor(::LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void TfrmMain::ShowLicencePanel() {
  SetVisible(kPnlLicense, true);
  ::SetFocus(Control(kBtnLicenseInstall));
  SetVisible(kPnlInstall, false);
}

void TfrmMain::ShowDonePanel(std::string_view desktopNotice) {
  ::SetWindowTextA(Control(kBtnInstall), kApplyCaption);
  ::SetWindowTextA(Control(kLblDesktopNotice), std::string(desktopNotice).c_str());
  SetVisible(kLblDesktopNotice, !desktopNotice.empty());
  SetVisible(kBtnSaveReport, !desktopNotice.empty());
  SetVisible(kPnlDone, true);
  ::SetFocus(Control(kBtnFinish));
  if (Visible(kPnlLicense)) {
    SetVisible(kPnlLicense, false);
  } else if (Visible(kPnlInstall)) {
    SetVisible(kPnlInstall, false);
  }
}

void TfrmMain::EnableRestoreTimer() {
  ::SetTimer(handle_, kRestoreWindowTimer, kRestoreWindowIntervalMs, nullptr);
}

void TfrmMain::RestoreApplicationWindow() {
  ::ShowWindow(Application::Instance().Handle(), SW_SHOWDEFAULT);
  if (restoreTicks_ >= kRestoreWindowTicks) {
    ::KillTimer(handle_, kRestoreWindowTimer);
    restoreTicks_ = 0;
  }
  ++restoreTicks_;
}

// ---- Messages ----

void TfrmMain::OnCommand(int id, int code, HWND control) {
  // Enter on a focused button reaches the window as IDOK from the dialog keys.
  if (id == IDOK && !control) {
    HWND focus = ::GetFocus();
    const int focusId = ::GetDlgCtrlID(focus);
    if (focus && (focusId == kBtnInstall || focusId == kBtnLicenseInstall || focusId == kBtnChangeOptions ||
                  focusId == kBtnFinish)) {
      OnCommand(focusId, BN_CLICKED, focus);
    }
    return;
  }
  if (code != BN_CLICKED && code != STN_CLICKED) return;
  if (control && !::IsWindowEnabled(control)) return;
  switch (id) {
    case kImgTitle:
    case kLblMorePapers:
    case kLblDownloadMore: OpenMorePapersPage(); break;
    case kLblTell: OpenTellPage(); break;
    case kBtnInstall: InstallWallpaper(); break;
    case kBtnLicenseInstall: AcceptLicenceAndInstall(); break;
    case kBtnChangeOptions: ShowOptionsPanel(); break;
    case kBtnFinish: AskToClose(); break;
    case kBtnSaveReport: SaveDesktopReport(); break;
    case kOptCenter:
    case kOptStretch: {
      // A click on the option already selected changes nothing.
      const bool centre = Checked(kOptCenter);
      const bool changedToCentre = centre && !lastChecked_[Index(kOptCenter)];
      const bool changedToStretch = Checked(kOptStretch) && !lastChecked_[Index(kOptStretch)];
      lastChecked_[Index(kOptCenter)] = centre;
      lastChecked_[Index(kOptStretch)] = Checked(kOptStretch);
      UpdateOptionTabStops();
      if (changedToCentre) EnableBorderChoices();
      if (changedToStretch) DisableBorderChoices();
      break;
    }
    case kChkShowBorder:
    case kChkBorderExtra:
    case kChkDesktopShortcut:
    case kChkAcceptLicense:
      lastChecked_[Index(id)] = Checked(id);
      break;
    default:
      break;
  }
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR:
      if (busy_) {
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (LOWORD(lParam) == HTCLIENT && IsLink(reinterpret_cast<HWND>(wParam))) {
        HCURSOR hand = ::LoadCursor(nullptr, IDC_HAND);
        ::SetCursor(hand ? hand : ::LoadCursor(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(handle_, &r);
      ::FillRect(reinterpret_cast<HDC>(wParam), &r, silverBrush_.get());
      return 1;
    }
    case WM_TIMER:
      if (wParam == kTellBlinkTimer) BlinkTellLink();
      if (wParam == kRestoreWindowTimer) RestoreApplicationWindow();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = ::GetFocus();
      } else {
        HWND focus = lastFocus_ && ::IsWindowVisible(lastFocus_) ? lastFocus_ : nullptr;
        if (!focus) focus = ::GetNextDlgTabItem(handle_, nullptr, FALSE);
        if (focus) ::SetFocus(focus);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        Application::Instance().Minimize();
        return 0;
      }
      break;
    case WM_CLOSE:
      // The install sequence pumps messages and goes on reading this window:
      // a close asked for meanwhile waits for its end.
      if (installing_) {
        closeRequested_ = true;
        return 0;
      }
      ::DestroyWindow(handle_);
      return 0;
    case WM_DESTROY:
      ::KillTimer(handle_, kTellBlinkTimer);
      ::KillTimer(handle_, kRestoreWindowTimer);
      handle_ = nullptr;
      Application::Instance().SetMainWindow(nullptr);
      Application::Instance().Terminate();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TfrmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* self = WindowOwner<TfrmMain>(hwnd, message, lParam);
  if (self && message == WM_NCCREATE) self->handle_ = hwnd;
  if (!self || !self->handle_) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    LogCaught("TfrmMain::WindowProc");
    Application::Instance().ShowCurrentException();
  }
  return 0;
}

}  // namespace mervalis
