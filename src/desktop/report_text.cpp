#include "desktop/report_text.h"

#include <cstdio>

namespace mervalis::desktop {

namespace {

std::string RectText(const Rect& r) {
  char text[80] = {};
  std::snprintf(text, sizeof(text), "(%d,%d)-(%d,%d)", r.left, r.top, r.right, r.bottom);
  return text;
}

std::string Hex(std::uint32_t value) {
  char text[16] = {};
  std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

}  // namespace

std::string WindowRow(const ReportWindow& w) {
  std::string row = w.child ? "    " : "  ";
  row += w.className.empty() ? std::string("(no class)") : w.className;
  row += ", " + (w.program.empty() ? std::string("(program unknown)") : w.program);
  row += w.visible ? ", visible" : ", hidden";
  row += w.cloaked ? ", cloaked" : ", not cloaked";
  switch (w.layering) {
    case Layering::kNone: row += ", not layered"; break;
    case Layering::kAlpha: row += ", layered alpha " + std::to_string(w.alpha); break;
    case Layering::kPerPixel: row += ", layered per-pixel"; break;
  }
  row += ", exstyle " + Hex(w.exStyle) + ", class style " + Hex(w.classStyle) + ", " + RectText(w.rect);
  return row;
}

std::string MonitorRow(std::size_t number, const Monitor& m) {
  const int dpi = m.dpi > 0 ? m.dpi : 96;
  std::string row = "monitor " + std::to_string(number) + ": " + RectText(m.screen) + ", work area " +
                    RectText(m.work) + ", " + std::to_string(dpi) + " dpi (" + std::to_string((dpi * 100 + 48) / 96) +
                    " %)";
  if (m.primary) row += ", primary";
  return row;
}

std::string_view PlaceWord(PlaceReport report) noexcept {
  switch (report) {
    case PlaceReport::kPlaced: return "placed";
    case PlaceReport::kAnimationOff: return "no place: \"Animate controls and elements inside windows\" is off";
    case PlaceReport::kWindowsNotFound: return "no place: the desktop's windows were not found";
    case PlaceReport::kNone: break;
  }
  return "nothing said";
}

std::string RaiseRow(const RaiseMessage& message, bool answered, bool changed) {
  char text[48] = {};
  std::snprintf(text, sizeof(text), "0x052C (0x%lX, %ld): ", static_cast<unsigned long>(message.wParam),
                static_cast<long>(message.lParam));
  return text + std::string(!answered ? "not answered" : changed ? "made a difference" : "changed nothing");
}

}  // namespace mervalis::desktop
