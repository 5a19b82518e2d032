#include "common/stored_options.h"

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

TEST(LayoutFromOptionCode, EveryCodeAndWhatIsNotOne) {
  struct Row {
    const char* code;
    StoredLayout expected;
  };
  const Row rows[] = {
      {"1", {false, false, false}}, {"2", {false, true, false}}, {"3", {false, false, true}},
      {"4", {false, true, true}},   {"5", {true, false, false}}, {"", {true, false, false}},
      {"0", {true, false, false}},  {"6", {true, false, false}}, {"12", {true, false, false}},
      {" 2", {true, false, false}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    EXPECT_EQ(LayoutFromOptionCode(r.code), r.expected);
  }
}

}  // namespace
}  // namespace mervalis
