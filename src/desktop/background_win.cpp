#include "desktop/background_win.h"

#include <windows.h>

#include <algorithm>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
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

// Reads a background file's rows into `row` as opaque pixels, a row at a time.
class RowsInto {
 public:
  RowsInto(int width, int height, const BackgroundRow& row)
      : pixels_(static_cast<std::size_t>(std::max(width, 0))),
        reader_(width, height, [this, &row](int y, std::span<const std::uint8_t> bgr) {
          for (std::size_t x = 0; x < pixels_.size(); ++x) {
            pixels_[x] = 0xFF000000u | (std::uint32_t{bgr[3 * x + 2]} << 16) | (std::uint32_t{bgr[3 * x + 1]} << 8) |
                         bgr[3 * x];
          }
          row(y, pixels_.data());
        }) {}

  RowsInto(const RowsInto&) = delete;  // the reader's function points at this
  RowsInto& operator=(const RowsInto&) = delete;

  bool Feed(std::span<const std::uint8_t> bytes) { return reader_.Feed(bytes); }
  [[nodiscard]] bool Complete() const noexcept { return reader_.Complete(); }

 private:
  std::vector<std::uint32_t> pixels_;
  Bmp24RowReader reader_;
};

}  // namespace

StoredLayout ReadStoredLayout() {
  RegistryKey registry(HKEY_CURRENT_USER, KEY_READ);
  std::string code;
  if (registry.OpenKey(kOptionsKey, false) && registry.ReadString(kTitle, code) != ERROR_SUCCESS) code.clear();
  return LayoutFromOptionCode(code);
}

std::string BackgroundPath() { return ImagesFolder() + std::string(kBackgroundName); }

bool ReadBackgroundFile(const std::string& path, int width, int height, const BackgroundRow& row) {
  if (width <= 0 || height <= 0) return false;
  // Shared for deleting too: an `apply` that replaces the file meanwhile
  // renames its new one over it and is not held up; this read goes on with
  // the old one.
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  RowsInto rows(width, height, row);
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
  // Decoded as `apply` decodes them: the frame only where it is drawn, each
  // at the smallest of the decoder's scales that its place allows.
  const auto picture = [](int id) { return ResourceBytes(nullptr, id); };
  if (const auto failure = DecodeBackgroundPictures(inputs, picture(IDR_SCENE_JPEG), picture(IDR_FRAME_JPEG))) {
    throw std::runtime_error("Cannot read picture " +
                             std::to_string(failure->picture == BackgroundPicture::Scene ? IDR_SCENE_JPEG
                                                                                          : IDR_FRAME_JPEG) +
                             ": " + failure->error);
  }
  // Composed in bands as the file would be, and read back as it is.
  RowsInto rows(width, height, row);
  if (!WriteBackgroundFile(inputs, [&rows](std::span<const std::uint8_t> bytes) { return rows.Feed(bytes); }) ||
      !rows.Complete()) {
    throw std::runtime_error("The background could not be composed");
  }
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
