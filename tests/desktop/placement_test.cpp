#include "desktop/placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace mervalis::desktop {
namespace {

constexpr std::uint32_t kShell = 40;
constexpr std::uint32_t kOther = 77;

ShellWindow W(WindowId id, std::string cls, std::vector<ShellWindow> children = {},
              std::uint32_t process = kShell, bool visible = true) {
  return ShellWindow{id, std::move(cls), process, visible, std::move(children)};
}

ShellWindow Icons(WindowId id) { return W(id, "SHELLDLL_DefView", {W(id + 1, "SysListView32")}); }

struct Case {
  const char* name;
  std::vector<ShellWindow> topLevel;  // topmost first
  std::optional<DesktopPlace> expected;
};

TEST(FindDesktopPlace, KnownLayoutsAndNearMisses) {
  using L = DesktopLayout;
  const Case cases[] = {
      // Windows 10 after the raise message: icons in one WorkerW, the next
      // WorkerW below shows the wallpaper, Progman last.
      {"windows 10 raised",
       {W(1, "Shell_TrayWnd"), W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW"), W(30, "Progman")},
       DesktopPlace{L::WorkerBehindIcons, 20, 0}},
      // Other windows between the two WorkerW do not matter; the one
      // following the icons' holder in Z order is taken, not the first found.
      {"windows 10 with windows between",
       {W(5, "WorkerW"), W(10, "WorkerW", {Icons(11)}), W(15, "Notepad", {}, kOther), W(20, "WorkerW"),
        W(25, "WorkerW"), W(30, "Progman")},
       DesktopPlace{L::WorkerBehindIcons, 20, 0}},
      // Windows 11 24H2: everything inside Progman.
      {"windows 11 24h2",
       {W(1, "Shell_TrayWnd"), W(30, "Progman", {Icons(31), W(33, "WorkerW")})},
       DesktopPlace{L::ProgmanHoldsWorker, 30, 31}},
      {"24h2 with another child between icons and worker",
       {W(30, "Progman", {W(35, "Static"), Icons(31), W(34, "Static"), W(33, "WorkerW")})},
       DesktopPlace{L::ProgmanHoldsWorker, 30, 31}},
      // Before the raise message the icons sit in Progman with no WorkerW:
      // no place yet.
      {"windows 10 not raised", {W(30, "Progman", {Icons(31)})}, std::nullopt},
      // A WorkerW above the icons in Progman is not behind them.
      {"24h2 worker above the icons", {W(30, "Progman", {W(33, "WorkerW"), Icons(31)})}, std::nullopt},
      // Raised, but the wallpaper's WorkerW is missing.
      {"icons holder without a worker below",
       {W(20, "WorkerW"), W(10, "WorkerW", {Icons(11)}), W(30, "Progman")},
       std::nullopt},
      // A WorkerW of another program is not the shell's.
      {"worker of another process",
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {}, kOther), W(30, "Progman")},
       std::nullopt},
      // Another program's window that also holds an icon view, listed
      // first: the shell's holder is not the wallpaper's WorkerW.
      {"another program's icon view first",
       {W(5, "WorkerW", {Icons(6)}, kOther), W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW"), W(30, "Progman")},
       DesktopPlace{L::WorkerBehindIcons, 20, 0}},
      // A window that holds icons is never the wallpaper's.
      {"worker below the holder holds icons too",
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {Icons(21)}), W(30, "Progman")}, std::nullopt},
      {"icons holder of another process",
       {W(10, "WorkerW", {Icons(11)}, kOther), W(20, "WorkerW", {}, kOther), W(30, "Progman")},
       std::nullopt},
      // A hidden WorkerW is passed over for the next one.
      {"hidden worker skipped",
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {}, kShell, false), W(21, "WorkerW"),
        W(30, "Progman")},
       DesktopPlace{L::WorkerBehindIcons, 21, 0}},
      // No shell at all, or an empty desktop.
      {"no progman", {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW")}, std::nullopt},
      {"nothing", {}, std::nullopt},
      // Class names are exact.
      {"class names are case-sensitive",
       {W(30, "progman", {Icons(31), W(33, "WorkerW")})},
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindDesktopPlace(c.topLevel), c.expected);
  }
}

TEST(FindDesktopPlace, SecondShellWindowIsTriedWhenTheFirstFitsNoLayout) {
  // A stray Progman of another program before the shell's own one.
  const std::vector<ShellWindow> topLevel = {
      W(50, "Progman", {}, kOther),
      W(30, "Progman", {Icons(31), W(33, "WorkerW")}),
  };
  const auto place = FindDesktopPlace(topLevel);
  ASSERT_TRUE(place.has_value());
  EXPECT_EQ(place->parent, 30u);
  EXPECT_EQ(place->below, 31u);
}

TEST(LayoutName, NamesTheWindowsVersions) {
  EXPECT_EQ(LayoutName(DesktopLayout::WorkerBehindIcons), "Windows 8 to Windows 11 23H2");
  EXPECT_EQ(LayoutName(DesktopLayout::ProgmanHoldsWorker), "Windows 11 24H2 and later");
}

TEST(ScreenToParent, PrimaryMonitorInTheDesktopWindowsCoordinates) {
  struct Row {
    const char* name;
    Rect primary;       // on the screen: always starts at (0, 0)
    int originX, originY;  // the parent's client origin: the virtual screen's corner
    Rect expected;
  };
  const Row rows[] = {
      {"one monitor", {0, 0, 1920, 1080}, 0, 0, {0, 0, 1920, 1080}},
      {"second monitor right", {0, 0, 1920, 1080}, 0, 0, {0, 0, 1920, 1080}},
      {"second monitor left", {0, 0, 1920, 1080}, -2560, 0, {2560, 0, 4480, 1080}},
      {"second monitor above", {0, 0, 1920, 1080}, 0, -1440, {0, 1440, 1920, 2520}},
      {"left and above, offset", {0, 0, 1366, 768}, -1280, -300, {1280, 300, 2646, 1068}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ScreenToParent(r.primary, r.originX, r.originY), r.expected);
  }
}

TEST(ViewsInParent, EachMonitorTranslatedIntoTheShellWindow) {
  const Monitor primary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true};
  const Monitor right{{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}, false};
  const Monitor left{{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false};
  const Monitor above{{0, -1440, 2560, 0}, {0, -1440, 2560, 0}, false};
  struct Row {
    const char* name;
    std::vector<Monitor> monitors;
    int originX, originY;  // the shell window's client origin: the virtual screen's corner
    Rect client;           // its client area
    std::vector<Rect> expected;
  };
  const Row rows[] = {
      {"one monitor", {primary}, 0, 0, {0, 0, 1920, 1080}, {{0, 0, 1920, 1080}}},
      {"second to the right", {primary, right}, 0, 0, {0, 0, 3200, 1080},
       {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}},
      {"second to the left: negative origin", {primary, left}, -1280, 0, {0, 0, 3200, 1080},
       {{1280, 0, 3200, 1080}, {0, 0, 1280, 1024}}},
      {"left and above", {primary, left, above}, -1280, -1440, {0, 0, 3840, 2520},
       {{1280, 1440, 3200, 2520}, {0, 1440, 1280, 2464}, {1280, 0, 3840, 1440}}},
      {"the shell has not grown to the new monitor yet", {primary, right}, 0, 0, {0, 0, 1920, 1080},
       {{0, 0, 1920, 1080}, {}}},
      {"partly inside: the whole monitor, the shell clips it", {primary, right}, 0, 0, {0, 0, 2000, 1080},
       {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ViewsInParent(r.monitors, r.originX, r.originY, r.client), r.expected);
  }
}

TEST(ScenesFitInMemory, GrowWithThePixelsUpToWhatA32BitProcessHolds) {
  const auto monitors = [](std::vector<Rect> screens) {
    std::vector<Monitor> m;
    for (const Rect& r : screens) m.push_back({r, r, m.empty()});
    return m;
  };
  struct Row {
    const char* name;
    std::vector<Monitor> monitors;
    bool fits;
  };
  const Row rows[] = {
      {"1920x1080", monitors({{0, 0, 1920, 1080}}), true},
      {"1920x1080 and 1280x1024", monitors({{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}), true},
      {"three 7680x4320", monitors({{0, 0, 7680, 4320}, {7680, 0, 15360, 4320}, {-7680, 0, 0, 4320}}), true},
      {"six 7680x4320", monitors({{0, 0, 7680, 4320}, {7680, 0, 15360, 4320}, {-7680, 0, 0, 4320},
                                  {0, 4320, 7680, 8640}, {0, -4320, 7680, 0}, {7680, 4320, 15360, 8640}}), false},
      {"one of 16384x16384", monitors({{0, 0, 16384, 16384}}), false},
      {"a size that overflows 32 bits", monitors({{0, 0, 2000000000, 2000000000}}), false},
      {"an empty monitor", monitors({{0, 0, 0, 1080}}), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ScenesFitInMemory(r.monitors), r.fits);
  }
}

TEST(SceneSeed, EveryMonitorAndEveryRunItsOwn) {
  std::vector<std::uint32_t> seeds;
  for (std::uint32_t pid : {100u, 104u}) {
    for (std::uint32_t tick : {5000u, 5001u}) {
      for (std::size_t monitor = 0; monitor < 4; ++monitor) seeds.push_back(SceneSeed(tick, pid, monitor));
    }
  }
  std::sort(seeds.begin(), seeds.end());
  EXPECT_EQ(std::adjacent_find(seeds.begin(), seeds.end()), seeds.end());
}

TEST(NextSearchDelay, BacksOffForAMinuteThenStops) {
  struct Row {
    int attempts;
    std::uint32_t elapsed;
    std::optional<std::uint32_t> delay;
  };
  const Row rows[] = {
      {0, 0, 250},        {1, 250, 500},      {2, 750, 1000},       {3, 1750, 2000},
      {4, 3750, 4000},    {5, 7750, 4000},    {40, 30000, 4000},    {20, 58000, 2000},
      {20, 59999, 1},     {20, 60000, std::nullopt}, {21, 90000, std::nullopt},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.attempts << " attempts over " << r.elapsed << " ms");
    EXPECT_EQ(NextSearchDelay(r.attempts, r.elapsed), r.delay);
  }
  // At least a minute of looking in all.
  std::uint32_t elapsed = 0;
  int attempts = 0;
  while (auto d = NextSearchDelay(attempts, elapsed)) {
    elapsed += *d;
    ++attempts;
  }
  EXPECT_GE(elapsed, 60000u);
  EXPECT_LT(attempts, 30);
}

}  // namespace
}  // namespace mervalis::desktop
