// The vector code is compiled into every x86 build, whatever the build's
// baseline (the 32-bit Windows build assumes no SSE2), function by function,
// and chosen at run time by the processor (see ActivePixelCode).
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#define MERVALIS_SSE2_CODE 1
#include <emmintrin.h>
#define MERVALIS_SSE2 __attribute__((target("sse2")))
#endif
