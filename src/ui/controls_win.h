// The installer window's own control classes: panels with bevels, labels with
// their own colours and fonts, and pictures. Standard buttons, check boxes,
// radio buttons, group boxes and the licence text are Windows' own controls.
#pragma once

#include <windows.h>

namespace mervalis::ui {

inline constexpr COLORREF kSilver = RGB(192, 192, 192);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kYellow = RGB(255, 255, 0);

inline constexpr char kPanelClass[] = "TPanel";
inline constexpr char kLabelClass[] = "TLabel";
inline constexpr char kImageClass[] = "TImage";

enum class Bevel { None, Lowered, RaisedInner };

// What a panel, label or picture looks like. The window keeps a pointer to it
// (owned by the main window) and repaints from it.
struct ControlLook {
  COLORREF background = kSilver;  // panels: their colour; labels: the colour behind them
  COLORREF text = kBlack;
  HFONT font = nullptr;
  UINT textFormat = DT_LEFT | DT_WORDBREAK;
  bool centreVertically = false;
  Bevel bevel = Bevel::None;
  HBITMAP picture = nullptr;  // pictures: not owned
  bool stretch = false;
};

// Registers the three classes once per process; false when Windows refuses.
[[nodiscard]] bool RegisterControlClasses(HINSTANCE instance) noexcept;

// Creates one of them; the look must outlive the window.
HWND CreateLookControl(const char* className, HWND parent, int id, int x, int y, int w, int h,
                       const char* text, DWORD extraStyle, ControlLook* look) noexcept;

// Draws an owner-drawn push button: frame, glyph left of the caption
// (transparent where the glyph is magenta), focus rectangle.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, HBITMAP glyph, HBITMAP disabledGlyph, HFONT font) noexcept;

// Makes an owner-drawn button answer the dialog keys as a push button does
// (Enter and the "&" accelerator click it). It stays owner-drawn when the
// dialog manager moves the default-button style (BM_SETSTYLE).
void MakeDialogPushButton(HWND button) noexcept;

}  // namespace mervalis::ui
