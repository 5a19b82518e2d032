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
  // Mostly small pictures, whose rows a short input can hold; sometimes any
  // size, up to those whose rows would wrap round a 32-bit size.
  const bool any = in.ConsumeIntegralInRange(0, 7) == 0;
  const int width = any ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange(1, 40);
  const int height = any ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange(1, 40);
  std::uint32_t pieces = in.ConsumeIntegral<std::uint32_t>();
  const std::vector<std::uint8_t> file = in.ConsumeRemainingBytes<std::uint8_t>();

  const std::uint64_t rowBytes = std::uint64_t(std::max(width, 0)) * 3;
  const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
  const bool fits = width > 0 && height > 0 && stride * std::uint64_t(height) <= 0xFFFFFFFFu - 54;
  // Rows are recorded only for the small pictures.
  const std::size_t kept = fits && !any ? static_cast<std::size_t>(height) : 0;
  std::vector<std::vector<std::uint8_t>> rows(kept);
  std::vector<int> times(kept, 0);
  std::uint64_t delivered = 0;
  // A size the format allows keeps a row in memory: past 64 MiB a row is more
  // than a test may take, and no screen has it.
  if (fits && stride > (std::uint64_t{1} << 26)) return 0;
  mervalis::Bmp24RowReader reader(width, height, [&](int y, std::span<const std::uint8_t> bgr) {
    FUZZ_CHECK(y >= 0 && y < height);
    FUZZ_CHECK(bgr.size() == rowBytes);
    ++delivered;
    if (static_cast<std::size_t>(y) < kept) {
      FUZZ_CHECK(++times[static_cast<std::size_t>(y)] == 1);
      rows[static_cast<std::size_t>(y)].assign(bgr.begin(), bgr.end());
    }
  });
  bool accepted = reader.Feed({});
  for (std::size_t at = 0; at < file.size() && accepted;) {
    pieces = pieces * 1664525u + 1013904223u;
    const std::size_t n = std::min<std::size_t>(1 + (pieces >> 16) % 97, file.size() - at);
    accepted = reader.Feed(std::span<const std::uint8_t>(file.data() + at, n));
    at += n;
  }

  if (!fits) FUZZ_CHECK(!accepted && delivered == 0 && !reader.Complete());
  if (!fits || any) return 0;
  // The same file read whole, by the format's own description.
  const bool headersFit = file.size() >= 54 && file[0] == 'B' && file[1] == 'M' && Le(file, 10, 4) == 54 &&
                          Le(file, 14, 4) == 40 && Le(file, 18, 4) == static_cast<std::uint32_t>(width) &&
                          (static_cast<std::int32_t>(Le(file, 22, 4)) == height ||
                           static_cast<std::int32_t>(Le(file, 22, 4)) == -height) &&
                          Le(file, 26, 2) == 1 && Le(file, 28, 2) == 24 && Le(file, 30, 4) == 0;
  if (file.size() >= 54) FUZZ_CHECK(accepted == headersFit);
  const bool topDown = headersFit && static_cast<std::int32_t>(Le(file, 22, 4)) < 0;
  const std::size_t whole =
      headersFit ? std::min<std::size_t>(kept, (file.size() - 54) / static_cast<std::size_t>(stride)) : 0;
  FUZZ_CHECK(reader.Complete() == (whole == kept));
  for (std::size_t k = 0; k < kept; ++k) {
    const std::size_t y = topDown ? k : kept - 1 - k;
    FUZZ_CHECK(times[y] == (k < whole ? 1 : 0));
    if (k < whole) {
      const auto from = file.begin() + static_cast<std::ptrdiff_t>(54 + k * stride);
      FUZZ_CHECK(std::equal(rows[y].begin(), rows[y].end(), from, from + static_cast<std::ptrdiff_t>(rowBytes)));
    }
  }
  return 0;
}
