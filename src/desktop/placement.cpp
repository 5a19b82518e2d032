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

// Windows 8 to 11 23H2: top-level WorkerW > SHELLDLL_DefView, then, further
// down the Z order, the WorkerW that shows the wallpaper.
std::optional<DesktopPlace> WorkerBehindIcons(const Windows& topLevel, const ShellWindow& progman) {
  for (std::size_t i = 0; i < topLevel.size(); ++i) {
    const ShellWindow& holder = topLevel[i];
    if (holder.className != kWorkerClass || holder.processId != progman.processId ||
        !FirstChildOfClass(holder, kIconViewClass)) {
      continue;
    }
    for (std::size_t j = i + 1; j < topLevel.size(); ++j) {
      const ShellWindow& next = topLevel[j];
      // A hidden WorkerW would hide our window with it; one that holds icons
      // too is no wallpaper's window.
      if (next.className == kWorkerClass && next.processId == progman.processId && next.visible &&
          !FirstChildOfClass(next, kIconViewClass)) {
        return DesktopPlace{DesktopLayout::WorkerBehindIcons, next.id, 0};
      }
    }
    return std::nullopt;  // only one window holds the icons
  }
  return std::nullopt;
}

struct LayoutRule {
  DesktopLayout layout;
  std::string_view name;
  std::optional<DesktopPlace> (*match)(const Windows&, const ShellWindow& progman);
};

// Newest first: a layout's windows never also fit an older rule.
constexpr LayoutRule kLayouts[] = {
    {DesktopLayout::ProgmanHoldsWorker, "Windows 11 24H2 and later", ProgmanHoldsWorker},
    {DesktopLayout::WorkerBehindIcons, "Windows 8 to Windows 11 23H2", WorkerBehindIcons},
};

}  // namespace

std::string_view LayoutName(DesktopLayout layout) noexcept {
  for (const LayoutRule& rule : kLayouts) {
    if (rule.layout == layout) return rule.name;
  }
  return {};
}

std::optional<DesktopPlace> FindDesktopPlace(const std::vector<ShellWindow>& topLevel) {
  for (const ShellWindow& progman : topLevel) {
    if (progman.className != kProgmanClass) continue;
    for (const LayoutRule& rule : kLayouts) {
      if (auto place = rule.match(topLevel, progman)) return place;
    }
  }
  return std::nullopt;
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

bool ScenesFitInMemory(const std::vector<Monitor>& monitors) noexcept {
  // Of the 2 GiB a 32-bit process has, what the scenes may take: the rest
  // holds the program, Windows' libraries and the pictures.
  constexpr std::uint64_t kBudget = 768ull << 20;
  constexpr std::uint64_t kBytesPerPixel = 4;
  std::uint64_t total = 0, largest = 0;
  for (const Monitor& m : monitors) {
    if (m.screen.Width() <= 0 || m.screen.Height() <= 0) return false;
    const std::uint64_t bytes = std::uint64_t(m.screen.Width()) * std::uint64_t(m.screen.Height()) * kBytesPerPixel;
    total += bytes;
    largest = std::max(largest, bytes);
    if (total > kBudget) return false;
  }
  return total + largest <= kBudget;
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
