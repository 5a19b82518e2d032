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
  std::vector<DesktopLayout> layouts = kTodaysLayouts;  // those of the Windows it runs on
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
      // Only the WorkerW next after the icons' holder: hidden, it is not
      // passed over for an unrelated one further down.
      {"hidden worker after the holder",
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {}, kShell, false), W(21, "WorkerW"),
        W(30, "Progman")},
       std::nullopt},
      {"hidden worker above the holder",
       {W(5, "WorkerW", {}, kShell, false), W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW"), W(30, "Progman")},
       DesktopPlace{L::WorkerBehindIcons, 20, 0}},
      // No shell at all, or an empty desktop.
      {"no progman", {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW")}, std::nullopt},
      {"nothing", {}, std::nullopt},
      // Class names are exact.
      {"class names are case-sensitive",
       {W(30, "progman", {Icons(31), W(33, "WorkerW")})},
       std::nullopt},
      // "Show desktop icons" off: the icons' window is hidden, the place the same.
      {"24h2 with the icons hidden",
       {W(30, "Progman", {W(31, "SHELLDLL_DefView", {}, kShell, false), W(33, "WorkerW")})},
       DesktopPlace{L::ProgmanHoldsWorker, 30, 31}},
      {"windows 10 with the icons hidden",
       {W(10, "WorkerW", {W(11, "SHELLDLL_DefView", {}, kShell, false)}), W(20, "WorkerW"), W(30, "Progman")},
       DesktopPlace{L::WorkerBehindIcons, 20, 0}},
      // Windows 7, raised as Windows 10 is: the WorkerW over Progman is
      // hidden and Progman takes our window; still so once we hid it.
      {"windows 7 raised",
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW"), W(30, "Progman")},
       DesktopPlace{L::ProgmanUnderHiddenWorker, 30, 0, 20}, {L::ProgmanUnderHiddenWorker}},
      {"windows 7 with its worker hidden",
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {}, kShell, false), W(30, "Progman")},
       DesktopPlace{L::ProgmanUnderHiddenWorker, 30, 0, 20}, {L::ProgmanUnderHiddenWorker}},
      {"windows 7 not raised", {W(30, "Progman", {Icons(31)})}, std::nullopt, {L::ProgmanUnderHiddenWorker}},
      {"windows 7 worker below progman",
       {W(10, "WorkerW", {Icons(11)}), W(30, "Progman"), W(20, "WorkerW")}, std::nullopt,
       {L::ProgmanUnderHiddenWorker}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindDesktopPlace(c.topLevel, c.layouts), c.expected);
  }
}

TEST(LayoutsOfWindows, Windows7HasItsOwnVistaNone) {
  using L = DesktopLayout;
  const std::vector<L> today = {L::ProgmanHoldsWorker, L::WorkerBehindIcons};
  EXPECT_EQ(LayoutsOfWindows(6, 0), std::vector<L>{});
  EXPECT_EQ(LayoutsOfWindows(6, 1), std::vector<L>{L::ProgmanUnderHiddenWorker});
  EXPECT_EQ(LayoutsOfWindows(6, 2), today);
  EXPECT_EQ(LayoutsOfWindows(6, 3), today);
  EXPECT_EQ(LayoutsOfWindows(10, 0), today);
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
  EXPECT_EQ(LayoutName(DesktopLayout::ProgmanUnderHiddenWorker), "Windows 7");
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

TEST(MonitorsToAnimate, GrowWithThePixelsUpToWhatA32BitProcessHoldsAndLeaveOnlyTheBadOnes) {
  const auto monitors = [](std::vector<Rect> screens) {
    std::vector<Monitor> m;
    for (const Rect& r : screens) m.push_back({r, r, m.empty()});
    return m;
  };
  constexpr std::uint64_t kDefault = 0;  // the budget unless told: 768 MiB
  struct Row {
    const char* name;
    std::vector<Monitor> monitors;
    std::uint64_t budget;
    std::vector<bool> animate;
  };
  const Row rows[] = {
      {"1920x1080", monitors({{0, 0, 1920, 1080}}), kDefault, {true}},
      {"1920x1080 and 1280x1024", monitors({{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}), kDefault, {true, true}},
      {"three 7680x4320", monitors({{0, 0, 7680, 4320}, {7680, 0, 15360, 4320}, {-7680, 0, 0, 4320}}), kDefault,
       {true, true, true}},
      // 126.6 MiB each: five and the largest again make 759.4 MiB, six 885.9 MiB.
      {"six 7680x4320", monitors({{0, 0, 7680, 4320}, {7680, 0, 15360, 4320}, {-7680, 0, 0, 4320},
                                  {0, 4320, 7680, 8640}, {0, -4320, 7680, 0}, {7680, 4320, 15360, 8640}}),
       kDefault, {true, true, true, true, true, false}},
      {"one of 16384x16384", monitors({{0, 0, 16384, 16384}}), kDefault, {false}},
      {"a size that overflows 32 bits", monitors({{0, 0, 2000000000, 2000000000}}), kDefault, {false}},
      {"an empty monitor", monitors({{0, 0, 0, 1080}}), kDefault, {false}},
      {"0x0 beside a normal one", monitors({{0, 0, 1920, 1080}, {1920, 0, 1920, 0}}), kDefault, {true, false}},
      {"a huge one between two normal ones",
       monitors({{0, 0, 1920, 1080}, {1920, 0, 100000, 100000}, {-1280, 0, 0, 1024}}), kDefault, {true, false, true}},
      // 1920x1080: 8294400 bytes, twice 16588800; with 1280x1024 beside it
      // 21831680.
      {"a low budget holds the primary only", monitors({{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}), 20000000,
       {true, false}},
      {"exactly the budget", monitors({{0, 0, 1920, 1080}}), 16588800, {true}},
      {"a byte short", monitors({{0, 0, 1920, 1080}}), 16588799, {false}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.budget ? MonitorsToAnimate(r.monitors, r.budget) : MonitorsToAnimate(r.monitors), r.animate);
  }
}

// A shell that raises the desktop for some of the raise messages only: its
// windows before and after, and the messages it got.
TEST(RaiseUntilPlaced, TriesEachMessageInTurnUntilThePlaceIsThere) {
  using Answers = bool (*)(const RaiseMessage&);
  struct Row {
    const char* name;
    Answers raises;
    bool hung;
    bool progman;
    std::vector<RaiseMessage> sent;
    bool placed;
  };
  const Row rows[] = {
      {"answers 0xD", [](const RaiseMessage& m) { return m.wParam == 0xD; }, false, true, {{0xD, 0}}, true},
      {"answers 0xD with 1 only", [](const RaiseMessage& m) { return m.wParam == 0xD && m.lParam == 1; }, false,
       true, {{0xD, 0}, {0xD, 1}}, true},
      {"answers 0 only", [](const RaiseMessage& m) { return m.wParam == 0; }, false, true,
       {{0xD, 0}, {0xD, 1}, {0, 0}}, true},
      {"answers none", [](const RaiseMessage&) { return false; }, false, true, {{0xD, 0}, {0xD, 1}, {0, 0}}, false},
      {"hung: asked once", [](const RaiseMessage&) { return false; }, true, true, {{0xD, 0}}, false},
      {"no shell: nothing sent", [](const RaiseMessage&) { return true; }, false, false, {}, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    bool raised = false;
    std::vector<RaiseMessage> sent;
    const auto list = [&] {
      std::vector<ShellWindow> top;
      if (r.progman) top.push_back(W(30, "Progman", raised ? std::vector{Icons(31), W(33, "WorkerW")}
                                                           : std::vector{Icons(31)}));
      return top;
    };
    const auto send = [&](WindowId progman, const RaiseMessage& m) {
      EXPECT_EQ(progman, 30u);
      sent.push_back(m);
      raised |= !r.hung && r.raises(m);
      return !r.hung;
    };
    const auto place = RaiseUntilPlaced(list, send);
    EXPECT_EQ(sent, r.sent);
    EXPECT_EQ(place.has_value(), r.placed);
  }
}

TEST(CheckOrder, ViewsBelowTheIconsAndAboveTheWallpaper) {
  using L = DesktopLayout;
  const DesktopPlace inProgman{L::ProgmanHoldsWorker, 30, 31};
  const DesktopPlace inWorker{L::WorkerBehindIcons, 20, 0};
  const DesktopPlace underHidden{L::ProgmanUnderHiddenWorker, 30, 0, 20};
  const ShellWindow view50 = W(50, "MervalisDesktopView", {}, kOther), view51 = W(51, "MervalisDesktopView", {}, kOther);
  const auto progman = [](std::vector<ShellWindow> children) { return W(30, "Progman", std::move(children)); };
  struct Row {
    const char* name;
    DesktopPlace place;
    std::vector<ShellWindow> topLevel;
    std::vector<WindowId> views;
    OrderCheck expected;
  };
  const Row rows[] = {
      {"24h2 in order", inProgman, {progman({Icons(31), view50, view51, W(33, "WorkerW")})}, {50, 51}, {}},
      // The shell put its WorkerW above a view: below the lowest view again.
      {"24h2 worker on top", inProgman, {progman({W(33, "WorkerW"), Icons(31), view50})}, {50},
       {false, {{33, 50}}}},
      {"24h2 worker between two views", inProgman, {progman({Icons(31), view50, W(33, "WorkerW"), view51})},
       {50, 51}, {false, {{33, 51}}}},
      // A view above the icons: back right below them, the worker below the views.
      {"24h2 view above the icons", inProgman, {progman({view50, W(33, "WorkerW"), Icons(31), view51})}, {50, 51},
       {false, {{50, 31}, {51, 50}, {33, 51}}}},
      {"24h2 no view shown: a worker above the icons", inProgman, {progman({W(33, "WorkerW"), Icons(31)})}, {},
       {false, {{33, 31}}}},
      {"24h2 icons gone", inProgman, {progman({view50, W(33, "WorkerW")})}, {50}, {true, {}}},
      {"24h2 view gone", inProgman, {progman({Icons(31), W(33, "WorkerW")})}, {50}, {true, {}}},
      // The older layout: the holder of the icons above the wallpaper's WorkerW.
      {"win10 in order", inWorker, {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {view50}), W(30, "Progman")},
       {50}, {}},
      {"win10 wallpaper above the icons", inWorker,
       {W(20, "WorkerW", {view50}), W(5, "WorkerW"), W(10, "WorkerW", {Icons(11)}), W(30, "Progman")}, {50},
       {false, {{20, 10}}}},
      {"win10 holder of another process only", inWorker,
       {W(20, "WorkerW", {view50}), W(10, "WorkerW", {Icons(11)}, kOther), W(30, "Progman")}, {50}, {true, {}}},
      {"win10 wallpaper gone", inWorker, {W(10, "WorkerW", {Icons(11)}), W(30, "Progman")}, {50}, {true, {}}},
      // Windows 7: the WorkerW over Progman stays hidden; shown again, a search hides it anew.
      {"win7 in order", underHidden,
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW", {}, kShell, false), progman({view50})}, {50}, {}},
      {"win7 worker shown again", underHidden,
       {W(10, "WorkerW", {Icons(11)}), W(20, "WorkerW"), progman({view50})}, {50}, {true, {}}},
      {"win7 worker gone", underHidden, {W(10, "WorkerW", {Icons(11)}), progman({view50})}, {50}, {true, {}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CheckOrder(r.place, r.topLevel, r.views), r.expected);
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
