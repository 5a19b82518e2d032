#include "wallpaper/image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mervalis {

Rect Intersect(const Rect& a, const Rect& b) noexcept {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

Image Image::Unfilled(int width, int height) {
  if (width < 0 || height < 0) throw std::length_error("Image size out of range");
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
  const std::uint64_t bytes = kBmpHeadersSize + stride * static_cast<std::uint64_t>(height);
  // Rows are addressed with size_t and ptrdiff_t arithmetic.
  if (bytes > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) {
    throw std::length_error("Image size out of range");
  }
  Image image;
  image.width_ = width;
  image.height_ = height;
  image.stride_ = static_cast<std::size_t>(stride);
  image.storage_.resize(static_cast<std::size_t>(bytes));
#if defined(__SANITIZE_ADDRESS__)
  // Checked builds make pixels that nobody writes stand out in the tests.
  std::memset(image.storage_.data(), 0xCD, image.storage_.size());
#endif
  std::memset(image.storage_.data(), 0, kBmpHeadersSize);
  const std::size_t used = 3 * static_cast<std::size_t>(width);
  if (used != image.stride_) {
    for (int y = 0; y < height; ++y) std::memset(image.Row(y) + used, 0, image.stride_ - used);
  }
  return image;
}

Image::Image(int width, int height, Rgb fill) : Image(Unfilled(width, height)) {
  FillRect(*this, Bounds(), fill);
}

void FillRect(Image& image, const Rect& area, Rgb colour) noexcept {
  const Rect r = Intersect(area, image.Bounds());
  if (r.Empty()) return;
  if (colour == Rgb{} && r.left == 0 && r.right == image.Width()) {
    // Whole rows of black, padding included, lie in one block of zeros.
    std::memset(image.Row(r.bottom - 1), 0, image.Stride() * static_cast<std::size_t>(r.Height()));
    return;
  }
  const std::size_t count = static_cast<std::size_t>(r.Width()) * 3;
  // The first row is built pixel by pixel, the others are copies of it.
  std::uint8_t* first = image.Row(r.top) + 3 * static_cast<std::size_t>(r.left);
  for (std::size_t i = 0; i < count; i += 3) {
    first[i] = colour.b;
    first[i + 1] = colour.g;
    first[i + 2] = colour.r;
  }
  for (int y = r.top + 1; y < r.bottom; ++y) {
    std::memcpy(image.Row(y) + 3 * static_cast<std::size_t>(r.left), first, count);
  }
}

namespace {

// Interpolation weights are in 1/256, the weight of the second pixel below
// 256; a horizontally interpolated sample is a value times 256 (at most
// 255 * 256), which fits 16 bits.
constexpr int kWeightOne = 256;

// Where one destination column (or row) samples the source: two neighbouring
// source pixels, as byte offsets (columns) or indices (rows), and the weight
// of the second.
struct Tap {
  int first = 0;
  int second = 0;
  int weight = 0;
};

// Taps for destination positions [begin, begin + count) of a destination
// extent `dst` that shows a source extent `src`. Pixel centres are matched:
// destination position i shows source position (i + 0.5) * src / dst - 0.5,
// computed exactly in 16.16 fixed point; positions beyond the outer source
// pixel centres take the outer pixel (with weight 0 for the second).
std::vector<Tap> AxisTaps(int src, int dst, int begin, int count, int unit) {
  std::vector<Tap> taps(static_cast<std::size_t>(count));
  const std::int64_t denominator = 2 * static_cast<std::int64_t>(dst);
  for (int k = 0; k < count; ++k) {
    const std::int64_t i = begin + k;
    const std::int64_t pos = (2 * i + 1) * src * 65536 / denominator - 32768;
    Tap tap;
    const auto index = static_cast<int>(pos >> 16);
    if (pos <= 0) {
      tap.second = src > 1 ? 1 : 0;
    } else if (index >= src - 1) {
      tap.first = tap.second = src - 1;
    } else {
      tap.first = index;
      tap.second = index + 1;
      tap.weight = static_cast<int>((pos & 0xFFFF) >> 8);
    }
    tap.first *= unit;
    tap.second *= unit;
    taps[static_cast<std::size_t>(k)] = tap;
  }
  return taps;
}

// The destination columns' taps, as byte offsets into a source row.
struct Columns {
  Columns(int src, int dst, int begin, int count) : taps(AxisTaps(src, dst, begin, count, 3)) {
#if defined(__SSE2__)
    // The vector code loads 8 bytes from the first pixel on, which must stay
    // inside the row, and takes the second pixel as the next one.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(src);
    while (vectorCount < taps.size()) {
      const Tap& tap = taps[vectorCount];
      if (tap.second != tap.first + 3 || static_cast<std::size_t>(tap.first) + 8 > rowBytes) break;
      const auto wb = static_cast<std::int16_t>(tap.weight);
      const auto wa = static_cast<std::int16_t>(kWeightOne - tap.weight);
      weights.push_back({{wa, wa, wa, wb, wb, wb, 0, 0}});
      offsets.push_back(tap.first);
      ++vectorCount;
    }
#endif
  }

  std::vector<Tap> taps;
  std::size_t vectorCount = 0;  // leading taps that the vector code takes
#if defined(__SSE2__)
  // Per vector tap: the first pixel's weight for its B, G, R lanes, then the
  // second's.
  struct alignas(16) Weights {
    std::int16_t lanes[8];
  };
  std::vector<Weights> weights;
  std::vector<std::int32_t> offsets;  // per vector tap: the first pixel's byte offset
#endif
};

// One source row interpolated across the destination columns, each sample
// times 256. Writes one sample beyond the row's end.
void InterpolateRow(const std::uint8_t* source, const Columns& columns,
                    std::uint16_t* out) noexcept {
  std::size_t k = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const Columns::Weights* weights = columns.weights.data();
  const std::int32_t* offsets = columns.offsets.data();
  const std::size_t vectorCount = columns.vectorCount;
  for (; k < vectorCount; ++k) {
    // B G R of both pixels (and two bytes more) widened to 16 bits, weighted,
    // and the second pixel's three lanes added onto the first's.
    const __m128i pixels = _mm_unpacklo_epi8(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + offsets[k])), zero);
    const __m128i weighted =
        _mm_mullo_epi16(pixels, _mm_load_si128(reinterpret_cast<const __m128i*>(weights[k].lanes)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * k),
                     _mm_add_epi16(weighted, _mm_srli_si128(weighted, 6)));
  }
#endif
  for (; k < columns.taps.size(); ++k) {
    const Tap& tap = columns.taps[k];
    const std::uint8_t* a = source + tap.first;
    const std::uint8_t* b = source + tap.second;
    const int wb = tap.weight;
    const int wa = kWeightOne - wb;
    std::uint16_t* o = out + 3 * k;
    o[0] = static_cast<std::uint16_t>(a[0] * wa + b[0] * wb);
    o[1] = static_cast<std::uint16_t>(a[1] * wa + b[1] * wb);
    o[2] = static_cast<std::uint16_t>(a[2] * wa + b[2] * wb);
  }
}

// The last two interpolated source rows. Moving down the destination, each
// source row is interpolated once however many destination rows use it.
class RowCache {
 public:
  RowCache(const Image& source, const Columns& columns) : source_(source), columns_(columns) {
    for (auto& slot : slots_) slot.samples.resize(columns.taps.size() * 3 + 1);
  }

  // The interpolated row `y`; `keep` is a row pointer the caller still holds.
  const std::uint16_t* Get(int y, const std::uint16_t* keep) {
    for (auto& slot : slots_) {
      if (slot.row == y) return slot.samples.data();
    }
    Slot& slot = slots_[0].samples.data() == keep ? slots_[1] : slots_[0];
    InterpolateRow(source_.Row(y), columns_, slot.samples.data());
    slot.row = y;
    return slot.samples.data();
  }

 private:
  struct Slot {
    int row = -1;
    std::vector<std::uint16_t> samples;
  };
  const Image& source_;
  const Columns& columns_;
  Slot slots_[2];
};

// Weighted sum of two interpolated rows, rounded back to 8 bits. Each product
// is truncated on its own, so that the vector code below computes exactly
// the same with 16-bit high-half multiplications.
inline std::uint8_t Blend(std::uint32_t a, std::uint32_t b, std::uint32_t wa,
                          std::uint32_t wb) noexcept {
  return static_cast<std::uint8_t>((((a * wa) >> 8) + ((b * wb) >> 8) + 128) >> 8);
}

#if defined(__SSE2__)
// Vectors of 16 output bytes. (x * w) >> 8 is the high half of x * (w << 8),
// where both factors fit 16 bits.
template <bool kStream>
std::size_t BlendVectors(const std::uint16_t* a, const std::uint16_t* b, std::uint32_t wa,
                         std::uint32_t wb, std::size_t i, std::size_t count,
                         std::uint8_t* out) noexcept {
  const auto store = [out](std::size_t at, __m128i value) {
    if constexpr (kStream) {
      _mm_stream_si128(reinterpret_cast<__m128i*>(out + at), value);
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), value);
    }
  };
  const __m128i half = _mm_set1_epi16(128);
  if (wb == 0) {
    for (; i + 16 <= count; i += 16) {
      const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
      const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 8));
      store(i, _mm_packus_epi16(_mm_srli_epi16(_mm_add_epi16(lo, half), 8),
                                _mm_srli_epi16(_mm_add_epi16(hi, half), 8)));
    }
    return i;
  }
  const __m128i fa = _mm_set1_epi16(static_cast<short>(wa << 8));
  const __m128i fb = _mm_set1_epi16(static_cast<short>(wb << 8));
  const auto blend8 = [&](std::size_t at) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
    const __m128i sum = _mm_add_epi16(_mm_mulhi_epu16(x, fa), _mm_mulhi_epu16(y, fb));
    return _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
  };
  for (; i + 16 <= count; i += 16) store(i, _mm_packus_epi16(blend8(i), blend8(i + 8)));
  return i;
}

// Rows at least this long are stored past the cache: a screen-sized picture
// is far larger than any cache and is not read again while it is drawn.
// Short pieces (the frame's side bands) are faster through the cache.
constexpr std::size_t kStreamRowBytes = 4096;
#endif

void BlendRows(const std::uint16_t* a, const std::uint16_t* b, int weight, std::size_t count,
               std::uint8_t* out) noexcept {
  const auto wb = static_cast<std::uint32_t>(weight);
  const std::uint32_t wa = kWeightOne - wb;
  std::size_t i = 0;
#if defined(__SSE2__)
  if (count >= kStreamRowBytes) {
    // Streaming needs aligned vectors: up to the first 16-byte boundary one by one.
    const std::size_t head = (16 - (reinterpret_cast<std::uintptr_t>(out) & 15)) & 15;
    for (; i < head; ++i) out[i] = Blend(a[i], b[i], wa, wb);
    i = BlendVectors<true>(a, b, wa, wb, i, count, out);
  } else {
    i = BlendVectors<false>(a, b, wa, wb, i, count, out);
  }
#endif
  for (; i < count; ++i) out[i] = Blend(a[i], b[i], wa, wb);
}

}  // namespace

void DrawScaled(Image& image, const Rect& target, const Image& source, const Rect& clip) {
  if (source.Empty() || target.Empty()) return;
  const Rect area = Intersect(Intersect(target, clip), image.Bounds());
  if (area.Empty()) return;

  const Columns columns(source.Width(), target.Width(), area.left - target.left, area.Width());
  const std::vector<Tap> rows =
      AxisTaps(source.Height(), target.Height(), area.top - target.top, area.Height(), 1);
  RowCache cache(source, columns);
  const std::size_t count = columns.taps.size() * 3;
  for (int k = 0; k < area.Height(); ++k) {
    const Tap& tap = rows[static_cast<std::size_t>(k)];
    const std::uint16_t* a = cache.Get(tap.first, nullptr);
    // A zero weight needs no second row: the blend then reads `a` twice.
    const std::uint16_t* b = tap.weight ? cache.Get(tap.second, a) : a;
    BlendRows(a, b, tap.weight, count,
              image.Row(area.top + k) + 3 * static_cast<std::size_t>(area.left));
  }
#if defined(__SSE2__)
  _mm_sfence();  // the streamed stores are visible before anything else reads the image
#endif
}

void DrawTransparent(Image& image, int x, int y, const Image& source) noexcept {
  if (source.Empty()) return;
  const Rect area = Intersect({x, y, x + source.Width(), y + source.Height()}, image.Bounds());
  if (area.Empty()) return;
  const Rgb key = source.Pixel(0, source.Height() - 1);
  for (int dy = area.top; dy < area.bottom; ++dy) {
    for (int dx = area.left; dx < area.right; ++dx) {
      const Rgb colour = source.Pixel(dx - x, dy - y);
      if (colour != key) image.SetPixel(dx, dy, colour);
    }
  }
}

}  // namespace mervalis
