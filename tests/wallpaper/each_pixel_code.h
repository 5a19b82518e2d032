// Tests that run once with each pixel code: the vector code where the
// processor has it, and the plain code forced. A suite derives from
// EachPixelCode and is instantiated with INSTANTIATE_FOR_EACH_PIXEL_CODE.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "wallpaper/image.h"

namespace mervalis {

class EachPixelCode : public testing::TestWithParam<PixelCode> {
 protected:
  void SetUp() override { ForcePlainPixelCode(GetParam() == PixelCode::Plain); }
  void TearDown() override { ForcePlainPixelCode(false); }
};

inline std::string PixelCodeName(const testing::TestParamInfo<PixelCode>& info) {
  return info.param == PixelCode::Plain ? "Plain" : "Sse2";
}

}  // namespace mervalis

#define INSTANTIATE_FOR_EACH_PIXEL_CODE(suite)                                                              \
  INSTANTIATE_TEST_SUITE_P(PixelCodes, suite,                                                               \
                           testing::Values(::mervalis::PixelCode::Sse2, ::mervalis::PixelCode::Plain), \
                           ::mervalis::PixelCodeName)
