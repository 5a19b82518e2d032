#include "ui/option_code.h"

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

}  // namespace
}  // namespace mervalis
