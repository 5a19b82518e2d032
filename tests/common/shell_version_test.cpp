#include "common/shell_version.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

struct VersionCase {
  unsigned long major;
  unsigned long minor;
  bool passes;
};

constexpr VersionCase kVersions[] = {
    {4, 71, true},  {4, 72, true},  {5, 0, true},   {6, 0, true},  {5, 50, true},
    {4, 8, true},   // minor 8 reads as .8
    {4, 0, false},  {4, 70, false}, {4, 100, false},  // minor 100 reads as .1
    {4, 7, false},  {4, 710, true},  {4, 709, false}, {3, 99, false}, {0, 0, false},
};

// The text is written and read with the locale's separator, so the answers
// never depend on it. A reading that puts one separator in the text and looks
// for another ("4,71" read as 4, "4.71" refused), or glues the numbers
// together where the locale gave none ("40" for 4.0), fails here.
TEST(ShellVersion, MinorIsReadAsTheDigitsAfterTheSeparatorWhateverTheSeparator) {
  for (const char* separator : {".", ",", "", " ", "::"}) {
    for (const VersionCase& c : kVersions) {
      SCOPED_TRACE(testing::Message() << c.major << "'" << separator << "'" << c.minor);
      EXPECT_EQ(IsShellVersionHighEnough(c.major, c.minor, separator), c.passes);
    }
  }
}

TEST(ShellVersion, ValueIsTheDecimalReading) {
  EXPECT_DOUBLE_EQ(ShellVersionValue(4, 71, ","), 4.71);
  EXPECT_DOUBLE_EQ(ShellVersionValue(4, 100, "."), 4.1);
  EXPECT_DOUBLE_EQ(ShellVersionValue(4, 8, ","), 4.8);
  EXPECT_DOUBLE_EQ(ShellVersionValue(6, 0, "."), 6.0);
  // Leading zeros of the minor number are not there to read: 4.05 comes out
  // as minor 5, which is 4.5.
  EXPECT_DOUBLE_EQ(ShellVersionValue(4, 5, "."), 4.5);
  // The largest numbers the version record can hold still read as one number.
  EXPECT_DOUBLE_EQ(ShellVersionValue(4294967295UL, 4294967295UL, ","), 4294967295.4294967295);
}

TEST(ShellVersion, ExactThresholdPassesAsADouble) {
  // 4.71 read from text is the same double as the constant, not one below it.
  EXPECT_TRUE(IsShellVersionHighEnough(4, 71, "."));
  EXPECT_FALSE(IsShellVersionHighEnough(4, 709, "."));
  EXPECT_TRUE(IsShellVersionHighEnough(4, 7100001, ","));
}

}  // namespace
}  // namespace mervalis
