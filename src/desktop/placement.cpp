#include "desktop/placement.h"

#include <algorithm>
#include <cstddef>

namespace mervalis::desktop {

namespace {

using Windows = std::vector<ShellWindow>;

const ShellWindow* FirstChildOfClass(const ShellWindow& parent, std::string_view className,
                                     std::size_t* index = nullptr) noexcept {
  for (std::size_t i = 0; i < parent.children.size(); ++i) {
    if (parent.children[i].className == className) {
      if (index) *index = i;
      return &parent.children[i];
    }
  }
  return nullptr;
}

// Windows 11 24H2 and later: Progman > [SHELLDLL_DefView, ..., WorkerW].
std::optional<DesktopPlace> ProgmanHoldsWorker(const Windows&, const ShellWindow& progman) {
  std::size_t icons = 0;
  const ShellWindow* view = FirstChildOfClass(progman, kIconViewClass, &icons);
  if (!view) return std::nullopt;
  for (std::size_t i = icons + 1; i < progman.children.size(); ++i) {
    if (progman.children[i].className == kWorkerClass) {
      return DesktopPlace{DesktopLayout::ProgmanHoldsWorker, progman.id, view->id};
    }
  }
  return std::nullopt;
}

// Windows 7 to 11 23H2, raised: a top-level WorkerW > SHELLDLL_DefView,
// then, next in the Z order of the shell's WorkerW windows, the one of the
// wallpaper; only that one: further down lie unrelated ones. Its index, or
// nothing when the next is not the shell's or holds icons too (no
// wallpaper's window then).
std::optional<std::size_t> WorkerAfterIcons(const Windows& topLevel, const ShellWindow& progman) {
  const auto shellWorker = [&](const ShellWindow& w) {
    return w.className == kWorkerClass && w.processId == progman.processId;
  };
  for (std::size_t i = 0; i < topLevel.size(); ++i) {
    const ShellWindow& holder = topLevel[i];
    if (!shellWorker(holder) || !FirstChildOfClass(holder, kIconViewClass)) continue;
    for (std::size_t j = i + 1; j < topLevel.size(); ++j) {
      const ShellWindow& next = topLevel[j];
      if (next.className != kWorkerClass) continue;
      if (!shellWorker(next) || FirstChildOfClass(next, kIconViewClass)) return std::nullopt;
      return j;
    }
    return std::nullopt;  // only one window holds the icons
  }
  return std::nullopt;
}

// Windows 8 to 11 23H2: our window goes into the wallpaper's WorkerW; a
// hidden one would hide ours with it (the next raise shows it).
std::optional<DesktopPlace> WorkerBehindIcons(const Windows& topLevel, const ShellWindow& progman) {
  const auto worker = WorkerAfterIcons(topLevel, progman);
  if (!worker || !topLevel[*worker].visible) return std::nullopt;
  return DesktopPlace{DesktopLayout::WorkerBehindIcons, topLevel[*worker].id, 0};
}

// Windows 7: the WorkerW, shown or already hidden by us, lies above
// Progman, which takes our window.
std::optional<DesktopPlace> ProgmanUnderHiddenWorker(const Windows& topLevel, const ShellWindow& progman) {
  const auto worker = WorkerAfterIcons(topLevel, progman);
  if (!worker) return std::nullopt;
  for (std::size_t k = *worker + 1; k < topLevel.size(); ++k) {
    if (topLevel[k].id == progman.id) {
      return DesktopPlace{DesktopLayout::ProgmanUnderHiddenWorker, progman.id, 0, topLevel[*worker].id};
    }
  }
  return std::nullopt;
}

struct LayoutRule {
  DesktopLayout layout;
  std::string_view name;
  std::optional<DesktopPlace> (*match)(const Windows&, const ShellWindow& progman);
};

// Newest first: a layout's windows never also fit an older rule among those
// tried on one Windows (Windows 7's windows fit Windows 10's rule, which is
// not tried there).
constexpr LayoutRule kLayouts[] = {
    {DesktopLayout::ProgmanHoldsWorker, "Windows 11 24H2 and later", ProgmanHoldsWorker},
    {DesktopLayout::WorkerBehindIcons, "Windows 8 to Windows 11 23H2", WorkerBehindIcons},
    {DesktopLayout::ProgmanUnderHiddenWorker, "Windows 7", ProgmanUnderHiddenWorker},
};

}  // namespace

std::string_view LayoutName(DesktopLayout layout) noexcept {
  for (const LayoutRule& rule : kLayouts) {
    if (rule.layout == layout) return rule.name;
  }
  return {};
}

std::vector<DesktopLayout> LayoutsOfWindows(unsigned major, unsigned minor) {
  if (major == 6 && minor == 0) return {};
  if (major == 6 && minor == 1) return {DesktopLayout::ProgmanUnderHiddenWorker};
  return kTodaysLayouts;
}

std::optional<DesktopPlace> FindDesktopPlace(const std::vector<ShellWindow>& topLevel,
                                             const std::vector<DesktopLayout>& layouts) {
  for (const ShellWindow& progman : topLevel) {
    if (progman.className != kProgmanClass) continue;
    for (const LayoutRule& rule : kLayouts) {
      if (std::find(layouts.begin(), layouts.end(), rule.layout) == layouts.end()) continue;
      if (auto place = rule.match(topLevel, progman)) return place;
    }
  }
  return std::nullopt;
}

std::optional<DesktopPlace> RaiseUntilPlaced(const std::function<std::vector<ShellWindow>()>& list,
                                             const std::function<bool(WindowId, const RaiseMessage&)>& send,
                                             const std::vector<DesktopLayout>& layouts) {
  std::vector<WindowId> shells;
  for (const ShellWindow& w : list()) {
    if (w.className == kProgmanClass) shells.push_back(w.id);
  }
  if (shells.empty()) return std::nullopt;  // the shell may be starting
  for (const RaiseMessage& message : kRaiseSequence) {
    bool answered = true;
    for (WindowId progman : shells) answered = send(progman, message) && answered;
    if (auto place = FindDesktopPlace(list(), layouts)) return place;
    if (!answered) return std::nullopt;  // a hung shell: asked again on the next search
  }
  return std::nullopt;
}

namespace {

std::optional<std::size_t> IndexOf(const Windows& windows, WindowId id) noexcept {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (windows[i].id == id) return i;
  }
  return std::nullopt;
}

// 24H2: among Progman's children, the icons above every view, every view
// above every WorkerW. Views that rose above the icons go back right below
// them; a WorkerW above a view goes below the lowest view, as the players
// that work there keep it.
OrderCheck CheckOrderInProgman(const DesktopPlace& place, const ShellWindow& progman,
                               const std::vector<WindowId>& views) {
  const Windows& children = progman.children;
  const auto icons = IndexOf(children, place.below);
  if (!icons) return {true, {}};
  OrderCheck check;
  std::size_t lowest = *icons;
  WindowId lowestView = place.below;
  bool viewAboveIcons = false;
  for (WindowId view : views) {
    const auto at = IndexOf(children, view);
    if (!at) return {true, {}};
    viewAboveIcons |= *at < *icons;
    if (*at > lowest) {
      lowest = *at;
      lowestView = view;
    }
  }
  if (viewAboveIcons) {
    WindowId above = place.below;
    for (WindowId view : views) {
      check.restack.push_back({view, above});
      above = view;
    }
    // Chained right below the icons: only WorkerW windows above the icons
    // are above a view now.
    lowest = *icons;
    lowestView = above;
  }
  for (std::size_t i = 0; i < lowest; ++i) {
    if (children[i].className == kWorkerClass) check.restack.push_back({children[i].id, lowestView});
  }
  return check;
}

}  // namespace

OrderCheck CheckOrder(const DesktopPlace& place, const std::vector<ShellWindow>& topLevel,
                      const std::vector<WindowId>& views) {
  const auto parent = IndexOf(topLevel, place.parent);
  if (!parent) return {true, {}};
  if (place.layout == DesktopLayout::ProgmanHoldsWorker) return CheckOrderInProgman(place, topLevel[*parent], views);
  if (place.layout == DesktopLayout::ProgmanUnderHiddenWorker) {
    const auto hidden = IndexOf(topLevel, place.hidden);
    return {!hidden || topLevel[*hidden].visible, {}};
  }
  // The older layout: the views lie inside the wallpaper's WorkerW, which
  // must stay below the shell's WorkerW that holds the icons.
  const std::uint32_t shell = topLevel[*parent].processId;
  for (std::size_t i = 0; i < topLevel.size(); ++i) {
    const ShellWindow& w = topLevel[i];
    if (w.className != kWorkerClass || w.processId != shell || !FirstChildOfClass(w, kIconViewClass)) continue;
    if (i < *parent) return {};
    return {false, {{place.parent, w.id}}};
  }
  return {true, {}};
}

Rect ScreenToParent(const Rect& onScreen, int originX, int originY) noexcept {
  return {onScreen.left - originX, onScreen.top - originY, onScreen.right - originX,
          onScreen.bottom - originY};
}

std::vector<Rect> ViewsInParent(const std::vector<Monitor>& monitors, int originX, int originY,
                                const Rect& parentClient) {
  std::vector<Rect> views;
  views.reserve(monitors.size());
  for (const Monitor& m : monitors) {
    const Rect r = ScreenToParent(m.screen, originX, originY);
    views.push_back(Intersect(r, parentClient).Empty() ? Rect{} : r);
  }
  return views;
}

std::vector<bool> MonitorsToAnimate(const std::vector<Monitor>& monitors, std::uint64_t budget) {
  constexpr std::uint64_t kBytesPerPixel = 4;
  std::vector<bool> animate;
  animate.reserve(monitors.size());
  std::uint64_t total = 0, largest = 0;
  for (const Monitor& m : monitors) {
    const bool area = m.screen.Width() > 0 && m.screen.Height() > 0;
    // Below 2^64 for any int sizes; anything near that fails the budget.
    const std::uint64_t bytes =
        area ? std::uint64_t(m.screen.Width()) * std::uint64_t(m.screen.Height()) * kBytesPerPixel : 0;
    const bool fits = area && bytes <= budget && total + bytes + std::max(largest, bytes) <= budget;
    if (fits) {
      total += bytes;
      largest = std::max(largest, bytes);
    }
    animate.push_back(fits);
  }
  return animate;
}

std::uint32_t SceneSeed(std::uint32_t tick, std::uint32_t processId, std::size_t index) noexcept {
  // An odd multiplier spreads the monitors' numbers over all 32 bits.
  return (tick ^ (processId << 16)) + static_cast<std::uint32_t>(index) * 0x9E3779B9u;
}

std::optional<std::uint32_t> NextSearchDelay(int attempts, std::uint32_t elapsedMs) noexcept {
  if (elapsedMs >= kSearchForMs) return std::nullopt;
  constexpr std::uint32_t kFirstMs = 250, kLongestMs = 4000;
  std::uint32_t delay = kFirstMs;
  for (int i = 0; i < attempts && delay < kLongestMs; ++i) delay *= 2;
  delay = std::min(delay, kLongestMs);
  // The last attempt falls on the minute, not short of it.
  return std::min(delay, kSearchForMs - elapsedMs);
}

}  // namespace mervalis::desktop
