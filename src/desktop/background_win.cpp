#include "desktop/background_win.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/picture_decoder_win.h"
#include "payload/resource_ids.h"
#include "wallpaper/background.h"
#include "wallpaper/background_bitmap_win.h"
#include "wallpaper/jpeg_decode.h"

namespace mervalis::desktop {

namespace {

Image DecodeResourceJpeg(int id) {
  JpegResult decoded = DecodeJpeg(ResourceBytes(nullptr, id));
  if (!decoded.ok()) throw std::runtime_error("Cannot read picture " + std::to_string(id) + ": " + decoded.error);
  return std::move(decoded.image);
}

std::string ImagesFolder() { return GetImagesFolder(RemoveQuotesAndSpaces(kTitle)); }

// The stored layout's background at `path`, made without boxes: nobody is
// there to answer them.
BitmapRequest QuietRequest(const StoredLayout& layout, std::string path) {
  return BackgroundRequest(std::move(path), layout.stretched, layout.showBorder, layout.decorate, true);
}

}  // namespace

StoredLayout ReadStoredLayout() {
  RegistryKey registry(HKEY_CURRENT_USER, KEY_READ);
  std::string code;
  if (registry.OpenKey(kOptionsKey, false) && registry.ReadString(kTitle, code) != ERROR_SUCCESS) code.clear();
  return LayoutFromOptionCode(code);
}

std::string BackgroundPath() { return ImagesFolder() + std::string(kBackgroundName); }

std::vector<std::uint32_t> ReadBackgroundFile(const std::string& path, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  UniqueGdiObject bitmap(::LoadImageW(nullptr, Widen(path).c_str(), IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bitmap) return {};
  BITMAP info = {};
  if (!::GetObjectA(bitmap.get(), sizeof(info), &info) || info.bmWidth != width ||
      (info.bmHeight != height && info.bmHeight != -height)) {
    return {};
  }
  BITMAPINFO want = {};
  want.bmiHeader.biSize = sizeof(want.bmiHeader);
  want.bmiHeader.biWidth = width;
  want.bmiHeader.biHeight = -height;  // top-down
  want.bmiHeader.biPlanes = 1;
  want.bmiHeader.biBitCount = 32;
  want.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  WindowDc screen(nullptr);
  if (!screen || ::GetDIBits(screen.get(), static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(height),
                             pixels.data(), &want, DIB_RGB_COLORS) != height) {
    return {};
  }
  for (std::uint32_t& p : pixels) p |= 0xFF000000u;
  return pixels;
}

std::vector<std::uint32_t> ComposeBackgroundPixels(const StoredLayout& layout, int width, int height) {
  BackgroundInputs inputs = CompositionInputs(QuietRequest(layout, {}), width, height);
  inputs.scene = DecodeResourceJpeg(IDR_SCENE_JPEG);
  inputs.frame = DecodeResourceJpeg(IDR_FRAME_JPEG);
  const Image image = ComposeBackground(inputs);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = image.Row(y);
    std::uint32_t* out = pixels.data() + static_cast<std::ptrdiff_t>(y) * width;
    for (int x = 0; x < width; ++x, row += 3) {
      out[x] = 0xFF000000u | (std::uint32_t{row[2]} << 16) | (std::uint32_t{row[1]} << 8) | row[0];
    }
  }
  return pixels;
}

std::vector<std::uint32_t> BackgroundForScreen(const StoredLayout& layout, int width, int height,
                                               bool mayWriteFile) {
  const std::string path = BackgroundPath();
  std::vector<std::uint32_t> pixels = ReadBackgroundFile(path, width, height);
  if (!pixels.empty()) return pixels;
  // The file is composed for the primary screen's size, which is what the
  // desktop mode shows.
  if (mayWriteFile && DirectoryExists(ImagesFolder()) && width == ::GetSystemMetrics(SM_CXSCREEN) &&
      height == ::GetSystemMetrics(SM_CYSCREEN)) {
    if (WriteWallpaperBitmap(QuietRequest(layout, path))) {
      pixels = ReadBackgroundFile(path, width, height);
      if (!pixels.empty()) return pixels;
    }
  }
  return ComposeBackgroundPixels(layout, width, height);
}

}  // namespace mervalis::desktop
