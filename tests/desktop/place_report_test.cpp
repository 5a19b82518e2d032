#include "desktop/place_report.h"

#include <gtest/gtest.h>

#include <string>

namespace mervalis::desktop {
namespace {

TEST(PlaceReport, TheUserLearnsWhichSettingToSwitchOnOrThatTheWindowsWereNotFound) {
  EXPECT_EQ(NoPlaceReason(true), PlaceReport::kAnimationOff);
  EXPECT_EQ(NoPlaceReason(false), PlaceReport::kWindowsNotFound);
  const std::string off(PlaceNotice(PlaceReport::kAnimationOff));
  EXPECT_NE(off.find("\"Animate controls and elements inside windows\""), std::string::npos) << off;
  EXPECT_NE(off.find("SystemPropertiesPerformance"), std::string::npos) << off;
  const std::string missing(PlaceNotice(PlaceReport::kWindowsNotFound));
  EXPECT_NE(missing.find("the desktop's windows were not found"), std::string::npos) << missing;
  EXPECT_EQ(PlaceNotice(PlaceReport::kPlaced), "");
  EXPECT_EQ(PlaceNotice(PlaceReport::kNone), "");
  // Stored numbers: those it wrote, and anything else as no word.
  for (const auto& [stored, report] : {std::pair{0u, PlaceReport::kNone}, std::pair{1u, PlaceReport::kPlaced},
                                       std::pair{2u, PlaceReport::kAnimationOff},
                                       std::pair{3u, PlaceReport::kWindowsNotFound},
                                       std::pair{4u, PlaceReport::kNone}, std::pair{0xFFFFFFFFu, PlaceReport::kNone}}) {
    EXPECT_EQ(PlaceReportFrom(stored), report) << stored;
  }
}

}  // namespace
}  // namespace mervalis::desktop
