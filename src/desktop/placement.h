// Where the desktop animation goes: behind the desktop icons, above the
// shell's own wallpaper, on the primary monitor. The shell's window layout for
// this is undocumented and has changed between Windows versions, so the search
// works on a plain description of the windows found and knows each layout it
// can use by name; the Windows side only lists the windows and acts on the
// answer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/rect.h"

namespace mervalis::desktop {

// Opaque window identity (the handle's value on Windows); 0 is no window.
using WindowId = std::uintptr_t;

// One window as the search sees it.
struct ShellWindow {
  WindowId id = 0;
  std::string className;
  std::uint32_t processId = 0;
  bool visible = true;
  std::vector<ShellWindow> children;  // direct children, topmost first
};

// The shell's window classes that matter here.
inline constexpr std::string_view kProgmanClass = "Progman";
inline constexpr std::string_view kWorkerClass = "WorkerW";
inline constexpr std::string_view kIconViewClass = "SHELLDLL_DefView";
// What the shell's "Progman" window answers by raising the desktop: it puts
// a "WorkerW" window behind the icons (creating it when there is none).
inline constexpr unsigned kRaiseDesktopMessage = 0x052C;

// The raise message's parameters, in the order they are tried: builds of
// Windows 10 and 11 differ in which ones make the "WorkerW" (some answer only
// wParam 0xD), and older ones know only (0, 0).
struct RaiseMessage {
  std::uint32_t wParam = 0;
  std::int32_t lParam = 0;
  friend bool operator==(const RaiseMessage&, const RaiseMessage&) = default;
};
inline constexpr RaiseMessage kRaiseSequence[] = {{0xD, 0}, {0xD, 1}, {0, 0}};

enum class DesktopLayout {
  // Windows 8 to Windows 11 23H2: the icons live in a top-level "WorkerW";
  // the next top-level "WorkerW" below it shows the wallpaper and becomes
  // our parent.
  WorkerBehindIcons,
  // Windows 11 24H2 and later: "Progman" holds the icons and, below them,
  // the "WorkerW" of the wallpaper; our window becomes a child of "Progman"
  // placed between the two.
  ProgmanHoldsWorker,
  // Windows 7: raised as on Windows 8 to 10, the icons in a top-level
  // "WorkerW" and another "WorkerW" right below it, over "Progman". What is
  // drawn into that "WorkerW" never shows there: it is hidden while we are
  // placed, and our window becomes a child of "Progman" below it.
  ProgmanUnderHiddenWorker,
};

// The layouts that the shell of Windows `major`.`minor` may have, in the
// order they are tried; none where no place behind the icons is known
// (Vista: its shell never raises a window between the icons and the
// wallpaper). Windows 8 and later, and any version the mode is never started
// on, try today's layouts.
[[nodiscard]] std::vector<DesktopLayout> LayoutsOfWindows(unsigned major, unsigned minor);
inline const std::vector<DesktopLayout> kTodaysLayouts = {DesktopLayout::ProgmanHoldsWorker,
                                                          DesktopLayout::WorkerBehindIcons};

[[nodiscard]] std::string_view LayoutName(DesktopLayout layout) noexcept;

struct DesktopPlace {
  DesktopLayout layout = DesktopLayout::WorkerBehindIcons;
  WindowId parent = 0;
  // The sibling our window goes directly below in the parent's Z order;
  // 0 puts it on top of the parent's children.
  WindowId below = 0;
  // The shell's window that is hidden while we are placed, and shown again
  // when we leave (Windows 7); 0 for none.
  WindowId hidden = 0;
  friend bool operator==(const DesktopPlace&, const DesktopPlace&) = default;
};

// The place behind the icons among `topLevel` (the desktop's top-level
// windows, topmost first), trying each of `layouts` for each "Progman"
// window in turn; nothing when no layout fits, for example before the shell
// has been asked to raise the desktop or with another shell running. Only
// windows of the shell's own process (that of "Progman") count. The icons'
// window counts shown or hidden (the desktop icons switched off).
[[nodiscard]] std::optional<DesktopPlace> FindDesktopPlace(const std::vector<ShellWindow>& topLevel,
                                                           const std::vector<DesktopLayout>& layouts = kTodaysLayouts);

// Asks every "Progman" among the listed windows to raise the desktop, with
// each message of kRaiseSequence in turn, and looks for the place after each,
// until one is found. `send` returns false when the shell did not answer in
// time: a hung shell is not asked again. Nothing when no "Progman" is listed
// (no message sent then) or no message made a place.
[[nodiscard]] std::optional<DesktopPlace> RaiseUntilPlaced(
    const std::function<std::vector<ShellWindow>()>& list,
    const std::function<bool(WindowId progman, const RaiseMessage&)>& send,
    const std::vector<DesktopLayout>& layouts = kTodaysLayouts);

// Putting `window` directly below `below` among its siblings.
struct Restack {
  WindowId window = 0;
  WindowId below = 0;
  friend bool operator==(const Restack&, const Restack&) = default;
};

// The look at the views' place in the Z order: below the icons and above the
// window that shows the still wallpaper. `lost` when the shell's windows of
// the place are gone (a search is due); otherwise what puts them back in
// order, nothing when they are. `views` are the views' windows, `topLevel`
// as ListDesktopWindows gives them. A window the place hides that shows
// again (Windows 7's shell shows it at times) loses the place too: the
// search hides it again.
struct OrderCheck {
  bool lost = false;
  std::vector<Restack> restack;
  friend bool operator==(const OrderCheck&, const OrderCheck&) = default;
};
[[nodiscard]] OrderCheck CheckOrder(const DesktopPlace& place, const std::vector<ShellWindow>& topLevel,
                                    const std::vector<WindowId>& views);

// A screen rectangle in the client coordinates of a window whose client
// origin lies at (originX, originY) on the screen. The desktop's windows
// start at the virtual screen's top-left corner, which is not the primary
// monitor's (0, 0) as soon as a monitor lies left of or above it.
[[nodiscard]] Rect ScreenToParent(const Rect& onScreen, int originX, int originY) noexcept;

// One monitor as the mode sees it, in physical pixels on the screen.
struct Monitor {
  Rect screen;
  Rect work;  // without the taskbar
  bool primary = false;
  int dpi = 96;  // its scale: 96 is 100 %
  friend bool operator==(const Monitor&, const Monitor&) = default;
};

// Each monitor's view in the client area of the parent (`parentClient`, its
// client origin at (originX, originY) on the screen), in the order given:
// the monitor's rectangle translated. Empty for a monitor that lies outside
// the parent, which the shell may not yet have grown to a new monitor.
[[nodiscard]] std::vector<Rect> ViewsInParent(const std::vector<Monitor>& monitors, int originX, int originY,
                                              const Rect& parentClient);

// Of the 2 GiB a 32-bit process has, what the scenes may take: the rest
// holds the program, Windows' libraries and the pictures.
inline constexpr std::uint64_t kSceneBudget = 768ull << 20;

// Which monitors get a scene, in the order given (the primary first): each
// scene keeps its background (4 bytes a pixel), and the largest counts twice,
// a margin for the pictures and buffers of building a scene; all must fit in
// `budget`. A monitor with no area (seen while a display is plugged in), or
// one that the budget no longer holds, is left to the still wallpaper; the
// monitors after it are still tried.
[[nodiscard]] std::vector<bool> MonitorsToAnimate(const std::vector<Monitor>& monitors,
                                                  std::uint64_t budget = kSceneBudget);

// The seed of monitor `index`'s scene for a start at wall tick `tick` in
// process `processId`: each run its own school of fish, and each monitor one
// of its own, even when all are built within the same millisecond.
[[nodiscard]] std::uint32_t SceneSeed(std::uint32_t tick, std::uint32_t processId, std::size_t index) noexcept;

// The search for the place behind the icons at logon or after the shell
// restarted: the wait before the next attempt, `attempts` made so far over
// `elapsedMs`; growing from a quarter of a second to a few seconds, for a
// minute. Nothing after that: then only "TaskbarCreated" starts a search.
inline constexpr std::uint32_t kSearchForMs = 60000;
[[nodiscard]] std::optional<std::uint32_t> NextSearchDelay(int attempts, std::uint32_t elapsedMs) noexcept;

}  // namespace mervalis::desktop
