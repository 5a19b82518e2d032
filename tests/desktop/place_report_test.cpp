#include "desktop/place_report.h"

#include <gtest/gtest.h>

#include <string>

namespace mervalis::desktop {
namespace {

TEST(PlaceReport, TheUserLearnsWhichSettingToSwitchOnOrThatTheWindowsWereNotFound) {
  const std::string off(PlaceNotice(NoPlaceReason({.clientAreaAnimationOff = true})));
  EXPECT_NE(off.find("\"Animate controls and elements inside windows\""), std::string::npos) << off;
  const std::string missing(PlaceNotice(NoPlaceReason({})));
  EXPECT_NE(missing.find("the desktop's windows were not found"), std::string::npos) << missing;
  EXPECT_EQ(PlaceNotice(PlaceReport::kPlaced), "");
  // A number it never wrote is no word at all.
  EXPECT_EQ(PlaceReportFrom(7), PlaceReport::kNone);
}

TEST(PlaceReport, EachReasonHasItsNumberAndAWordForTheUser) {
  struct Row {
    NoPlaceFacts facts;
    std::uint32_t stored;
    const char* notice;
  };
  const Row rows[] = {
      {{.iconsHidden = true}, 5, "Show desktop icons"},
      // No setting helps a window that Windows refused; the animations come before the icons.
      {{.viewRefused = true, .clientAreaAnimationOff = true, .iconsHidden = true}, 4, "refused"},
      {{.clientAreaAnimationOff = true, .iconsHidden = true}, 2, "Animate controls"},
  };
  for (const Row& r : rows) {
    const PlaceReport report = NoPlaceReason(r.facts);
    EXPECT_EQ(static_cast<std::uint32_t>(report), r.stored);
    EXPECT_EQ(PlaceReportFrom(r.stored), report);
    EXPECT_NE(std::string(PlaceNotice(report)).find(r.notice), std::string::npos) << PlaceNotice(report);
  }
}

}  // namespace
}  // namespace mervalis::desktop
