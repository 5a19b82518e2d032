#include "common/stored_options.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

// Only the five codes are taken from the registry; anything else reads as
// the installer's default, stretched.
TEST(OptionCode, TheFiveCodesAndWhatIsNotOne) {
  struct Row {
    const char* text;
    bool code;
    StoredLayout layout;
  };
  const Row rows[] = {
      {"1", true, {false, false, false}}, {"2", true, {false, true, false}},  {"3", true, {false, false, true}},
      {"4", true, {false, true, true}},   {"5", true, {true, false, false}},  {"", false, {true, false, false}},
      {"0", false, {true, false, false}}, {"6", false, {true, false, false}}, {"12", false, {true, false, false}},
      {" 2", false, {true, false, false}}, {" 5", false, {true, false, false}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(IsOptionCode(r.text), r.code);
    EXPECT_EQ(LayoutFromOptionCode(r.text), r.layout);
  }
}

}  // namespace
}  // namespace mervalis
