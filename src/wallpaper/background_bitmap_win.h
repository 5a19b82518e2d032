// The background bitmap file: the wallpaper's scene composed for the primary
// screen's current size and saved where the page expects it.
#pragma once

#include <windows.h>

#include <string>

#include "wallpaper/background.h"

namespace mervalis {

struct BitmapRequest {
  std::string path;  // full path of the file, normally images folder + "background.bmp"
  bool stretched = false;
  bool showBorder = false;  // centred layout only
  bool decorate = false;    // centred layout only
  bool applyMode = false;   // the silent apply run: failures show no box
  // Module whose RCDATA resources IDR_SCENE_JPEG and IDR_FRAME_JPEG hold the
  // pictures; null for the running program.
  HMODULE pictureModule = nullptr;
};

// The request for the background at `path`: stretched, or centred with or
// without the border and the decoration.
[[nodiscard]] BitmapRequest BackgroundRequest(std::string path, bool stretched, bool showBorder, bool decorate,
                                              bool applyMode);

// What composing the request's background for a width × height screen starts
// from: the size, the layout and a fresh decoration seed; no pictures yet.
[[nodiscard]] BackgroundInputs CompositionInputs(const BitmapRequest& request, int width, int height);

// Composes the background for the screen size and saves it as a 24-bit BMP.
// The new file is written beside the old one under a temporary name and
// replaces it only when complete, so a failed save (folder missing, disk
// full, old file read-only or in use) leaves the previous file as it was.
// A failure is shown in a box with its own text ("Cannot create file " and
// the path, for one) unless in the apply mode. True when the file exists
// after saving. Writes its checkpoints to the debug log, whose own errors are
// thrown to the caller as the log's contract says.
[[nodiscard]] bool WriteWallpaperBitmap(const BitmapRequest& request);

}  // namespace mervalis
