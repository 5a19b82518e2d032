#include "wallpaper/image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/vector_code.h"

namespace mervalis {

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
  image.capacity_ = height;
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

void Image::SetHeightWithinCapacity(int height) noexcept {
  height_ = std::clamp(height, 0, capacity_);
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
  Columns(int src, int dst, int begin, int count, bool vector)
      : taps(AxisTaps(src, dst, begin, count, 3)) {
    if (!vector) return;
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
  }

  std::vector<Tap> taps;
  std::size_t vectorCount = 0;  // leading taps that the vector code takes
  // Per vector tap: the first pixel's weight for its B, G, R lanes, then the
  // second's.
  struct Weights {
    std::int16_t lanes[8];
  };
  std::vector<Weights> weights;
  std::vector<std::int32_t> offsets;  // per vector tap: the first pixel's byte offset
};

// Taps from `from` on, one by one.
void InterpolatePlain(const std::uint8_t* source, const Columns& columns, std::size_t from,
                      std::uint16_t* out) noexcept {
  for (std::size_t k = from; k < columns.taps.size(); ++k) {
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

#if defined(MERVALIS_SSE2_CODE)
// The leading vector taps, then the rest one by one.
MERVALIS_SSE2 void InterpolateSse2(const std::uint8_t* source, const Columns& columns,
                                   std::uint16_t* out) noexcept {
  const __m128i zero = _mm_setzero_si128();
  const Columns::Weights* weights = columns.weights.data();
  const std::int32_t* offsets = columns.offsets.data();
  const std::size_t vectorCount = columns.vectorCount;
  for (std::size_t k = 0; k < vectorCount; ++k) {
    // B G R of both pixels (and two bytes more) widened to 16 bits, weighted,
    // and the second pixel's three lanes added onto the first's.
    const __m128i pixels = _mm_unpacklo_epi8(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + offsets[k])), zero);
    // Unaligned load: 32-bit Windows' heap aligns blocks to 8 bytes only,
    // whatever the type asks for.
    const __m128i weighted = _mm_mullo_epi16(
        pixels, _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights[k].lanes)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * k),
                     _mm_add_epi16(weighted, _mm_srli_si128(weighted, 6)));
  }
  InterpolatePlain(source, columns, vectorCount, out);
}
#endif

// One source row interpolated across the destination columns, each sample
// times 256. Writes one sample beyond the row's end.
void InterpolateRow(const std::uint8_t* source, const Columns& columns, bool vector,
                    std::uint16_t* out) noexcept {
#if defined(MERVALIS_SSE2_CODE)
  if (vector) return InterpolateSse2(source, columns, out);
#endif
  (void)vector;
  InterpolatePlain(source, columns, 0, out);
}

// Weighted sum of two interpolated rows, rounded back to 8 bits. Each product
// is truncated on its own, so that the vector code below computes exactly
// the same with 16-bit high-half multiplications.
inline std::uint8_t Blend(std::uint32_t a, std::uint32_t b, std::uint32_t wa,
                          std::uint32_t wb) noexcept {
  return static_cast<std::uint8_t>((((a * wa) >> 8) + ((b * wb) >> 8) + 128) >> 8);
}

#if defined(MERVALIS_SSE2_CODE)
// Eight interpolated samples blended: (x * w) >> 8 is the high half of
// x * (w << 8), where both factors fit 16 bits.
MERVALIS_SSE2 inline __m128i Blend8(const std::uint16_t* a, const std::uint16_t* b, __m128i fa,
                                    __m128i fb, __m128i half) noexcept {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
  const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
  const __m128i sum = _mm_add_epi16(_mm_mulhi_epu16(x, fa), _mm_mulhi_epu16(y, fb));
  return _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
}

// Vectors of 16 output bytes; returns where the plain code goes on.
MERVALIS_SSE2 std::size_t BlendSse2(const std::uint16_t* a, const std::uint16_t* b,
                                    std::uint32_t wa, std::uint32_t wb, std::size_t count,
                                    std::uint8_t* out) noexcept {
  std::size_t i = 0;
  const __m128i half = _mm_set1_epi16(128);
  if (wb == 0) {
    for (; i + 16 <= count; i += 16) {
      const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
      const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 8));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                       _mm_packus_epi16(_mm_srli_epi16(_mm_add_epi16(lo, half), 8),
                                        _mm_srli_epi16(_mm_add_epi16(hi, half), 8)));
    }
    return i;
  }
  const __m128i fa = _mm_set1_epi16(static_cast<short>(wa << 8));
  const __m128i fb = _mm_set1_epi16(static_cast<short>(wb << 8));
  for (; i + 16 <= count; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(Blend8(a + i, b + i, fa, fb, half),
                                      Blend8(a + i + 8, b + i + 8, fa, fb, half)));
  }
  return i;
}
#endif

void BlendRows(const std::uint16_t* a, const std::uint16_t* b, int weight, std::size_t count,
               bool vector, std::uint8_t* out) noexcept {
  const auto wb = static_cast<std::uint32_t>(weight);
  const std::uint32_t wa = kWeightOne - wb;
  std::size_t i = 0;
#if defined(MERVALIS_SSE2_CODE)
  if (vector) i = BlendSse2(a, b, wa, wb, count, out);
#endif
  (void)vector;
  for (; i < count; ++i) out[i] = Blend(a[i], b[i], wa, wb);
}

}  // namespace

struct ScaledDrawing::State {
  State(int width, int height, RowSource picture, const Rect& place, const Rect& visible)
      : source(std::move(picture)),
        target(place),
        area(Intersect(place, visible)),
        straight(width == place.Width() && height == place.Height()),
        vector(ActivePixelCode() == PixelCode::Sse2),
        columns(straight || area.Empty() ? Columns(1, 1, 0, 0, false)
                                         : Columns(width, place.Width(), area.left - place.left, area.Width(),
                                                   vector)) {
    if (straight || area.Empty()) return;
    rows = AxisTaps(height, place.Height(), area.top - place.top, area.Height(), 1);
    for (auto& slot : slots) slot.samples.resize(columns.taps.size() * 3 + 1);
  }

  // The interpolated source row `y`; `other` is the row the caller needs
  // beside it (-1 for none), which stays. The last two rows are kept, so
  // that going down or up each source row is interpolated once.
  const std::uint16_t* Interpolated(int y, int other) {
    for (auto& slot : slots) {
      if (slot.row == y) return slot.samples.data();
    }
    Slot& slot = slots[0].row == other ? slots[1] : slots[0];
    InterpolateRow(source(y), columns, vector, slot.samples.data());
    slot.row = y;
    return slot.samples.data();
  }

  void DrawRow(int y, std::uint8_t* out) {
    if (straight) {
      std::memcpy(out, source(y - target.top) + 3 * static_cast<std::size_t>(area.left - target.left),
                  3 * static_cast<std::size_t>(area.Width()));
      return;
    }
    const Tap& tap = rows[static_cast<std::size_t>(y - area.top)];
    // A zero weight needs no second row: the blend then reads `a` twice.
    const std::uint16_t* a = Interpolated(tap.first, tap.weight ? tap.second : -1);
    const std::uint16_t* b = tap.weight ? Interpolated(tap.second, tap.first) : a;
    BlendRows(a, b, tap.weight, columns.taps.size() * 3, vector, out);
  }

  struct Slot {
    int row = -1;
    std::vector<std::uint16_t> samples;
  };
  RowSource source;
  Rect target;
  Rect area;  // what is drawn, in the whole picture's coordinates
  bool straight;
  bool vector;
  Columns columns;
  std::vector<Tap> rows;
  Slot slots[2];
  int lastTop = -1;  // where the previous band began
};

ScaledDrawing::ScaledDrawing(const Image& source, const Rect& target, const Rect& clip)
    : ScaledDrawing(source.Width(), source.Height(), [&source](int y) { return source.Row(y); }, target, clip) {}
ScaledDrawing::ScaledDrawing(int width, int height, RowSource rows, const Rect& target, const Rect& clip)
    : state_(std::make_unique<State>(width, height, std::move(rows), width > 0 && height > 0 ? target : Rect{},
                                     clip)) {}
ScaledDrawing::ScaledDrawing(ScaledDrawing&&) noexcept = default;
ScaledDrawing& ScaledDrawing::operator=(ScaledDrawing&&) noexcept = default;
ScaledDrawing::~ScaledDrawing() = default;

Rect ScaledDrawing::Area() const noexcept { return state_->area; }

void ScaledDrawing::Draw(Image& band, int top) {
  State& s = *state_;
  const int first = std::max(s.area.top, top);
  const int end = std::min({s.area.bottom, top + band.Height()});
  const int left = std::max(s.area.left, 0);
  if (first >= end || s.area.Empty() || left != s.area.left || s.area.right > band.Width()) {
    // Nothing here, or a drawing that leaves the band's sides: the sides
    // are the caller's to clip, through `clip`.
    return;
  }
  // Following the bands' direction, each source row is interpolated once.
  const bool upward = s.lastTop >= 0 && top < s.lastTop;
  s.lastTop = top;
  const std::size_t offset = 3 * static_cast<std::size_t>(s.area.left);
  if (upward) {
    for (int y = end - 1; y >= first; --y) s.DrawRow(y, band.Row(y - top) + offset);
  } else {
    for (int y = first; y < end; ++y) s.DrawRow(y, band.Row(y - top) + offset);
  }
}

void DrawScaled(Image& image, const Rect& target, const Image& source, const Rect& clip) {
  if (source.Empty() || target.Empty()) return;
  ScaledDrawing drawing(source, target, Intersect(clip, image.Bounds()));
  drawing.Draw(image, 0);
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
