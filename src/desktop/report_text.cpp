#include "desktop/report_text.h"

#include <algorithm>

#include "common/log_text.h"

namespace mervalis::desktop {

namespace {

std::string RectText(const Rect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

std::string Hex(std::uint32_t value) { return "0x" + Hexadecimal(value, 8); }

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
    case PlaceReport::kViewRefused: return "no place: Windows refused the view the layered style it needs";
    case PlaceReport::kIconsHidden: return "no place while the desktop icons are hidden";
    case PlaceReport::kNoPlaceOnThisWindows: return "no place known on this Windows: the still picture stays";
    case PlaceReport::kNone: break;
  }
  return "nothing said";
}

std::string RaiseRow(const RaiseMessage& message, bool answered, bool changed) {
  std::string hex = Hexadecimal(message.wParam, 8);
  hex.erase(0, std::min(hex.find_first_not_of('0'), hex.size() - 1));
  return "0x052C (0x" + hex + ", " + std::to_string(message.lParam) +
         "): " + (!answered ? "not answered" : changed ? "made a difference" : "changed nothing");
}

std::string ReportLine(std::string_view name, std::string_view value) {
  return std::string(name) + ": " + std::string(value) + "\r\n";
}

}  // namespace mervalis::desktop
