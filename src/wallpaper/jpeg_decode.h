// JPEG pictures held in memory (the program's resources), decoded by libjpeg.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "wallpaper/image.h"

namespace mervalis {

// Pictures with more pixels than this are refused rather than decoded.
inline constexpr std::uint64_t kMaxJpegPixels = std::uint64_t{1} << 25;

struct JpegResult {
  Image image;        // empty on failure
  std::string error;  // empty on success; libjpeg's own text otherwise
  [[nodiscard]] bool ok() const noexcept { return error.empty(); }
};

// Decodes to 24-bit RGB (greyscale pictures are expanded). Corrupt or
// truncated data is an error, including what libjpeg itself only calls a
// warning: a picture with missing or damaged parts is never returned.
// A `scale` of 2, 4 or 8 decodes at that fraction of the size (libjpeg's
// scaled decoding, rounded up), which costs a fraction of the work.
[[nodiscard]] JpegResult DecodeJpeg(std::span<const std::uint8_t> bytes, int scale = 1);
// The same at `eighths` / 8 of the size (1 to 8; rounded up), libjpeg's
// finer steps: 4 gives the picture of a `scale` of 2.
[[nodiscard]] JpegResult DecodeJpegEighths(std::span<const std::uint8_t> bytes, int eighths);

// The same decoding a row at a time, top to bottom, at `eighths` / 8 of the
// size, for a drawing that needs a few rows at once rather than the whole
// picture. `bytes` must outlive it.
class JpegRowReader {
 public:
  JpegRowReader(std::span<const std::uint8_t> bytes, int eighths);
  JpegRowReader(const JpegRowReader&) = delete;
  JpegRowReader& operator=(const JpegRowReader&) = delete;
  ~JpegRowReader();

  // Empty while every row asked for so far was read; libjpeg's own text, or
  // ours for a row asked for out of order, after the first failure.
  [[nodiscard]] const std::string& Error() const noexcept;
  [[nodiscard]] int Width() const noexcept;
  [[nodiscard]] int Height() const noexcept;
  // Row `y` (0 at the top) in B, G, R order, Width() pixels. Only it and the
  // row before it stay readable, so rows are asked for going down; after a
  // failure (or for a row out of order) the row is black.
  [[nodiscard]] const std::uint8_t* Row(int y);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

struct JpegSize {
  int width = 0;
  int height = 0;
  std::string error;  // empty when the header was read
  [[nodiscard]] bool ok() const noexcept { return error.empty(); }
};
// The picture's size from its header alone.
[[nodiscard]] JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes);

// The largest of libjpeg's scales 1, 2, 4 and 8 at which a picture of
// width x height still has at least the pixels of the place it is drawn in,
// drawnWidth x drawnHeight, in both directions: 2 when it is drawn at half
// its size or less.
[[nodiscard]] int JpegDecodeScale(int width, int height, int drawnWidth, int drawnHeight) noexcept;

// The smallest of libjpeg's sizes in eighths (1 to 8) at which a picture of
// width x height, decoded by DecodeJpegEighths, still has at least the pixels
// of the place it is drawn in, in both directions; 8 when even its own size
// has fewer.
[[nodiscard]] int JpegDecodeEighths(int width, int height, int drawnWidth, int drawnHeight) noexcept;

}  // namespace mervalis
