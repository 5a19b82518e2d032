#include "wallpaper/bmp_file.h"

#include <algorithm>
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

// Bytes of the rows; throws when there are none or the file would not fit
// 32-bit sizes.
std::uint32_t PixelBytes(int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("Cannot save an empty bitmap");
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
  const std::uint64_t bytes = stride * static_cast<std::uint64_t>(height);
  if (bytes > 0xFFFFFFFFu - kBmpHeadersSize) throw std::length_error("Bitmap too large");
  return static_cast<std::uint32_t>(bytes);
}

void WriteHeaders(std::uint8_t* h, int width, int height, std::uint32_t pixelBytes) noexcept {
  // BITMAPFILEHEADER
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(kBmpHeadersSize) + pixelBytes);
  Put32(h + 6, 0);  // two reserved words
  Put32(h + 10, kBmpHeadersSize);
  // BITMAPINFOHEADER; a positive height means bottom-up rows.
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<std::uint32_t>(width));
  Put32(h + 22, static_cast<std::uint32_t>(height));
  Put16(h + 26, 1);   // planes
  Put16(h + 28, 24);  // bits per pixel
  Put32(h + 30, 0);   // BI_RGB
  Put32(h + 34, pixelBytes);
  // Resolution and colour counts: 0, unspecified and no palette.
  for (std::size_t i = 38; i < kBmpHeadersSize; ++i) h[i] = 0;
}

std::uint32_t Get32(const std::uint8_t* p) noexcept {
  return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

}  // namespace

Bmp24RowReader::Bmp24RowReader(int width, int height, Row row)
    : width_(width), height_(height), row_(std::move(row)), stride_(0) {
  // In 64 bits: a 32-bit size_t would wrap round for a width past a third of
  // its range. No such file fits the format's 32-bit sizes.
  const std::uint64_t stride = (static_cast<std::uint64_t>(std::max(width, 0)) * 3 + 3) & ~std::uint64_t{3};
  refused_ = width <= 0 || height <= 0 || stride * static_cast<std::uint64_t>(height) > 0xFFFFFFFFu - kBmpHeadersSize;
  if (refused_) return;
  stride_ = static_cast<std::size_t>(stride);
  pending_.reserve(std::max(stride_, kBmpHeadersSize));
}

bool Bmp24RowReader::HeadersFit() const noexcept {
  const std::uint8_t* h = pending_.data();
  const auto height = static_cast<std::int32_t>(Get32(h + 22));
  return h[0] == 'B' && h[1] == 'M' && Get32(h + 10) == kBmpHeadersSize && Get32(h + 14) == 40 &&
         Get32(h + 18) == static_cast<std::uint32_t>(width_) && (height == height_ || height == -height_) &&
         (h[26] | h[27] << 8) == 1 && (h[28] | h[29] << 8) == 24 && Get32(h + 30) == 0;
}

bool Bmp24RowReader::Feed(std::span<const std::uint8_t> bytes) {
  while (!refused_ && !bytes.empty() && rows_ < height_) {
    const std::size_t wanted = headersRead_ ? stride_ : kBmpHeadersSize;
    const std::size_t take = std::min(wanted - pending_.size(), bytes.size());
    pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (pending_.size() < wanted) break;
    if (!headersRead_) {
      refused_ = !HeadersFit();
      topDown_ = static_cast<std::int32_t>(Get32(pending_.data() + 22)) < 0;
      headersRead_ = true;
    } else {
      row_(topDown_ ? rows_ : height_ - 1 - rows_,
           std::span<const std::uint8_t>(pending_.data(), static_cast<std::size_t>(width_) * 3));
      ++rows_;
    }
    pending_.clear();
  }
  return !refused_;
}

std::array<std::uint8_t, kBmpHeadersSize> Bmp24Headers(int width, int height) {
  std::array<std::uint8_t, kBmpHeadersSize> headers{};
  WriteHeaders(headers.data(), width, height, PixelBytes(width, height));
  return headers;
}

ByteBuffer EncodeBmp24(const Image& image) {
  const std::uint32_t pixelBytes = PixelBytes(image.Width(), image.Height());
  ByteBuffer file(kBmpHeadersSize + pixelBytes);
  std::memcpy(file.data() + kBmpHeadersSize, image.FileRows().data(), pixelBytes);
  WriteHeaders(file.data(), image.Width(), image.Height(), pixelBytes);
  return file;
}

ByteBuffer EncodeBmp24(Image&& image) {
  const std::uint32_t pixelBytes = PixelBytes(image.Width(), image.Height());
  const int width = image.Width();
  const int height = image.Height();
  ByteBuffer file = std::move(image.storage_);
  image = Image();
  file.resize(kBmpHeadersSize + pixelBytes);  // a band buffer may hold more rows
  WriteHeaders(file.data(), width, height, pixelBytes);
  return file;
}

}  // namespace mervalis
