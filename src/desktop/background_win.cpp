#include "desktop/background_win.h"

#include <windows.h>

#include <algorithm>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/folders_win.h"
#include "common/names.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/picture_decoder_win.h"
#include "payload/resource_ids.h"
#include "wallpaper/background.h"
#include "wallpaper/background_bitmap_win.h"
#include "wallpaper/bmp_file.h"

namespace mervalis::desktop {

namespace {

std::string ImagesFolder() { return GetImagesFolder(RemoveQuotesAndSpaces(kTitle)); }

// The stored layout's background at `path`, made without boxes: nobody is
// there to answer them.
BitmapRequest QuietRequest(const StoredLayout& layout, std::string path) {
  return BackgroundRequest(std::move(path), layout.stretched, layout.showBorder, layout.decorate, true);
}

// Rows of B, G, R to `row` as opaque pixels.
class OpaqueRows {
 public:
  OpaqueRows(int width, const BackgroundRow& row) : pixels_(static_cast<std::size_t>(std::max(width, 0))), row_(row) {}
  void operator()(int y, const std::uint8_t* bgr) {
    for (std::size_t x = 0; x < pixels_.size(); ++x) {
      pixels_[x] = 0xFF000000u | (std::uint32_t{bgr[3 * x + 2]} << 16) | (std::uint32_t{bgr[3 * x + 1]} << 8) |
                   bgr[3 * x];
    }
    row_(y, pixels_.data());
  }

 private:
  std::vector<std::uint32_t> pixels_;
  const BackgroundRow& row_;
};

}  // namespace

std::string BackgroundPath() { return ImagesFolder() + std::string(kBackgroundName); }

bool ReadBackgroundFile(const std::string& path, int width, int height, const BackgroundRow& row) {
  if (width <= 0 || height <= 0) return false;
  // Shared for deleting too: an `apply` that replaces the file meanwhile
  // renames its new one over it and is not held up; this read goes on with
  // the old one.
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  OpaqueRows opaque(width, row);
  Bmp24RowReader rows(width, height, [&opaque](int y, std::span<const std::uint8_t> bgr) { opaque(y, bgr.data()); });
  std::vector<std::uint8_t> chunk(256 * 1024);
  DWORD read = 0;
  while (!rows.Complete() &&
         ::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) && read > 0) {
    if (!rows.Feed(std::span<const std::uint8_t>(chunk.data(), read))) return false;
  }
  return rows.Complete();
}

void ComposeBackgroundRows(const StoredLayout& layout, int width, int height, const BackgroundRow& row) {
  BackgroundInputs inputs = CompositionInputs(QuietRequest(layout, {}), width, height);
  // Decoded as `apply` decodes them (the frame only where it is drawn, each
  // at the smallest of the decoder's scales that its place allows), the
  // scene a row at a time as it is drawn: a monitor's background is never
  // held twice, nor the scene whole.
  const auto picture = [](int id) { return ResourceBytes(nullptr, id); };
  const auto cannotRead = [](int id, const std::string& error) {
    return std::runtime_error("Cannot read picture " + std::to_string(id) + ": " + error);
  };
  if (const auto failure = DecodeBackgroundPictures(inputs, picture(IDR_SCENE_JPEG), picture(IDR_FRAME_JPEG), true)) {
    throw cannotRead(failure->picture == BackgroundPicture::Scene ? IDR_SCENE_JPEG : IDR_FRAME_JPEG, failure->error);
  }
  OpaqueRows opaque(width, row);
  ComposeBackgroundDownward(inputs, [&opaque](int y, const std::uint8_t* bgr) { opaque(y, bgr); });
  if (!inputs.sceneRows->Error().empty()) throw cannotRead(IDR_SCENE_JPEG, inputs.sceneRows->Error());
}

void BackgroundForScreen(const StoredLayout& layout, int width, int height, bool mayWriteFile,
                         const BackgroundRow& row) {
  const std::string path = BackgroundPath();
  if (ReadBackgroundFile(path, width, height, row)) return;
  // The file is composed for the primary screen's size, which is what the
  // desktop mode shows.
  if (mayWriteFile && DirectoryExists(ImagesFolder()) && width == ::GetSystemMetrics(SM_CXSCREEN) &&
      height == ::GetSystemMetrics(SM_CYSCREEN)) {
    if (WriteWallpaperBitmap(QuietRequest(layout, path)) && ReadBackgroundFile(path, width, height, row)) return;
  }
  ComposeBackgroundRows(layout, width, height, row);
}

}  // namespace mervalis::desktop
