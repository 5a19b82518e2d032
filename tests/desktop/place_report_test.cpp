#include "desktop/place_report.h"

#include <gtest/gtest.h>

#include <string>

namespace mervalis::desktop {
namespace {

TEST(PlaceReport, TheUserLearnsWhichSettingToSwitchOnOrThatTheWindowsWereNotFound) {
  const std::string off(PlaceNotice(NoPlaceReason(true)));
  EXPECT_NE(off.find("\"Animate controls and elements inside windows\""), std::string::npos) << off;
  const std::string missing(PlaceNotice(NoPlaceReason(false)));
  EXPECT_NE(missing.find("the desktop's windows were not found"), std::string::npos) << missing;
  EXPECT_EQ(PlaceNotice(PlaceReport::kPlaced), "");
  // A number it never wrote is no word at all.
  EXPECT_EQ(PlaceReportFrom(4), PlaceReport::kNone);
}

}  // namespace
}  // namespace mervalis::desktop
