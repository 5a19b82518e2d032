#include "install/stored_apply_options.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

// The `apply` run makes no window: the stored code must give what the window
// would have handed over after loading it into its boxes.
TEST(StoredApplyOptions, AsTheWindowLoadsTheStoredCode) {
  const struct {
    const char* code;
    bool stretched, showBorder, borderExtra;
  } rows[] = {
      {"1", false, false, false}, {"2", false, true, false}, {"3", false, false, true},
      {"4", false, true, true},   {"5", true, false, false}, {"", true, false, false},
  };
  for (const auto& row : rows) {
    const ApplyOptions options = StoredApplyOptions(LayoutFromOptionCode(row.code), DesktopKind::kAnimatedBehindIcons);
    EXPECT_EQ(options.wallpaperNameCaption, "\"Mervalis\"");
    EXPECT_EQ(options.stretched, row.stretched) << row.code;
    EXPECT_EQ(options.showBorder, row.showBorder) << row.code;
    EXPECT_EQ(options.borderExtra, row.borderExtra) << row.code;
    EXPECT_TRUE(options.applyMode);
    EXPECT_EQ(options.desktop, DesktopKind::kAnimatedBehindIcons);
  }
}

}  // namespace
}  // namespace mervalis
