// Checks shared by the tests of the background bitmap.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "wine/support.h"

namespace wallpaper_test {

// A 24-bit, bottom-up, uncompressed BMP file of the screen's size.
inline void ExpectScreenSizedBitmap(const std::string& file) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(wine_test::Read32(file, 2), file.size());
  EXPECT_EQ(wine_test::Read32(file, 10), 54u);
  EXPECT_EQ(wine_test::Read32(file, 14), 40u);
  EXPECT_EQ(wine_test::Read32(file, 18), static_cast<std::uint32_t>(width));
  EXPECT_EQ(wine_test::Read32(file, 22), static_cast<std::uint32_t>(height));  // positive: bottom-up
  EXPECT_EQ(wine_test::Read32(file, 26), 1u | 24u << 16);                      // one plane, 24 bits
  EXPECT_EQ(wine_test::Read32(file, 30), 0u);                                  // uncompressed
  EXPECT_EQ(file.size(), 54 + stride * height);
}

}  // namespace wallpaper_test
