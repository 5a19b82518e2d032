#include "wallpaper/bmp_file.h"

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace mervalis {

namespace {

void Put16(std::uint8_t* p, std::uint16_t v) noexcept {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) noexcept {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void CheckEncodable(const Image& image) {
  if (image.Empty()) throw std::invalid_argument("Cannot save an empty bitmap");
  const std::uint64_t pixelBytes =
      static_cast<std::uint64_t>(image.Stride()) * static_cast<std::uint64_t>(image.Height());
  if (pixelBytes > 0xFFFFFFFFu - kBmpHeadersSize) throw std::length_error("Bitmap too large");
}

// `file` holds an image's memory: the headers' room, then its rows already
// laid out as the file wants them.
void WriteHeaders(ByteBuffer& file, int width, int height) noexcept {
  std::uint8_t* h = file.data();
  // BITMAPFILEHEADER
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(file.size()));
  Put32(h + 6, 0);  // two reserved words
  Put32(h + 10, kBmpHeadersSize);
  // BITMAPINFOHEADER; a positive height means bottom-up rows.
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<std::uint32_t>(width));
  Put32(h + 22, static_cast<std::uint32_t>(height));
  Put16(h + 26, 1);   // planes
  Put16(h + 28, 24);  // bits per pixel
  Put32(h + 30, 0);   // BI_RGB
  Put32(h + 34, static_cast<std::uint32_t>(file.size() - kBmpHeadersSize));
  // Resolution and colour counts: 0, unspecified and no palette.
  for (std::size_t i = 38; i < kBmpHeadersSize; ++i) h[i] = 0;
}

}  // namespace

ByteBuffer EncodeBmp24(const Image& image) {
  CheckEncodable(image);
  ByteBuffer file(image.storage_.size());
  std::memcpy(file.data() + kBmpHeadersSize, image.storage_.data() + kBmpHeadersSize,
              file.size() - kBmpHeadersSize);
  WriteHeaders(file, image.Width(), image.Height());
  return file;
}

ByteBuffer EncodeBmp24(Image&& image) {
  CheckEncodable(image);
  const int width = image.Width();
  const int height = image.Height();
  ByteBuffer file = std::move(image.storage_);
  image = Image();
  WriteHeaders(file, width, height);
  return file;
}

}  // namespace mervalis
