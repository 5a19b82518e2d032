#include "ui/pictures_win.h"

#include <cstring>
#include <span>

#include "common/debug_log.h"
#include "payload/payload_item_win.h"
#include "wallpaper/jpeg_decode.h"

namespace mervalis {

UniqueBitmap LoadJpegResource(HINSTANCE module, int id, int drawnWidth, int drawnHeight) noexcept {
  try {
    const std::span<const std::uint8_t> bytes = FindPayloadItem(module, id).bytes;
    const JpegSize size = ReadJpegSize(bytes);
    const int scale = drawnWidth > 0 && size.ok() ? JpegDecodeScale(size.width, size.height, drawnWidth, drawnHeight) : 1;
    const JpegResult decoded = DecodeJpeg(bytes, scale);
    if (!decoded.ok() || decoded.image.Empty()) return {};
    const Image& image = decoded.image;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.Width();
    bi.bmiHeader.biHeight = -image.Height();  // top-down, like the image
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return {};
    const std::size_t stride = (static_cast<std::size_t>(image.Width()) * 3 + 3) & ~std::size_t{3};
    // The image keeps its rows as bitmaps do (B, G, R), so they copy as they are.
    for (int y = 0; y < image.Height(); ++y) {
      std::memcpy(static_cast<std::uint8_t*>(bits) + stride * y, image.Row(y), static_cast<std::size_t>(image.Width()) * 3);
    }
    return bitmap;
  } catch (...) {
    LogCaught("LoadJpegResource");
    return {};
  }
}

std::string LoadTextResource(HINSTANCE module, int id) {
  const auto bytes = FindPayloadItem(module, id).bytes;
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace mervalis
