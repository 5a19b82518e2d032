// Windows BMP files.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "wallpaper/image.h"

namespace mervalis {

// The whole file: the 14-byte file header, the 40-byte information header
// (uncompressed, 24 bits per pixel, no colour table), then the rows bottom-up,
// each in B, G, R order and padded with zeros to a multiple of 4 bytes.
// Throws std::invalid_argument for an empty image and std::length_error when
// the file would not fit the format's 32-bit sizes.
[[nodiscard]] ByteBuffer EncodeBmp24(const Image& image);
// The same, taking over the image's memory instead of copying it; the image
// is left empty.
[[nodiscard]] ByteBuffer EncodeBmp24(Image&& image);

// The two headers of such a file of width x height pixels, for writers that
// send the rows after them in pieces (Image::FileRows of bands, bottom band
// first). Throws as EncodeBmp24 does.
[[nodiscard]] std::array<std::uint8_t, kBmpHeadersSize> Bmp24Headers(int width, int height);

// Reads the rows of such a file (rows bottom-up, or top-down where the height
// is negative) of width x height pixels from its bytes, fed in pieces of any
// size, without holding more than a row: each row goes to the function as
// soon as it is whole, with its index from the top and its width * 3 bytes
// B, G, R. Headers of another size or form are refused, and so is a size
// whose file would not fit the format's 32-bit sizes.
class Bmp24RowReader {
 public:
  using Row = std::function<void(int y, std::span<const std::uint8_t> bgr)>;
  Bmp24RowReader(int width, int height, Row row);

  // False once the bytes so far are not such a file.
  bool Feed(std::span<const std::uint8_t> bytes);
  // Every row has come.
  [[nodiscard]] bool Complete() const noexcept { return !refused_ && rows_ == height_; }

 private:
  [[nodiscard]] bool HeadersFit() const noexcept;

  int width_;
  int height_;
  Row row_;
  std::size_t stride_;
  std::vector<std::uint8_t> pending_;  // the headers, then the row being read
  int rows_ = 0;
  bool headersRead_ = false;
  bool topDown_ = false;
  bool refused_ = false;
};

}  // namespace mervalis
