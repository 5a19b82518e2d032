#include "desktop/renderer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include "common/pixel_code.h"
#include "common/vector_code.h"
#include "desktop/frames.h"
#include "desktop/placement.h"

namespace mervalis::desktop {
namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

bool IsFish(Picture picture) noexcept {
  switch (picture) {
    case Picture::kBubble1Png:
    case Picture::kBubble2Png:
    case Picture::kBubble1Gif:
    case Picture::kBubble2Gif:
      return false;
    default:
      return true;
  }
}

// The box of the pixels that are not clear.
Rect InkedBox(const Frame& frame) noexcept {
  Rect box{frame.width, frame.height, 0, 0};
  for (int y = 0; y < frame.height; ++y) {
    const std::uint32_t* row = frame.bgra.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width);
    for (int x = 0; x < frame.width; ++x) {
      if ((row[x] >> 24) == 0) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    }
  }
  return box.Empty() ? Rect{} : box;
}

long long Area(const Rect& r) noexcept { return r.Empty() ? 0 : static_cast<long long>(r.Width()) * r.Height(); }

Rect Bounding(const Rect& a, const Rect& b) noexcept {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

// 1-2-1 along one line of count samples, stride apart, edges clamped.
void SoftenLine(std::uint32_t* p, int count, int stride, std::vector<std::uint32_t>& line) {
  line.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) line[static_cast<std::size_t>(i)] = p[static_cast<std::ptrdiff_t>(i) * stride];
  for (int i = 0; i < count; ++i) {
    const std::uint32_t before = line[static_cast<std::size_t>(std::max(i - 1, 0))];
    const std::uint32_t self = line[static_cast<std::size_t>(i)];
    const std::uint32_t after = line[static_cast<std::size_t>(std::min(i + 1, count - 1))];
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const std::uint32_t sum = ((before >> shift) & 0xFF) + 2 * ((self >> shift) & 0xFF) + ((after >> shift) & 0xFF);
      out |= ((sum + 2) >> 2) << shift;
    }
    p[static_cast<std::ptrdiff_t>(i) * stride] = out;
  }
}

// `count` premultiplied pixels of src over dst: opaque ones replace, clear
// ones leave dst as it is, the rest blend.
void OverRowPlain(std::uint32_t* dst, const std::uint32_t* src, int count) noexcept {
  for (int x = 0; x < count; ++x, ++src, ++dst) {
    const std::uint32_t alpha = *src >> 24;
    if (alpha == 255) {
      *dst = *src;
    } else if (alpha != 0) {
      *dst = BlendOver(*dst, *src);
    }
  }
}

#if defined(MERVALIS_SSE2_CODE)
// The same four pixels at a time, with the same arithmetic as BlendOver in
// 16-bit lanes; a group that is all opaque or all clear is copied or left.
MERVALIS_SSE2 void OverRowSse2(std::uint32_t* dst, const std::uint32_t* src, int count) noexcept {
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi32(255);
  const __m128i half = _mm_set1_epi16(128);
  int x = 0;
  for (; x + 4 <= count; x += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    const __m128i alpha = _mm_and_si128(s, alphaBits);
    const __m128i clear = _mm_cmpeq_epi32(alpha, zero);
    const int opaqueMask = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaBits));
    const int clearMask = _mm_movemask_epi8(clear);
    if (opaqueMask == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), s);
      continue;
    }
    if (clearMask == 0xFFFF) continue;
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
    __m128i inverse = _mm_sub_epi32(full, _mm_srli_epi32(s, 24));
    inverse = _mm_or_si128(inverse, _mm_slli_epi32(inverse, 16));  // in both 16-bit halves
    const __m128i inverseLow = _mm_unpacklo_epi32(inverse, inverse);
    const __m128i inverseHigh = _mm_unpackhi_epi32(inverse, inverse);
    __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inverseLow), half);
    __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inverseHigh), half);
    low = _mm_srli_epi16(_mm_add_epi16(low, _mm_srli_epi16(low, 8)), 8);
    high = _mm_srli_epi16(_mm_add_epi16(high, _mm_srli_epi16(high, 8)), 8);
    // Held at 255 like BlendOver; clear pixels keep dst whatever their colour.
    const __m128i blended = _mm_adds_epu8(_mm_packus_epi16(low, high), s);
    const __m128i out = _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, blended));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), out);
  }
  OverRowPlain(dst + x, src + x, count - x);
}

MERVALIS_SSE2 void CopyRowSse2(std::uint32_t* dst, const std::uint32_t* src, int count) noexcept {
  int x = 0;
  for (; x + 4 <= count; x += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x)));
  }
  for (; x < count; ++x) dst[x] = src[x];
}
#endif

void CopyRowPlain(std::uint32_t* dst, const std::uint32_t* src, int count) noexcept {
  std::memcpy(dst, src, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
}

// The row functions for this processor, chosen once for each composition.
struct RowCode {
  void (*copy)(std::uint32_t*, const std::uint32_t*, int) noexcept;
  void (*over)(std::uint32_t*, const std::uint32_t*, int) noexcept;
};

RowCode ChosenRowCode() noexcept {
#if defined(MERVALIS_SSE2_CODE)
  if (ActivePixelCode() == PixelCode::Sse2) return {CopyRowSse2, OverRowSse2};
#endif
  return {CopyRowPlain, OverRowPlain};
}

}  // namespace

std::uint32_t BlendOver(std::uint32_t dst, std::uint32_t src) noexcept {
  // Each channel: src + dst * inverse / 255 rounded to the nearest, the
  // division done as (x + (x >> 8)) >> 8 with x = dst * inverse + 128 (exact
  // for x up to 255 * 255). Two channels at a time, each in a 16-bit lane: x
  // is at most 65153 and x + (x >> 8) stays below 65536, so no lane spills
  // into the next.
  constexpr std::uint32_t kLanes = 0x00FF00FFu;
  const std::uint32_t inverse = 255 - (src >> 24);
  std::uint32_t rb = (dst & kLanes) * inverse + 0x00800080u;
  std::uint32_t ga = ((dst >> 8) & kLanes) * inverse + 0x00800080u;
  rb = (((rb + ((rb >> 8) & kLanes)) >> 8) & kLanes) + (src & kLanes);
  ga = (((ga + ((ga >> 8) & kLanes)) >> 8) & kLanes) + ((src >> 8) & kLanes);
  // A lane is at most 510 now; above 255 (a source whose colour exceeds its
  // alpha) it is held at 255.
  rb |= ((rb & 0x01000100u) >> 8) * 0xFF;
  ga |= ((ga & 0x01000100u) >> 8) * 0xFF;
  return (rb & kLanes) | ((ga & kLanes) << 8);
}

void SoftenFrame(Frame& frame) {
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.bgra.size() != static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height)) {
    return;
  }
  std::vector<std::uint32_t> line;
  for (int y = 0; y < frame.height; ++y) {
    SoftenLine(frame.bgra.data() + static_cast<std::ptrdiff_t>(y) * frame.width, frame.width, 1, line);
  }
  for (int x = 0; x < frame.width; ++x) SoftenLine(frame.bgra.data() + x, frame.height, frame.width, line);
}

Renderer::Renderer(int width, int height) : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  // Every size below is computed in a 32-bit size_t in the product: a screen
  // past the memory budget would wrap them round to a small buffer.
  if (width_ > 0 && height_ > 0 && !MonitorsToAnimate({Monitor{{0, 0, width_, height_}, {}, true}})[0]) {
    throw std::length_error("the screen is too large for the animation");
  }
}

std::size_t Renderer::PixelCount() const noexcept {
  return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
}

void Renderer::SetBackground(const std::vector<std::uint32_t>& pixels) {
  if (pixels.size() != PixelCount()) throw std::invalid_argument("background size differs from the screen's");
  StartBackground();
  for (int y = 0; y < height_; ++y) {
    SetBackgroundRow(y, pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_));
  }
}

void Renderer::StartBackground() {
  constexpr std::size_t kTileBytes = kTile * kTile * sizeof(std::uint32_t);
  tilesAcross_ = (width_ + kTile - 1) / kTile;
  const std::size_t tilesBytes =
      static_cast<std::size_t>(tilesAcross_) * static_cast<std::size_t>((height_ + kTile - 1) / kTile) * kTileBytes;
  // One tile more than needed, so that the first can start on a page.
  tiles_.assign((tilesBytes + kTileBytes) / sizeof(std::uint32_t), kOpaqueBlack);
  void* first = tiles_.data();
  std::size_t room = tiles_.size() * sizeof(std::uint32_t);
  std::align(kTileBytes, tilesBytes, first, room);
  firstTile_ = static_cast<std::size_t>(static_cast<std::uint32_t*>(first) - tiles_.data());
  fullRedraw_ = true;
}

void Renderer::SetBackgroundRow(int y, const std::uint32_t* pixels) noexcept {
  if (tiles_.empty() || y < 0 || y >= height_ || !pixels) return;
  for (int x = 0; x < width_; x += kTile) {
    std::memcpy(tiles_.data() + TileIndex(x, y), pixels + x,
                static_cast<std::size_t>(std::min(kTile, width_ - x)) * sizeof(std::uint32_t));
  }
  fullRedraw_ = true;
}

std::size_t Renderer::TileIndex(int x, int y) const noexcept {
  const std::size_t tile = static_cast<std::size_t>(y / kTile) * static_cast<std::size_t>(tilesAcross_) +
                           static_cast<std::size_t>(x / kTile);
  return firstTile_ + tile * (kTile * kTile) + static_cast<std::size_t>(y % kTile) * kTile +
         static_cast<std::size_t>(x % kTile);
}

void Renderer::SetPicture(Picture picture, PictureFrames frames) {
  // Frames that do not hold their pixels are left out rather than read past.
  std::erase_if(frames.frames, [](const Frame& f) {
    return f.width <= 0 || f.height <= 0 ||
           f.bgra.size() != static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height);
  });
  if (IsFish(picture)) {
    for (Frame& f : frames.frames) SoftenFrame(f);
  }
  SharePicture(picture, std::make_shared<const PictureFrames>(std::move(frames)));
}

std::shared_ptr<const PictureFrames> Renderer::SharedPicture(Picture picture) const noexcept {
  const auto index = static_cast<std::size_t>(picture);
  return index < pictures_.size() ? pictures_[index] : nullptr;
}

void Renderer::SharePicture(Picture picture, std::shared_ptr<const PictureFrames> frames) {
  const auto index = static_cast<std::size_t>(picture);
  if (index >= pictures_.size()) return;
  delays_[index].clear();
  inked_[index].clear();
  if (frames) {
    for (const Frame& f : frames->frames) {
      delays_[index].push_back(f.delayMs);
      inked_[index].push_back(InkedBox(f));
    }
  }
  pictures_[index] = std::move(frames);
  // The frames the last Draw remembers may be gone.
  drawn_.clear();
  fullRedraw_ = true;
}

Renderer::Drawn Renderer::Look(const Sprite& sprite, std::uint64_t ms) const noexcept {
  Drawn look;
  const auto index = static_cast<std::size_t>(sprite.picture);
  if (!sprite.visible || index >= pictures_.size() || !pictures_[index]) return look;
  const PictureFrames& picture = *pictures_[index];
  if (picture.frames.empty()) return look;
  const std::size_t shown = FrameAt(delays_[index], picture.repetitions, ms);
  const Frame& frame = picture.frames[shown];
  // The element's box clips the picture; nothing scales it.
  const Rect box{sprite.x, sprite.y, sprite.x + std::min(sprite.width, frame.width),
                 sprite.y + std::min(sprite.height, frame.height)};
  const Rect& inked = inked_[index][shown];
  const Rect ink{sprite.x + inked.left, sprite.y + inked.top, sprite.x + inked.right, sprite.y + inked.bottom};
  look.rect = Intersect(Intersect(box, ink), Rect{0, 0, width_, height_});
  if (look.rect.Empty()) {
    look.rect = {};
    return look;
  }
  look.frame = &frame;
  look.x = sprite.x;
  look.y = sprite.y;
  return look;
}

const std::vector<Rect>& Renderer::Draw(const std::vector<Sprite>& sprites, std::uint64_t ms) {
  std::vector<Drawn>& looks = looks_;  // kept between frames: no allocation per frame
  looks.resize(sprites.size());
  for (std::size_t i = 0; i < sprites.size(); ++i) looks[i] = Look(sprites[i], ms);

  dirty_.clear();
  if (fullRedraw_ || drawn_.size() != sprites.size()) {
    if (width_ > 0 && height_ > 0) dirty_.push_back({0, 0, width_, height_});
    fullRedraw_ = false;
  } else {
    for (std::size_t i = 0; i < looks.size(); ++i) {
      const Drawn& before = drawn_[i];
      const Drawn& now = looks[i];
      if (before.rect == now.rect && before.frame == now.frame && before.x == now.x && before.y == now.y) continue;
      if (!before.rect.Empty() && !now.rect.Empty() && !Intersect(before.rect, now.rect).Empty()) {
        dirty_.push_back(Bounding(before.rect, now.rect));
      } else {
        if (!before.rect.Empty()) dirty_.push_back(before.rect);
        if (!now.rect.Empty()) dirty_.push_back(now.rect);
      }
    }
    // Overlapping rectangles become one where that adds no more area than
    // the overlap costs anyway; the rest stay apart (overlaps then are drawn
    // twice, with the same result).
    for (bool merged = true; merged;) {
      merged = false;
      for (std::size_t a = 0; a < dirty_.size() && !merged; ++a) {
        for (std::size_t b = a + 1; b < dirty_.size(); ++b) {
          if (Intersect(dirty_[a], dirty_[b]).Empty()) continue;
          const Rect both = Bounding(dirty_[a], dirty_[b]);
          if (Area(both) > Area(dirty_[a]) + Area(dirty_[b])) continue;
          dirty_[a] = both;
          dirty_.erase(dirty_.begin() + static_cast<std::ptrdiff_t>(b));
          merged = true;
          break;
        }
      }
    }
  }

  drawn_.swap(looks_);
  return dirty_;
}

void Renderer::Compose(const Rect& wanted, std::uint32_t* out) const {
  const Rect area = Intersect(wanted, Rect{0, 0, width_, height_});
  if (area.Empty() || area != wanted) return;
  const RowCode code = ChosenRowCode();
  const auto stride = static_cast<std::size_t>(area.Width());
  if (!tiles_.empty()) {
    for (int y = area.top; y < area.bottom; ++y) {
      std::uint32_t* row = out + static_cast<std::size_t>(y - area.top) * stride;
      for (int x = area.left; x < area.right;) {
        const int end = std::min(area.right, (x / kTile + 1) * kTile);  // the end of x's tile
        code.copy(row + (x - area.left), tiles_.data() + TileIndex(x, y), end - x);
        x = end;
      }
    }
  } else {
    std::fill(out, out + stride * static_cast<std::size_t>(area.Height()), kOpaqueBlack);
  }
  for (const Drawn& look : drawn_) {
    const Rect part = Intersect(look.rect, area);
    if (part.Empty()) continue;
    const Frame& frame = *look.frame;
    for (int y = part.top; y < part.bottom; ++y) {
      const std::uint32_t* src = frame.bgra.data() + static_cast<std::size_t>(y - look.y) * static_cast<std::size_t>(frame.width) +
                                 static_cast<std::size_t>(part.left - look.x);
      std::uint32_t* dst = out + static_cast<std::size_t>(y - area.top) * stride + static_cast<std::size_t>(part.left - area.left);
      code.over(dst, src, part.Width());
    }
  }
}

}  // namespace mervalis::desktop
