// The rows of `Mervalis.exe report`: what a developer needs to see of a
// desktop that only the user has, as plain text, one thing a row. The
// Windows side (report_win.cpp) gathers the facts; the words are here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "desktop/place_report.h"
#include "desktop/placement.h"

namespace mervalis::desktop {

// How a window is layered: not at all, with one opacity for the whole
// window (SetLayeredWindowAttributes), or with per-pixel alpha
// (UpdateLayeredWindow, which leaves no attributes to read).
enum class Layering : std::uint8_t { kNone, kAlpha, kPerPixel };

// One of the shell's windows as the report lists it.
struct ReportWindow {
  bool child = false;    // a child of the top-level window listed above it
  std::string className;
  std::string program;   // the owning process's program, its file name only
  bool visible = false;
  bool cloaked = false;  // hidden by the compositor
  Layering layering = Layering::kNone;
  std::uint8_t alpha = 255;
  std::uint32_t exStyle = 0;
  std::uint32_t classStyle = 0;
  Rect rect;  // on the screen
};

// "  WorkerW, explorer.exe, visible, not cloaked, layered alpha 0,
// exstyle 0x00080080, class style 0x00000008, (0,0)-(1920,1080)"; a
// child's row starts two blanks further in.
[[nodiscard]] std::string WindowRow(const ReportWindow& window);

// "<name>: <value>" and CR LF.
[[nodiscard]] std::string ReportLine(std::string_view name, std::string_view value);

// "monitor 1: (0,0)-(1920,1080), work area (0,0)-(1920,1040), 144 dpi
// (150 %), primary"; `number` counts from 1.
[[nodiscard]] std::string MonitorRow(std::size_t number, const Monitor& monitor);

// The mode's word in words: "placed", "no place: ..." with the reason, or
// "nothing said".
[[nodiscard]] std::string_view PlaceWord(PlaceReport report) noexcept;

// "0x052C (0xD, 1): made a difference" or "...: changed nothing", and
// "...: not answered" when the shell did not answer in time.
[[nodiscard]] std::string RaiseRow(const RaiseMessage& message, bool answered, bool changed);

}  // namespace mervalis::desktop
