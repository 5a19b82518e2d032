// The main window's controls: the table they are made from, the fonts and
// pictures they draw with, and the colours the window gives them.
#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <tuple>

#include "common/application_win.h"
#include "common/debug_log.h"
#include "common/win_handles.h"
#include "payload/resource_ids.h"
#include "ui/main_form_win.h"
#include "ui/pictures_win.h"

namespace mervalis {

using namespace ui;

namespace {

constexpr COLORREF kLeftColumnBlue = RGB(0, 64, 255);
constexpr COLORREF kMorePapersYellow = RGB(255, 255, 160);

enum class Kind { Panel, Label, Image, GlyphButton, Button, Radio, Check, Group, Memo };
enum Font { kFontDefault, kFontArialBold8, kFontSansBold10, kFontArialBoldItalic12, kFontSansBold8, kFontCount };

struct FontDefinition {
  const char* face;
  int height;  // pixels at 96 dots per inch
  bool bold;
  bool italic;
};
constexpr FontDefinition kFonts[kFontCount] = {
    {"MS Sans Serif", 11, false, false},  // 8 point
    {"Arial", 11, true, false},           // 8 point bold
    {"MS Sans Serif", 13, true, false},   // 10 point bold
    {"Arial", 16, true, true},            // 12 point bold italic
    {"MS Sans Serif", 11, true, false},   // 8 point bold
};

// A label that sizes itself to its one line of text.
void FitLabelWidth(HWND label, const ControlLook& look) {
  char text[256] = {};
  ::GetWindowTextA(label, text, sizeof(text));
  WindowDc dc(label);
  SIZE size = {};
  {
    const SelectedObject font(dc.get(), look.font);
    ::GetTextExtentPoint32A(dc.get(), text, lstrlenA(text), &size);
  }
  RECT r;
  ::GetClientRect(label, &r);
  ::SetWindowPos(label, nullptr, 0, 0, size.cx, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The kinds that are Windows' own controls, with their class and style.
struct StandardControl {
  Kind kind;
  const char* className;
  DWORD style;
};
constexpr StandardControl kStandardControls[] = {
    {Kind::GlyphButton, "BUTTON", BS_OWNERDRAW},
    {Kind::Button, "BUTTON", BS_PUSHBUTTON},
    {Kind::Radio, "BUTTON", BS_AUTORADIOBUTTON},
    {Kind::Check, "BUTTON", BS_AUTOCHECKBOX},
    {Kind::Group, "BUTTON", BS_GROUPBOX},
    {Kind::Memo, "EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER},
};

const StandardControl* StandardControlFor(Kind kind) noexcept {
  for (const StandardControl& standard : kStandardControls) {
    if (standard.kind == kind) return &standard;
  }
  return nullptr;
}

}  // namespace

struct TfrmMain::ControlDefinition {
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
const TfrmMain::ControlDefinition TfrmMain::kLayout[] = {
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
    {kLblDesktopNotice, Kind::Label, kPnlDone, 0, 60, 289, 86, "", kFontDefault, kBlack, false, true, DT_LEFT | DT_WORDBREAK, Bevel::None, false},
    {kBtnSaveReport, Kind::Button, kPnlDone, 0, 150, 103, 25, "&Save a report", kFontDefault, kBlack, false, true, WS_TABSTOP | WS_GROUP, Bevel::None, false},

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

void TfrmMain::CreateFonts() {
  static_assert(std::tuple_size_v<decltype(fonts_)> == kFontCount);
  for (int i = 0; i < kFontCount; ++i) {
    const FontDefinition& font = kFonts[i];
    fonts_[i].reset(::CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, font.face));
  }
}

void TfrmMain::LoadPictures() {
  HINSTANCE instance = Application::Instance().ModuleInstance();
  banner_ = LoadJpegResource(instance, IDR_BANNER_JPEG);
  // Shown in the window only as a thumbnail: decoded no larger than that needs.
  const ControlDefinition& thumbnail = *std::find_if(std::begin(kLayout), std::end(kLayout),
                                                     [](const ControlDefinition& c) { return c.id == kImgBG; });
  scene_ = LoadJpegResource(instance, IDR_SCENE_JPEG, thumbnail.w, thumbnail.h);
  frame_ = LoadJpegResource(instance, IDR_FRAME_JPEG);
  check_.reset(static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(IDB_CHECK), IMAGE_BITMAP, 0, 0, 0)));
  checkDisabled_.reset(static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDB_CHECK_DISABLED), IMAGE_BITMAP, 0, 0, 0)));
}

void TfrmMain::CreateControls() {
  HINSTANCE instance = Application::Instance().ModuleInstance();
  for (const ControlDefinition& entry : kLayout) {
    HWND parent = entry.parent ? Control(entry.parent) : handle_;
    ControlLook& look = looks_[Index(entry.id)];
    look.font = fonts_[entry.font].get();
    look.text = entry.colour;
    look.background = kSilver;
    if (entry.parent) look.background = looks_[Index(entry.parent)].background;
    const DWORD visible = entry.visible ? WS_VISIBLE : 0;
    const DWORD disabled = entry.enabled ? 0 : WS_DISABLED;
    HWND hwnd = nullptr;
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
      default: {
        const StandardControl* standard = StandardControlFor(entry.kind);
        if (!standard) break;
        hwnd = ::CreateWindowExA(0, standard->className, entry.caption,
                                 WS_CHILD | WS_CLIPSIBLINGS | visible | disabled | entry.style | standard->style,
                                 entry.x, entry.y, entry.w, entry.h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
        if (!hwnd) LogLastError("CreateWindowEx of a control", standard->className);
        if (hwnd) ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[entry.font].get()), FALSE);
        if (hwnd && entry.kind == Kind::GlyphButton) MakeDialogPushButton(hwnd);
        break;
      }
    }
    if (!hwnd) throw std::runtime_error("A control of the main window could not be created.");
    controls_[Index(entry.id)] = hwnd;
  }
  looks_[Index(kImgTitle)].picture = banner_.get();
  looks_[Index(kImgBG)].picture = scene_.get();
  looks_[Index(kImgBG)].stretch = true;
  looks_[Index(kImgBorder)].picture = frame_.get();
  looks_[Index(kImgBorder)].stretch = true;
  ::SetWindowTextA(Control(kMemLicense), LoadTextResource(instance, IDR_LICENSE_TEXT).c_str());
  ::SendMessageA(Control(kOptStretch), BM_SETCHECK, BST_CHECKED, 0);
  lastChecked_[Index(kOptStretch)] = true;
  UpdateOptionTabStops();
}

bool TfrmMain::IsLink(HWND control) const noexcept {
  for (const ControlDefinition& entry : kLayout) {
    if (entry.link && Control(entry.id) == control) return true;
  }
  return false;
}

LRESULT TfrmMain::OnControlColour(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  if (id == kMemLicense) {
    // The licence reads like a document: black on white although read-only.
    ::SetTextColor(dc, kBlack);
    ::SetBkColor(dc, kWhite);
    return reinterpret_cast<LRESULT>(whiteBrush_.get());
  }
  ::SetTextColor(dc, id == kGrpOptions ? kBlue : kBlack);
  ::SetBkColor(dc, kSilver);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(silverBrush_.get());
}

void TfrmMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  if (id == kBtnInstall || id == kBtnLicenseInstall || id == kBtnFinish) {
    DrawGlyphButton(item, check_.get(), checkDisabled_.get(), fonts_[kFontDefault].get());
  }
}

}  // namespace mervalis
