// Pictures and text the window carries in the program's resources.
#pragma once

#include <windows.h>

#include <string>

namespace mervalis {

// A JPEG raw-data resource decoded into a 24-bit bitmap; nullptr when it is
// missing or cannot be decoded. The caller deletes the bitmap.
[[nodiscard]] HBITMAP LoadJpegResource(HINSTANCE module, int id) noexcept;

// A raw-data resource as text; empty when it is missing.
[[nodiscard]] std::string LoadTextResource(HINSTANCE module, int id);

}  // namespace mervalis
