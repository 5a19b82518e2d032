#include "ui/controls_win.h"

#include "common/debug_log.h"
#include "common/win_handles.h"

namespace mervalis::ui {

namespace {

ControlLook* LookOf(HWND hwnd) {
  return reinterpret_cast<ControlLook*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  ::SetBkColor(dc, colour);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// One-pixel 3-D frame: light on top and left, dark on bottom and right when raised.
void Frame3D(HDC dc, RECT& r, bool raised) {
  const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF dark = ::GetSysColor(COLOR_BTNSHADOW);
  const COLORREF topLeft = raised ? light : dark;
  const COLORREF bottomRight = raised ? dark : light;
  RECT edge;
  edge = {r.left, r.top, r.right, r.top + 1};
  Fill(dc, edge, topLeft);
  edge = {r.left, r.top, r.left + 1, r.bottom};
  Fill(dc, edge, topLeft);
  edge = {r.left, r.bottom - 1, r.right, r.bottom};
  Fill(dc, edge, bottomRight);
  edge = {r.right - 1, r.top, r.right, r.bottom};
  Fill(dc, edge, bottomRight);
  ::InflateRect(&r, -1, -1);
}

// Panels hand the notifications of their children to the main window, which
// owns every control's behaviour and colours.
LRESULT ForwardToRoot(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND root = ::GetAncestor(hwnd, GA_ROOT);
  return root && root != hwnd ? ::SendMessageA(root, message, wParam, lParam) : 0;
}

void NotifyClick(HWND hwnd) {
  ::SendMessageA(::GetParent(hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd), STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

// Labels and pictures click as buttons do: the press captures the mouse, and
// only a release over the same control counts. A release alone (a drag that
// ends here) or a press dragged away clicks nothing.
void HandleClickMouse(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) {
    ::SetCapture(hwnd);
    return;
  }
  if (::GetCapture() != hwnd) return;
  ::ReleaseCapture();
  RECT r;
  ::GetClientRect(hwnd, &r);
  const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (::PtInRect(&r, at)) NotifyClick(hwnd);
}

// What each class paints over its whole client area `r`.
using PaintFunction = void (*)(HWND hwnd, HDC dc, RECT r, const ControlLook& look);

void PaintPanel(HWND, HDC dc, RECT r, const ControlLook& look) {
  if (look.bevel == Bevel::Lowered) {
    Frame3D(dc, r, true);   // the outer edge stands out ...
    Frame3D(dc, r, false);  // ... the inner one is sunk
  } else if (look.bevel == Bevel::RaisedInner) {
    Frame3D(dc, r, true);
  }
  Fill(dc, r, look.background);
}

void PaintLabel(HWND hwnd, HDC dc, RECT r, const ControlLook& look) {
  Fill(dc, r, look.background);
  char text[1024] = {};
  ::GetWindowTextA(hwnd, text, sizeof(text));
  const SelectedObject font(dc, look.font ? look.font : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, look.text);
  RECT box = r;
  if (look.centreVertically) {
    RECT measured = r;
    ::DrawTextA(dc, text, -1, &measured, look.textFormat | DT_CALCRECT);
    const int h = measured.bottom - measured.top;
    box.top = r.top + (r.bottom - r.top - h) / 2;
    box.bottom = box.top + h;
  }
  ::DrawTextA(dc, text, -1, &box, look.textFormat);
}

void PaintImage(HWND, HDC dc, RECT r, const ControlLook& look) {
  if (!look.picture) {
    Fill(dc, r, look.background);
    return;
  }
  BITMAP bm = {};
  ::GetObjectA(look.picture, sizeof(bm), &bm);
  UniqueMemoryDc memory(::CreateCompatibleDC(dc));
  const SelectedObject picture(memory.get(), look.picture);
  if (look.stretch) {
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, 0, 0, r.right, r.bottom, memory.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  } else {
    Fill(dc, r, look.background);
    ::BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, memory.get(), 0, 0, SRCCOPY);
  }
}

// What sets the three classes apart.
struct LookClass {
  PaintFunction paint;
  bool repaintsOnText;  // labels show their text
  bool clicks;          // labels and pictures are links
  bool forwards;        // panels hand on their children's notifications
};
constexpr LookClass kPanel = {PaintPanel, false, false, true};
constexpr LookClass kLabel = {PaintLabel, true, true, false};
constexpr LookClass kImage = {PaintImage, false, true, false};

// The messages of the three classes. Painting covers the whole control, so
// the background is never erased first.
LRESULT LookControlMessage(const LookClass& kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const PaintSession session(hwnd);
      RECT r;
      ::GetClientRect(hwnd, &r);
      if (const ControlLook* look = LookOf(hwnd)) kind.paint(hwnd, session.dc(), r, *look);
      return 0;
    }
    case WM_SETTEXT:
      if (kind.repaintsOnText) {
        const LRESULT result = ::DefWindowProcA(hwnd, message, wParam, lParam);
        ::InvalidateRect(hwnd, nullptr, FALSE);
        return result;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      if (kind.clicks) {
        HandleClickMouse(hwnd, message, lParam);
        return 0;
      }
      break;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (kind.forwards) return ForwardToRoot(hwnd, message, wParam, lParam);
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

template <const LookClass& kind>
LRESULT CALLBACK LookControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return LookControlMessage(kind, hwnd, message, wParam, lParam);
}

WNDPROC g_buttonProc = nullptr;

LRESULT CALLBACK PushButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_GETDLGCODE) {
    return DLGC_BUTTON | (::GetFocus() == hwnd ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
  }
  if (message == BM_SETSTYLE) {
    // The dialog manager moves the default-button look with the focus by
    // naming the push-button types; the button stays owner-drawn and keeps
    // only whether it is the default one.
    const bool isDefault = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, isDefault ? 1 : 0);
    const WPARAM style = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
    const LRESULT result = ::CallWindowProcA(g_buttonProc, hwnd, message, style, lParam);
    ::InvalidateRect(hwnd, nullptr, FALSE);
    return result;
  }
  return ::CallWindowProcA(g_buttonProc, hwnd, message, wParam, lParam);
}

}  // namespace

bool RegisterControlClasses(HINSTANCE instance) noexcept {
  struct ClassEntry {
    const char* name;
    WNDPROC proc;
  };
  static constexpr ClassEntry kClasses[] = {
      {kPanelClass, LookControlProc<kPanel>}, {kLabelClass, LookControlProc<kLabel>}, {kImageClass, LookControlProc<kImage>}};
  for (const auto& cls : kClasses) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = cls.proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = cls.name;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  return true;
}

HWND CreateLookControl(const char* className, HWND parent, int id, int x, int y, int w, int h,
                       const char* text, DWORD extraStyle, ControlLook* look) noexcept {
  HWND hwnd = ::CreateWindowExA(0, className, text, WS_CHILD | WS_CLIPSIBLINGS | extraStyle, x, y, w, h,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                                nullptr);
  if (!hwnd) LogLastError("CreateWindowEx of a control", className);
  if (hwnd) ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(look));
  return hwnd;
}

void MakeDialogPushButton(HWND button) noexcept {
  WNDPROC previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PushButtonProc)));
  if (!g_buttonProc) g_buttonProc = previous;
}

void DrawGlyphButton(const DRAWITEMSTRUCT& item, HBITMAP glyph, HBITMAP disabledGlyph, HFONT font) noexcept {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool isDefault = ::GetWindowLongPtrA(item.hwndItem, GWLP_USERDATA) != 0;  // see BM_SETSTYLE

  if (focused || isDefault) {
    // The focused or default button carries the dark outline of the default button.
    ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::InflateRect(&r, -1, -1);
  }
  ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

  char text[256] = {};
  ::GetWindowTextA(item.hwndItem, text, sizeof(text));
  const SelectedObject selectedFont(dc, font);
  RECT textSize = {0, 0, 0, 0};
  ::DrawTextA(dc, text, -1, &textSize, DT_SINGLELINE | DT_CALCRECT);

  HBITMAP picture = disabled && disabledGlyph ? disabledGlyph : glyph;
  BITMAP bm = {};
  if (picture) ::GetObjectA(picture, sizeof(bm), &bm);
  const int spacing = picture ? 4 : 0;
  const int contentWidth = bm.bmWidth + spacing + textSize.right;
  int x = r.left + (r.right - r.left - contentWidth) / 2 + (pressed ? 1 : 0);
  const int middle = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);

  if (picture) {
    // Magenta is the glyph's transparent colour: cut it out with a mask.
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    UniqueMemoryDc maskDc(::CreateCompatibleDC(dc));
    UniqueBitmap mask(::CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr));
    const SelectedObject sourcePicture(source.get(), picture);
    const SelectedObject maskPicture(maskDc.get(), mask.get());
    ::SetBkColor(source.get(), RGB(255, 0, 255));
    ::BitBlt(maskDc.get(), 0, 0, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
    const int y = middle - bm.bmHeight / 2;
    ::SetBkColor(dc, kWhite);
    ::SetTextColor(dc, kBlack);
    ::BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCINVERT);
    ::BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, maskDc.get(), 0, 0, SRCAND);
    ::BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCINVERT);
    x += bm.bmWidth + spacing;
  }

  RECT textBox = {x, middle - textSize.bottom / 2, x + textSize.right, middle - textSize.bottom / 2 + textSize.bottom};
  ::SetBkMode(dc, TRANSPARENT);
  if (disabled) {
    RECT shadow = textBox;
    ::OffsetRect(&shadow, 1, 1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawTextA(dc, text, -1, &shadow, DT_SINGLELINE);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
  } else {
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  }
  ::DrawTextA(dc, text, -1, &textBox, DT_SINGLELINE);

  if (focused) {
    RECT focus = r;
    ::InflateRect(&focus, -4, -4);
    ::DrawFocusRect(dc, &focus);
  }
}

}  // namespace mervalis::ui
