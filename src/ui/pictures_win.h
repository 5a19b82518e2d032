// Pictures and text the window carries in the program's resources.
#pragma once

#include <windows.h>

#include <string>

#include "common/win_handles.h"

namespace mervalis {

// A JPEG raw-data resource decoded into a 24-bit bitmap; empty when it is
// missing or cannot be decoded. Given the size it is drawn at, it is decoded
// at the smallest of the decoder's sizes that still fills that.
[[nodiscard]] UniqueBitmap LoadJpegResource(HINSTANCE module, int id, int drawnWidth = 0,
                                            int drawnHeight = 0) noexcept;

// A raw-data resource as text; empty when it is missing.
[[nodiscard]] std::string LoadTextResource(HINSTANCE module, int id);

}  // namespace mervalis
