// Windows BMP files.
#pragma once

#include <array>
#include <cstdint>

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

}  // namespace mervalis
