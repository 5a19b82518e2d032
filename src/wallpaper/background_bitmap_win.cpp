#include "wallpaper/background_bitmap_win.h"

#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/application_win.h"
#include "common/debug_log.h"
#include "common/dpi_awareness_win.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "payload/payload_item_win.h"
#include "payload/resource_ids.h"
#include "wallpaper/background.h"
#include "wallpaper/bmp_file.h"
#include "wallpaper/jpeg_decode.h"

namespace mervalis {

namespace {

// A JPEG picture among the module's raw-data resources; empty when missing.
std::span<const std::uint8_t> PictureResource(HMODULE module, int id) noexcept {
  return FindPayloadItem(module, id).bytes;
}

void Log(const char* checkpoint) {
  WriteDebugLog(std::string("WriteWallpaperBitmap - ") + checkpoint);
}

std::string CannotRead(int id, const std::string& why) {
  return "Cannot read picture " + std::to_string(id) + ": " + why;
}

// The pictures the composition draws, decoded for the screen (the scene to
// be read a row at a time as the composition reaches it); false with the
// error text when one cannot be read.
bool LoadPictures(const BitmapRequest& request, BackgroundInputs& inputs, std::string& error) {
  HMODULE module = request.pictureModule ? request.pictureModule : ::GetModuleHandleW(nullptr);
  const std::span<const std::uint8_t> scene = PictureResource(module, IDR_SCENE_JPEG);
  const std::span<const std::uint8_t> frame = PictureResource(module, IDR_FRAME_JPEG);
  const std::optional<PictureFailure> failure = DecodeBackgroundPictures(inputs, scene, frame, true);
  if (!failure) return true;
  const bool isScene = failure->picture == BackgroundPicture::Scene;
  const int id = isScene ? IDR_SCENE_JPEG : IDR_FRAME_JPEG;
  if ((isScene ? scene : frame).empty()) {
    error = "Picture resource " + std::to_string(id) + " not found";
  } else {
    error = CannotRead(id, failure->error);
  }
  return false;
}

// Composes the background into `path`: first complete under a temporary
// name in the same folder, band by band from the top down, each band written
// at its place in the file, then renamed over the old file in one step, so
// that `path` names a complete picture at every moment. On failure the old
// file is untouched, the temporary file is gone, and `error` says what
// failed.
bool ComposeReplacing(const std::string& path, const BackgroundInputs& inputs,
                      std::string& error) {
  const std::string cannotCreate = "Cannot create file " + path;
  // A read-only file (or a folder) in the way is not replaced (see
  // ReplacingFile::Replace); asking first writes nothing in vain.
  const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  if (path.empty() || (attributes != INVALID_FILE_ATTRIBUTES &&
                       (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))) {
    error = cannotCreate;
    return false;
  }

  // An older version kept the replaced background beside it as a spare; it
  // is no use now, and holds as much disk as the background itself.
  ::DeleteFileW(Widen(path + ".old").c_str());
  ReplacingFile file(path);
  if (!file.Created()) {
    error = cannotCreate;
    return false;
  }

  const auto progress = [](CompositionStep step) {
    switch (step) {
      case CompositionStep::ImageCreated: Log("After Var Dec"); break;
      case CompositionStep::LayoutChosen: Log("After Stretch Check"); break;
      case CompositionStep::BeforeBorder: Log("Before Border"); break;
      case CompositionStep::BeforeDraw: Log("Before Draw"); break;
      case CompositionStep::AfterDraw: Log("After Draw"); break;
    }
  };
  // Each band at its place in the file: the composition goes from the top
  // down, and the file holds the rows from the bottom up.
  const auto sink = [&file](std::size_t offset, std::span<const std::uint8_t> bytes) {
    return WriteAllAt(file.handle(), offset, bytes.data(), bytes.size());
  };
  // Only the composition's own failures are caught here; the debug log's
  // errors go on to the caller (the temporary file is then left over, to be
  // overwritten by the next run).
  bool written = false;
  try {
    written = WriteBackgroundFile(inputs, sink, progress);
    if (!written) error = "Stream write error";
  } catch (const std::bad_alloc&) {
    LogCaught("WriteBackgroundBitmap");
    error = "Out of memory";
  } catch (const std::length_error& e) {
    LogCaught("WriteBackgroundBitmap");
    error = e.what();
  } catch (const std::invalid_argument& e) {
    LogCaught("WriteBackgroundBitmap");
    error = e.what();
  }
  // A scene whose data fails part way has left black rows: no such file
  // replaces the old one.
  if (written && inputs.sceneRows && !inputs.sceneRows->Error().empty()) {
    written = false;
    error = CannotRead(IDR_SCENE_JPEG, inputs.sceneRows->Error());
  }
  const bool closed = file.Close();
  if (!written || !closed) {
    file.Discard();
    if (written) error = "Stream write error";
    return false;
  }
  Log("Before File Save");
  if (!file.Replace()) {
    error = cannotCreate;
    return false;
  }
  return true;
}

}  // namespace

BitmapRequest BackgroundRequest(std::string path, bool stretched, bool showBorder, bool decorate, bool applyMode) {
  BitmapRequest request;
  request.path = std::move(path);
  request.stretched = stretched;
  request.showBorder = showBorder;
  request.decorate = decorate;
  request.applyMode = applyMode;
  return request;
}

BackgroundInputs CompositionInputs(const BitmapRequest& request, int width, int height) {
  BackgroundInputs inputs;
  inputs.width = width;
  inputs.height = height;
  inputs.stretched = request.stretched;
  inputs.showBorder = request.showBorder;
  inputs.decorate = request.decorate;
  inputs.decorationSeed = ::GetTickCount();
  return inputs;
}

bool WriteWallpaperBitmap(const BitmapRequest& request) {
  Log("Begin");
  std::string error;
  bool saved = false;
  {
    // In the screen's real pixels also when called from the installer's
    // window, which is DPI-unaware for its layout: there the screen's size
    // would be scaled down (2560 x 1440 for 3840 x 2160 at 150 %).
    const PerMonitorAwareThread realPixels;
    BackgroundInputs inputs =
        CompositionInputs(request, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    // The decoration pictures are empty in this wallpaper: the option draws nothing.
    saved = LoadPictures(request, inputs, error) && ComposeReplacing(request.path, inputs, error);
  }  // the pictures' memory goes before a box waits for the user, shown as the window's own
  if (saved && !FileExists(request.path)) {
    saved = false;
    error = "Cannot create file " + request.path;
  }
  if (!saved && !request.applyMode) ShowMessage(error, MB_OK | MB_ICONSTOP);
  Log("End");
  return saved;
}

}  // namespace mervalis
