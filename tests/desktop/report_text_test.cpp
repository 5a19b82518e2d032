#include "desktop/report_text.h"

#include <gtest/gtest.h>

#include "common/log_text.h"

namespace mervalis::desktop {
namespace {

TEST(ReportText, WindowRowsSayEveryFactOfTheWindow) {
  ReportWindow w{false, "WorkerW", "explorer.exe", true, false, Layering::kNone, 255, 0x80, 0x8, {0, 0, 1920, 1080}};
  EXPECT_EQ(WindowRow(w), "  WorkerW, explorer.exe, visible, not cloaked, not layered, exstyle 0x00000080, "
                          "class style 0x00000008, (0,0)-(1920,1080)");
  w = {true, "MervalisDesktopView", "", false, true, Layering::kAlpha, 0, 0x80000, 0, {-1280, -10, 0, 1014}};
  EXPECT_EQ(WindowRow(w), "    MervalisDesktopView, (program unknown), hidden, cloaked, layered alpha 0, "
                          "exstyle 0x00080000, class style 0x00000000, (-1280,-10)-(0,1014)");
  w.layering = Layering::kPerPixel;
  EXPECT_NE(WindowRow(w).find(", layered per-pixel, "), std::string::npos);
}

TEST(ReportText, MonitorsPlaceWordsAndRaises) {
  EXPECT_EQ(MonitorRow(1, {{0, 0, 3840, 2160}, {0, 0, 3840, 2100}, true, 144}),
            "monitor 1: (0,0)-(3840,2160), work area (0,0)-(3840,2100), 144 dpi (150 %), primary");
  EXPECT_EQ(MonitorRow(2, {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false, 120}),
            "monitor 2: (-1280,0)-(0,1024), work area (-1280,0)-(0,1024), 120 dpi (125 %)");
  EXPECT_EQ(PlaceWord(PlaceReport::kPlaced), "placed");
  EXPECT_EQ(PlaceWord(PlaceReport::kAnimationOff),
            "no place: \"Animate controls and elements inside windows\" is off");
  EXPECT_EQ(PlaceWord(PlaceReport{5}), "no place while the desktop icons are hidden");
  EXPECT_EQ(PlaceWord(PlaceReport{6}), "no place known on this Windows: the still picture stays");
  EXPECT_EQ(PlaceWord(PlaceReport::kNone), "nothing said");
  EXPECT_EQ(RaiseRow({0xD, 1}, true, true), "0x052C (0xD, 1): made a difference");
  EXPECT_EQ(RaiseRow({0, 0}, true, false), "0x052C (0x0, 0): changed nothing");
  EXPECT_EQ(RaiseRow({0xD, 0}, false, false), "0x052C (0xD, 0): not answered");
}

TEST(LogText, LinesTailAndTheUsersFolder) {
  EXPECT_EQ(LogLine({2026, 12, 9, 5, 0, 22, 7}, 4242, "Start"), "2026-12-09 05:00:22.007 [4242] Start\r\n");
  EXPECT_EQ(LastLines("a\r\nb\nc\r\n", 2), "b\r\nc\r\n");
  EXPECT_EQ(LastLines("a\r\nb", 5), "a\r\nb\r\n");
  EXPECT_EQ(LastLines("", 5), "");
  EXPECT_EQ(WithoutUserFolder("\"C:\\Users\\Ana\\Pictures\\sea.jpg\" c:\\users\\ANA\\x", "C:\\Users\\Ana\\"),
            "\"%USERPROFILE%\\Pictures\\sea.jpg\" %USERPROFILE%\\x");
  EXPECT_EQ(WithoutUserFolder("C:\\Users\\Anabel", ""), "C:\\Users\\Anabel");
  EXPECT_EQ(WithoutUserFolder("C:\\Users\\Anabel", "C:\\Users\\Ana"), "C:\\Users\\Anabel");
  EXPECT_FALSE(LogIsFull(0, 600 * 1024));
  EXPECT_FALSE(LogIsFull(512 * 1024 - 10, 10));
  EXPECT_TRUE(LogIsFull(512 * 1024 - 10, 11));
}

}  // namespace
}  // namespace mervalis::desktop
