#include "ui/option_code.h"

#include "desktop/stored_layout.h"
#include "ui/stored_apply_options.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

TEST(OptionCode, OnlyTheFiveCodesAreTakenFromTheRegistry) {
  const struct {
    const char* text;
    bool code;
  } rows[] = {
      {"1", true}, {"4", true}, {"5", true}, {"0", false}, {"6", false}, {"", false}, {"12", false}, {" 5", false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsOptionCode(row.text), row.code) << '"' << row.text << '"';
}

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
    const ApplyOptions options =
        StoredApplyOptions(desktop::LayoutFromOptionCode(row.code), DesktopKind::kAnimatedBehindIcons);
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
