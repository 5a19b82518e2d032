// The background's row reader fed a file in random pieces: each row comes
// once, as the file holds it, and the reading is complete only when every
// row came; a file whose headers are not of the expected form is refused.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "wallpaper/bmp_file.h"

namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int width = in.ConsumeIntegralInRange(1, 40);
  const int height = in.ConsumeIntegralInRange(1, 40);
  std::uint32_t pieces = in.ConsumeIntegral<std::uint32_t>();
  const std::vector<std::uint8_t> file = in.ConsumeRemainingBytes<std::uint8_t>();

  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(height));
  std::vector<int> times(static_cast<std::size_t>(height), 0);
  mervalis::Bmp24RowReader reader(width, height, [&](int y, std::span<const std::uint8_t> bgr) {
    FUZZ_CHECK(y >= 0 && y < height);
    FUZZ_CHECK(bgr.size() == rowBytes);
    FUZZ_CHECK(++times[static_cast<std::size_t>(y)] == 1);
    rows[static_cast<std::size_t>(y)].assign(bgr.begin(), bgr.end());
  });
  bool accepted = true;
  for (std::size_t at = 0; at < file.size() && accepted;) {
    pieces = pieces * 1664525u + 1013904223u;
    const std::size_t n = std::min<std::size_t>(1 + (pieces >> 16) % 97, file.size() - at);
    accepted = reader.Feed(std::span<const std::uint8_t>(file.data() + at, n));
    at += n;
  }

  // The same file read whole, by the format's own description.
  const bool headersFit = file.size() >= 54 && file[0] == 'B' && file[1] == 'M' && Le(file, 10, 4) == 54 &&
                          Le(file, 14, 4) == 40 && Le(file, 18, 4) == static_cast<std::uint32_t>(width) &&
                          (static_cast<std::int32_t>(Le(file, 22, 4)) == height ||
                           static_cast<std::int32_t>(Le(file, 22, 4)) == -height) &&
                          Le(file, 26, 2) == 1 && Le(file, 28, 2) == 24 && Le(file, 30, 4) == 0;
  if (file.size() >= 54) FUZZ_CHECK(accepted == headersFit);
  const bool topDown = headersFit && static_cast<std::int32_t>(Le(file, 22, 4)) < 0;
  const std::size_t whole =
      headersFit ? std::min<std::size_t>(static_cast<std::size_t>(height), (file.size() - 54) / stride) : 0;
  FUZZ_CHECK(reader.Complete() == (whole == static_cast<std::size_t>(height)));
  for (std::size_t k = 0; k < static_cast<std::size_t>(height); ++k) {
    const std::size_t y = topDown ? k : static_cast<std::size_t>(height) - 1 - k;
    FUZZ_CHECK(times[y] == (k < whole ? 1 : 0));
    if (k < whole) {
      const auto from = file.begin() + static_cast<std::ptrdiff_t>(54 + k * stride);
      FUZZ_CHECK(std::equal(rows[y].begin(), rows[y].end(), from, from + static_cast<std::ptrdiff_t>(rowBytes)));
    }
  }
  return 0;
}
