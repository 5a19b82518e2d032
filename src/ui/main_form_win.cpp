#include "ui/main_form_win.h"

#include <stdexcept>
#include <string>

#include "common/application_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/system_checks_win.h"
#include "common/web_links_win.h"
#include "common/win_handles.h"
#include "payload/resource_ids.h"
#include "ui/install_steps_win.h"
#include "ui/pictures_win.h"
#include "ui/scope_exit.h"
#include "wallpaper/apply_win.h"
#include "wallpaper/desktop_kind_win.h"

namespace mervalis {

using namespace ui;

namespace {

constexpr UINT_PTR kTellBlinkTimer = 1;
constexpr UINT_PTR kRestoreWindowTimer = 2;
constexpr UINT kTellBlinkIntervalMs = 1000;
constexpr UINT kRestoreWindowIntervalMs = 100;
constexpr int kRestoreWindowTicks = 30;

constexpr COLORREF kLeftColumnBlue = RGB(0, 64, 255);
constexpr COLORREF kMorePapersYellow = RGB(255, 255, 160);

constexpr char kMorePapersText[] = "\r\n\r\n\r\nClick here to try more animated wallpapers";
constexpr char kApplyCaption[] = "Apply Wallpaper";

enum class Kind { Panel, Label, Image, GlyphButton, Button, Radio, Check, Group, Memo };
enum Font { kFontDefault, kFontArialBold8, kFontSansBold10, kFontArialBoldItalic12, kFontSansBold8, kFontCount };

struct FontSpec {
  const char* face;
  int height;  // pixels at 96 dots per inch
  bool bold;
  bool italic;
};
constexpr FontSpec kFonts[kFontCount] = {
    {"MS Sans Serif", 11, false, false},  // 8 point
    {"Arial", 11, true, false},           // 8 point bold
    {"MS Sans Serif", 13, true, false},   // 10 point bold
    {"Arial", 16, true, true},            // 12 point bold italic
    {"MS Sans Serif", 11, true, false},   // 8 point bold
};

constexpr int Index(int id) { return id - 1000; }

// A label that sizes itself to its one line of text.
void FitLabelWidth(HWND label, const ControlLook& look) {
  char text[256] = {};
  ::GetWindowTextA(label, text, sizeof(text));
  WindowDc dc(label);
  HGDIOBJ old = ::SelectObject(dc.get(), look.font);
  SIZE size = {};
  ::GetTextExtentPoint32A(dc.get(), text, lstrlenA(text), &size);
  ::SelectObject(dc.get(), old);
  RECT r;
  ::GetClientRect(label, &r);
  ::SetWindowPos(label, nullptr, 0, 0, size.cx, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

struct TfrmMain::ControlSpec {
  int id;
  Kind kind;
  int parent;  // 0: the window itself
  int x, y, w, h;
  const char* caption;
  Font font;
  COLORREF colour;  // text colour; panels: their own colour
  bool visible;
  bool enabled;
  DWORD style;  // WS_TABSTOP, WS_GROUP, text alignment
  Bevel bevel;
  bool link;
};

// The controls in creation order, which is also the tab order. Positions are
// within the parent, in pixels at 96 dots per inch. The option controls sit
// inside grpOptions on the screen but are children of pnlInstall, so that their
// notifications reach the window like every other control's.
const TfrmMain::ControlSpec TfrmMain::kLayout[] = {
    {kPnlInstall, Kind::Panel, 0, 180, 96, 281, 209, "", kFontDefault, kSilver, true, true, 0, Bevel::None, false},
    {kBtnInstall, Kind::GlyphButton, kPnlInstall, 52, 180, 177, 29, "&Install Wallpaper", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kOptCenter, Kind::Radio, kPnlInstall, 8, 120, 113, 17, "Center Wallpaper", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kOptStretch, Kind::Radio, kPnlInstall, 8, 144, 113, 17, "Stretch Wallpaper", kFontDefault, kBlack, true, true, 0, Bevel::None, false},
    {kChkShowBorder, Kind::Check, kPnlInstall, 136, 120, 139, 17, "Show Border Frame", kFontDefault, kBlack, true, false, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kChkBorderExtra, Kind::Check, kPnlInstall, 136, 144, 139, 17, "Decorate Outside Border", kFontDefault, kBlack, false, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kChkDesktopShortcut, Kind::Check, kPnlInstall, 136, 144, 139, 17, "Create Desktop Shortcut", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kLblMessage1, Kind::Label, kPnlInstall, 0, 0, 281, 29, "Thank you for choosing Quorvane - the most unique desktop wallpaper ever made.", kFontDefault, kBlack, true, true, DT_LEFT | DT_WORDBREAK, Bevel::None, false},
    {kLblMessage2, Kind::Label, kPnlInstall, 0, 40, 281, 29, "This will transform your boring desktop into an exciting animated adventure!", kFontDefault, kBlack, true, true, DT_LEFT | DT_WORDBREAK, Bevel::None, false},
    {kLblTell, Kind::Label, kPnlInstall, 0, 74, 201, 16, "Click here to tell your friends!", kFontSansBold10, kBlue, true, true, DT_LEFT | DT_SINGLELINE, Bevel::None, true},
    {kGrpOptions, Kind::Group, kPnlInstall, 0, 100, 281, 69, "Wallpaper Options", kFontDefault, kBlue, true, true, 0, Bevel::None, false},

    {kPnlLeft, Kind::Panel, 0, 8, 8, 164, 302, "", kFontDefault, kLeftColumnBlue, true, true, 0, Bevel::Lowered, false},
    {kPnlBG, Kind::Panel, kPnlLeft, 14, 12, 135, 102, "", kFontDefault, kBlack, true, true, 0, Bevel::RaisedInner, false},
    {kImgBG, Kind::Image, kPnlBG, 1, 1, 133, 100, "", kFontDefault, kBlack, true, true, 0, Bevel::None, false},
    {kLblWallpaperName, Kind::Label, kPnlLeft, 6, 116, 152, 21, "\"Mervalis\"", kFontArialBold8, kWhite, true, true, DT_CENTER | DT_WORDBREAK, Bevel::None, false},
    {kLblMorePapers, Kind::Label, kPnlLeft, 6, 156, 152, 117, "", kFontArialBold8, kMorePapersYellow, true, true, DT_CENTER | DT_WORDBREAK, Bevel::None, true},

    {kPnlDone, Kind::Panel, 0, 180, 96, 289, 209, "", kFontDefault, kSilver, false, true, 0, Bevel::None, false},
    {kBtnChangeOptions, Kind::Button, kPnlDone, 90, 184, 103, 25, "&Change Options", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kBtnFinish, Kind::GlyphButton, kPnlDone, 204, 184, 75, 25, "&Finish", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kLblWallpaperSet, Kind::Label, kPnlDone, 0, 8, 253, 18, "Your wallpaper has been applied", kFontArialBoldItalic12, kBlack, true, true, DT_LEFT | DT_SINGLELINE, Bevel::None, false},
    {kLblDownloadMore, Kind::Label, kPnlDone, 0, 36, 249, 13, "Click here to try more animated wallpapers", kFontSansBold8, kBlue, true, true, DT_LEFT | DT_SINGLELINE, Bevel::None, true},

    {kPnlLicense, Kind::Panel, 0, 180, 96, 281, 209, "", kFontDefault, kSilver, false, true, 0, Bevel::None, false},
    {kLblReadLicense, Kind::Label, kPnlLicense, 0, 0, 281, 13, "Please read the following End User License Agreement:", kFontDefault, kBlack, true, true, DT_LEFT | DT_SINGLELINE, Bevel::None, false},
    {kMemLicense, Kind::Memo, kPnlLicense, 0, 13, 281, 156, "", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kChkAcceptLicense, Kind::Check, kPnlLicense, 0, 186, 141, 21, "I accept the agreement", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},
    {kBtnLicenseInstall, Kind::GlyphButton, kPnlLicense, 152, 184, 129, 25, "&Install Wallpaper", kFontDefault, kBlack, true, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},

    {kImgTitle, Kind::Image, 0, 180, 8, 283, 77, "", kFontDefault, kSilver, true, true, 0, Bevel::None, true},
    {kImgExtra1, Kind::Image, 0, 172, 0, 150, 95, "", kFontDefault, kSilver, false, true, 0, Bevel::None, false},
    {kImgExtra2, Kind::Image, 0, 200, 0, 150, 95, "", kFontDefault, kSilver, false, true, 0, Bevel::None, false},
    {kImgBorder, Kind::Image, 0, 408, 0, 65, 57, "", kFontDefault, kSilver, false, true, 0, Bevel::None, false},
};

TfrmMain::~TfrmMain() {
  if (handle_ && ::IsWindow(handle_)) ::DestroyWindow(handle_);
  for (HFONT f : fonts_) {
    if (f) ::DeleteObject(f);
  }
  for (HBITMAP b : {banner_, scene_, frame_, check_, checkDisabled_}) {
    if (b) ::DeleteObject(b);
  }
  if (silverBrush_) ::DeleteObject(silverBrush_);
  if (whiteBrush_) ::DeleteObject(whiteBrush_);
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
  if (!handle_) throw std::runtime_error("The main window could not be created.");
  app.SetMainWindow(handle_);
  silverBrush_ = ::CreateSolidBrush(kSilver);
  whiteBrush_ = ::CreateSolidBrush(kWhite);
  for (int i = 0; i < kFontCount; ++i) {
    fonts_[i] = ::CreateFontA(-kFonts[i].height, 0, 0, 0, kFonts[i].bold ? FW_BOLD : FW_NORMAL,
                              kFonts[i].italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kFonts[i].face);
  }
  LoadPictures();
  CreateControls();
  ::SetTimer(handle_, kTellBlinkTimer, kTellBlinkIntervalMs, nullptr);
  FormCreate();
}

void TfrmMain::LoadPictures() {
  HINSTANCE instance = Application::Instance().ModuleInstance();
  banner_ = LoadJpegResource(instance, IDR_BANNER_JPEG);
  scene_ = LoadJpegResource(instance, IDR_SCENE_JPEG);
  frame_ = LoadJpegResource(instance, IDR_FRAME_JPEG);
  check_ = static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(IDB_CHECK), IMAGE_BITMAP, 0, 0, 0));
  checkDisabled_ = static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDB_CHECK_DISABLED), IMAGE_BITMAP, 0, 0, 0));
}

void TfrmMain::CreateControls() {
  HINSTANCE instance = Application::Instance().ModuleInstance();
  for (const ControlSpec& entry : kLayout) {
    HWND parent = entry.parent ? Control(entry.parent) : handle_;
    ControlLook& look = looks_[Index(entry.id)];
    look.font = fonts_[entry.font];
    look.text = entry.colour;
    look.background = kSilver;
    if (entry.parent) look.background = looks_[Index(entry.parent)].background;
    const DWORD visible = entry.visible ? WS_VISIBLE : 0;
    const DWORD disabled = entry.enabled ? 0 : WS_DISABLED;
    HWND hwnd = nullptr;
    const char* standardClass = nullptr;
    DWORD standardStyle = 0;
    switch (entry.kind) {
      case Kind::Panel:
        look.background = entry.colour;
        look.bevel = entry.bevel;
        // Not clipping its children: the panel's colour is what shows inside
        // the group box, which paints only its frame and caption.
        hwnd = CreateLookControl(kPanelClass, parent, entry.id, entry.x, entry.y, entry.w, entry.h, "",
                                 visible | disabled, &look);
        if (hwnd) ::SetWindowLongA(hwnd, GWL_EXSTYLE, WS_EX_CONTROLPARENT);
        break;
      case Kind::Label:
        look.textFormat = entry.style | DT_NOPREFIX;
        look.centreVertically = entry.id == kLblWallpaperName;
        hwnd = CreateLookControl(kLabelClass, parent, entry.id, entry.x, entry.y, entry.w, entry.h,
                                 entry.caption, visible | disabled, &look);
        if (hwnd && entry.id == kLblTell) FitLabelWidth(hwnd, look);
        break;
      case Kind::Image:
        look.background = entry.parent ? look.background : kSilver;
        hwnd = CreateLookControl(kImageClass, parent, entry.id, entry.x, entry.y, entry.w, entry.h, "",
                                 visible | disabled, &look);
        break;
      case Kind::GlyphButton:
        standardClass = "BUTTON";
        standardStyle = BS_OWNERDRAW;
        break;
      case Kind::Button:
        standardClass = "BUTTON";
        standardStyle = BS_PUSHBUTTON;
        break;
      case Kind::Radio:
        standardClass = "BUTTON";
        standardStyle = BS_AUTORADIOBUTTON;
        break;
      case Kind::Check:
        standardClass = "BUTTON";
        standardStyle = BS_AUTOCHECKBOX;
        break;
      case Kind::Group:
        standardClass = "BUTTON";
        standardStyle = BS_GROUPBOX;
        break;
      case Kind::Memo:
        standardClass = "EDIT";
        standardStyle = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER;
        break;
    }
    if (standardClass) {
      hwnd = ::CreateWindowExA(0, standardClass, entry.caption,
                               WS_CHILD | WS_CLIPSIBLINGS | visible | disabled | entry.style | standardStyle,
                               entry.x, entry.y, entry.w, entry.h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
      if (hwnd) ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[entry.font]), FALSE);
      if (hwnd && entry.kind == Kind::GlyphButton) MakeDialogPushButton(hwnd);
    }
    if (!hwnd) throw std::runtime_error("A control of the main window could not be created.");
    controls_[Index(entry.id)] = hwnd;
  }
  looks_[Index(kImgTitle)].picture = banner_;
  looks_[Index(kImgBG)].picture = scene_;
  looks_[Index(kImgBG)].stretch = true;
  looks_[Index(kImgBorder)].picture = frame_;
  looks_[Index(kImgBorder)].stretch = true;
  ::SetWindowTextA(Control(kMemLicense), LoadTextResource(instance, IDR_LICENSE_TEXT).c_str());
  ::SendMessageA(Control(kOptStretch), BM_SETCHECK, BST_CHECKED, 0);
  lastChecked_[Index(kOptStretch)] = true;
  UpdateOptionTabStops();
}

// ---- State ----

std::string TfrmMain::WallpaperNameCaption() const {
  char text[256] = {};
  ::GetWindowTextA(Control(kLblWallpaperName), text, sizeof(text));
  return text;
}

std::string TfrmMain::Title() const { return RemoveQuotes(WallpaperNameCaption()); }
std::string TfrmMain::WallpaperKey() const { return RemoveQuotesAndSpaces(WallpaperNameCaption()); }

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
    if (id == kOptCenter) optCenterClick();
    if (id == kOptStretch) optStretchClick();
  }
}

void TfrmMain::SetEnabled(int id, bool enabled) { ::EnableWindow(Control(id), enabled); }

void TfrmMain::SetVisible(int id, bool visible) {
  ::ShowWindow(Control(id), visible ? SW_SHOWNA : SW_HIDE);
}

bool TfrmMain::Visible(int id) const noexcept {
  return (::GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool TfrmMain::HighEnoughColors() const {
  WindowDc dc(handle_);
  return mervalis::HighEnoughColors(dc.get());
}

bool TfrmMain::IsLink(HWND control) const noexcept {
  for (const ControlSpec& entry : kLayout) {
    if (entry.link && Control(entry.id) == control) return true;
  }
  return false;
}

// ---- Handlers ----

void TfrmMain::FormCreate() {
  InitializeWindow();
  Application& app = Application::Instance();
  applyMode_ = app.Title() == "apply";
  if (applyMode_) {
    // Never shown: apply once, then end.
    (void)ApplyWallpaper();
    ::DestroyWindow(handle_);
    app.Terminate();
  }
}

void TfrmMain::InitializeWindow() {
  Registry registry(HKEY_CURRENT_USER, KEY_READ);
  if (registry.OpenKey(kOptionsKey, false)) {
    std::string code;
    // A value that is not a string reads as no value.
    if (registry.ReadString(Title(), code) != ERROR_SUCCESS) code.clear();
    if (code == "1" || code == "2" || code == "3" || code == "4") {
      SetChecked(kOptCenter, true);
      SetChecked(kOptStretch, false);
      SetChecked(kChkShowBorder, code == "2" || code == "4");
      SetChecked(kChkBorderExtra, code == "3" || code == "4");
    } else if (code == "5") {
      SetChecked(kOptStretch, true);
      SetChecked(kOptCenter, false);
      SetChecked(kChkShowBorder, false);
      SetEnabled(kChkShowBorder, false);
      SetChecked(kChkBorderExtra, false);
      SetEnabled(kChkBorderExtra, false);
    }
    registry.CloseKey();
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

void TfrmMain::optCenterClick() {
  SetEnabled(kChkShowBorder, true);
  SetEnabled(kChkBorderExtra, true);
  SetChecked(kChkShowBorder, true);
}

void TfrmMain::optStretchClick() {
  // The border boxes keep their checks; they only stop counting.
  SetEnabled(kChkShowBorder, false);
  SetEnabled(kChkBorderExtra, false);
}

void TfrmMain::imgTitleClick() { OpenWallpaperWebPage("index.php?wp=", WallpaperNameCaption()); }
void TfrmMain::lblMorePapersClick() { OpenWallpaperWebPage("index.php?wp=", WallpaperNameCaption()); }
void TfrmMain::lblDownloadMoreClick() { OpenWallpaperWebPage("index.php?wp=", WallpaperNameCaption()); }
void TfrmMain::lblTellClick() { OpenWallpaperWebPage("tell.php?wp=", WallpaperNameCaption()); }

void TfrmMain::btnLicenseInstallClick() {
  if (!Checked(kChkAcceptLicense)) {
    const int answer = ShowMessage("Do you accept the End User License Agreement?", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return;
  }
  SetEnabled(kBtnLicenseInstall, false);
  const ScopeExit enableAgain([&] { SetEnabled(kBtnLicenseInstall, true); });
  SetChecked(kChkAcceptLicense, true);
  btnInstallClick();
}

void TfrmMain::btnChangeOptionsClick() {
  SetVisible(kPnlInstall, true);
  SetVisible(kPnlDone, false);
  ::SetFocus(Control(kBtnInstall));
}

void TfrmMain::btnFinishClick() { ::PostMessageA(handle_, WM_CLOSE, 0, 0); }

void TfrmMain::timTellBlinkTimer() {
  ControlLook& look = looks_[Index(kLblTell)];
  look.text = look.text == kBlue ? kYellow : kBlue;
  ::InvalidateRect(Control(kLblTell), nullptr, FALSE);
}

void TfrmMain::SetBusy(bool busy) {
  busy_ = busy;
  ::SetCursor(::LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void TfrmMain::EnableRestoreTimer() {
  ::SetTimer(handle_, kRestoreWindowTimer, kRestoreWindowIntervalMs, nullptr);
}

void TfrmMain::timRestoreWindowTimer() {
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
    case kImgTitle: imgTitleClick(); break;
    case kLblMorePapers: lblMorePapersClick(); break;
    case kLblDownloadMore: lblDownloadMoreClick(); break;
    case kLblTell: lblTellClick(); break;
    case kBtnInstall: btnInstallClick(); break;
    case kBtnLicenseInstall: btnLicenseInstallClick(); break;
    case kBtnChangeOptions: btnChangeOptionsClick(); break;
    case kBtnFinish: btnFinishClick(); break;
    case kOptCenter:
    case kOptStretch: {
      // A click on the option already selected changes nothing.
      const bool centre = Checked(kOptCenter);
      const bool changedToCentre = centre && !lastChecked_[Index(kOptCenter)];
      const bool changedToStretch = Checked(kOptStretch) && !lastChecked_[Index(kOptStretch)];
      lastChecked_[Index(kOptCenter)] = centre;
      lastChecked_[Index(kOptStretch)] = Checked(kOptStretch);
      UpdateOptionTabStops();
      if (changedToCentre) optCenterClick();
      if (changedToStretch) optStretchClick();
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

LRESULT TfrmMain::OnControlColour(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  if (id == kMemLicense) {
    // The licence reads like a document: black on white although read-only.
    ::SetTextColor(dc, kBlack);
    ::SetBkColor(dc, kWhite);
    return reinterpret_cast<LRESULT>(whiteBrush_);
  }
  ::SetTextColor(dc, id == kGrpOptions ? kBlue : kBlack);
  ::SetBkColor(dc, kSilver);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(silverBrush_);
}

void TfrmMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  if (id == kBtnInstall || id == kBtnLicenseInstall || id == kBtnFinish) {
    DrawGlyphButton(item, check_, checkDisabled_, fonts_[kFontDefault]);
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
      ::FillRect(reinterpret_cast<HDC>(wParam), &r, silverBrush_);
      return 1;
    }
    case WM_TIMER:
      if (wParam == kTellBlinkTimer) timTellBlinkTimer();
      if (wParam == kRestoreWindowTimer) timRestoreWindowTimer();
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
  auto* self = reinterpret_cast<TfrmMain*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<TfrmMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->handle_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self || !self->handle_) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    Application::Instance().ShowException(e.what());
  } catch (...) {
    Application::Instance().ShowException("An unexpected error occurred.");
  }
  return 0;
}

}  // namespace mervalis
