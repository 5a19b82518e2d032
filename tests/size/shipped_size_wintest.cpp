// The shipped files stay small: the program carries everything it installs,
// the control among it, and is downloaded whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "wine/support.h"

namespace {

// -1 when the file cannot be read.
std::int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST(ShippedSize, ProgramWithItsPayloadIsAtMostOneMebibyte) {
  const std::int64_t size = FileSize(wine_test::BinFolder() + "Mervalis.exe");
  ASSERT_GT(size, 0);
  EXPECT_LE(size, 1048576);
}

TEST(ShippedSize, RuntimeControlIsAtMost64Kibibytes) {
  const std::int64_t size = FileSize(wine_test::BinFolder() + "quorvanexrun.ocx");
  ASSERT_GT(size, 0);
  EXPECT_LE(size, 65536);
}

}  // namespace
