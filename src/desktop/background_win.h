// The still picture under the animation: the wallpaper's background composed
// for the screen, as "background.bmp" of the images folder holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/stored_layout.h"

namespace mervalis::desktop {

// The stored option code of the wallpaper (current user), as a layout.
[[nodiscard]] StoredLayout ReadStoredLayout();

// The images folder's "background.bmp".
[[nodiscard]] std::string BackgroundPath();

// The pixels of a BMP file as opaque 0xFFRRGGBB words, rows top-down; empty
// when the file is missing, unreadable or not width × height.
[[nodiscard]] std::vector<std::uint32_t> ReadBackgroundFile(const std::string& path, int width, int height);

// The background composed here from the program's own pictures, without a
// file. Throws std::runtime_error when a picture cannot be read and what the
// composition throws.
[[nodiscard]] std::vector<std::uint32_t> ComposeBackgroundPixels(const StoredLayout& layout, int width,
                                                                 int height);

// The background of a width × height screen: the file when it has that size;
// otherwise, when `mayWriteFile` and the images folder exists, the file
// composed anew (as the apply run would) and read; otherwise composed in
// memory. Throws as ComposeBackgroundPixels.
[[nodiscard]] std::vector<std::uint32_t> BackgroundForScreen(const StoredLayout& layout, int width, int height,
                                                             bool mayWriteFile);

}  // namespace mervalis::desktop
