#include "common/pixel_code.h"

#include "common/vector_code.h"
#if defined(MERVALIS_SSE2_CODE)
#include <cpuid.h>
#endif

namespace mervalis {

namespace {

bool ProcessorHasSse2() noexcept {
#if defined(MERVALIS_SSE2_CODE)
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
#else
  return false;
#endif
}

bool forcePlain = false;

bool UseSse2() noexcept {
  static const bool present = ProcessorHasSse2();
  return present && !forcePlain;
}

}  // namespace

PixelCode ActivePixelCode() noexcept { return UseSse2() ? PixelCode::Sse2 : PixelCode::Plain; }

void ForcePlainPixelCode(bool plain) noexcept { forcePlain = plain; }

}  // namespace mervalis
