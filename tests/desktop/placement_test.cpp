#include "desktop/placement.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace mervalis::desktop
