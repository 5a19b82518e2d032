// Which code draws the pixels: the plain code, or the vector code where the
// processor has it.
#pragma once

namespace mervalis {

// The pixel code in use. The vector code (SSE2) runs where the processor has
// it; both give the same pixels. Chosen by the processor on first use.
enum class PixelCode { Plain, Sse2 };
[[nodiscard]] PixelCode ActivePixelCode() noexcept;
// True makes the plain code run even where SSE2 is present (for the tests,
// which check both); false goes back to the processor's choice.
void ForcePlainPixelCode(bool plain) noexcept;

}  // namespace mervalis
