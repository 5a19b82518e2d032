// JPEG pictures held in memory (the program's resources), decoded by libjpeg.
#pragma once

#include <cstdint>
#include <span>
#include <string>

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
[[nodiscard]] JpegResult DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace mervalis
