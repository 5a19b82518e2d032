// A 24-bit RGB picture in memory, the rectangles that address it, and the
// drawing the background bitmap is made of: solid fills and scaled copies.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/pixel_code.h"
#include "common/rect.h"

namespace mervalis {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// An allocator that leaves new elements uninitialised, for buffers whose
// every byte is about to be written: at screen sizes, zeroing first would
// cost as much as a good part of the drawing.
template <typename T>
struct DefaultInitAllocator : std::allocator<T> {
  using value_type = T;
  template <typename U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  DefaultInitAllocator() noexcept = default;
  template <typename U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}

  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// Bytes of a picture or a file in memory.
using ByteBuffer = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// Room kept in front of an image's pixels for the headers of a BMP file.
inline constexpr std::size_t kBmpHeadersSize = 14 + 40;

// Pixels are kept as a 24-bit Windows bitmap keeps them: rows bottom-up, each
// pixel as B, G, R, each row padded with zeros to a multiple of 4 bytes, and
// the BMP headers' room in front. A finished picture thus becomes a file
// without a copy (EncodeBmp24), which at screen sizes saves a second buffer
// of the same size. Row(y) still counts from the top.
class Image {
 public:
  Image() = default;
  // Every pixel set to `fill`. Throws std::length_error for a negative size
  // or one whose pixels cannot be addressed.
  Image(int width, int height, Rgb fill = {});
  // An image whose pixels are undefined until written, for producers that
  // write every one (decoders, the composition). The row padding is zero.
  [[nodiscard]] static Image Unfilled(int width, int height);

  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }
  [[nodiscard]] bool Empty() const noexcept { return width_ == 0 || height_ == 0; }
  [[nodiscard]] Rect Bounds() const noexcept { return {0, 0, width_, height_}; }
  // Bytes of one row including its padding.
  [[nodiscard]] std::size_t Stride() const noexcept { return stride_; }
  // The rows bottom-up with their padding: the pixel part of a BMP file.
  [[nodiscard]] std::span<const std::uint8_t> FileRows() const noexcept {
    return {storage_.data() + kBmpHeadersSize, stride_ * static_cast<std::size_t>(height_)};
  }
  // Keeps the memory and the width and changes the number of rows, at most
  // to the number the image was made with, for a buffer that holds bands of
  // a larger picture. Rows kept have undefined pixels and zero padding.
  void SetHeightWithinCapacity(int height) noexcept;

  // Row y from the top: Width() pixels of B, G, R.
  [[nodiscard]] std::uint8_t* Row(int y) noexcept { return storage_.data() + RowOffset(y); }
  [[nodiscard]] const std::uint8_t* Row(int y) const noexcept {
    return storage_.data() + RowOffset(y);
  }
  // No bounds check beyond the caller's: (x, y) must lie inside Bounds().
  [[nodiscard]] Rgb Pixel(int x, int y) const noexcept {
    const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    return {p[2], p[1], p[0]};
  }
  void SetPixel(int x, int y, Rgb colour) noexcept {
    std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    p[0] = colour.b;
    p[1] = colour.g;
    p[2] = colour.r;
  }

  friend bool operator==(const Image& a, const Image& b) noexcept {
    return a.width_ == b.width_ && a.height_ == b.height_ &&
           std::equal(a.FileRows().begin(), a.FileRows().end(), b.FileRows().begin());
  }

 private:
  friend ByteBuffer EncodeBmp24(const Image& image);
  friend ByteBuffer EncodeBmp24(Image&& image);

  [[nodiscard]] std::size_t RowOffset(int y) const noexcept {
    return kBmpHeadersSize + stride_ * static_cast<std::size_t>(height_ - 1 - y);
  }

  int width_ = 0;
  int height_ = 0;
  int capacity_ = 0;  // rows the memory holds
  std::size_t stride_ = 0;
  ByteBuffer storage_;  // headers' room, then the rows bottom-up
};

// Fills the part of `area` that lies inside the image.
void FillRect(Image& image, const Rect& area, Rgb colour) noexcept;

// `source` stretched to fill `target` exactly, each axis scaled on its own,
// with bilinear interpolation, drawn in bands of rows. Only pixels inside
// `clip` are written. A pixel's value depends only on its place in `target`,
// never on `clip` or the bands, so a picture drawn in pieces equals the
// picture drawn whole. At a scale of 1 the rows are copied as they are. The
// sampling is worked out once, and each source row is interpolated across
// the columns once however many destination rows use it, as long as the
// bands come in order (either way). `source` must outlive the drawing.
class ScaledDrawing {
 public:
  ScaledDrawing(const Image& source, const Rect& target, const Rect& clip);
  // From a picture that is not held whole: its width, height and rows (from
  // the top, B, G, R). Drawn in bands going down, the rows are asked for
  // going down, at most the last two again.
  using RowSource = std::function<const std::uint8_t*(int y)>;
  ScaledDrawing(int width, int height, RowSource rows, const Rect& target, const Rect& clip);
  ScaledDrawing(const ScaledDrawing&) = delete;
  ScaledDrawing& operator=(const ScaledDrawing&) = delete;
  ScaledDrawing(ScaledDrawing&&) noexcept;
  ScaledDrawing& operator=(ScaledDrawing&&) noexcept;
  ~ScaledDrawing();

  // Draws the part that lies in rows [top, top + band.Height()) of the whole
  // picture into `band`, whose row 0 is row `top`; `band` has the width of
  // the whole picture.
  void Draw(Image& band, int top);
  // The pixels it writes: the target within the clip.
  [[nodiscard]] Rect Area() const noexcept;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Draws `source` stretched to fill `target` within `clip` and the image, as
// ScaledDrawing does. An empty source draws nothing.
void DrawScaled(Image& image, const Rect& target, const Image& source, const Rect& clip);
inline void DrawScaled(Image& image, const Rect& target, const Image& source) {
  DrawScaled(image, target, source, target);
}

// Copies `source` with its top-left corner at (x, y), leaving out every pixel
// of its key colour (the colour of its bottom-left pixel, the convention of
// transparent bitmaps). Clipped to the image; an empty source draws nothing.
void DrawTransparent(Image& image, int x, int y, const Image& source) noexcept;

}  // namespace mervalis
