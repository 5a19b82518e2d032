// The still picture under the animation: the wallpaper's background composed
// for the screen, as "background.bmp" of the images folder holds it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/stored_options.h"

namespace mervalis::desktop {

// The images folder's "background.bmp".
[[nodiscard]] std::string BackgroundPath();

// A row of the background: its index from the top and its width opaque
// 0xFFRRGGBB pixels. The background goes to its user a row at a time, so
// that the whole picture is never held twice.
using BackgroundRow = std::function<void(int y, const std::uint32_t* pixels)>;

// The rows of a background file (24 bits, as the program writes it) of
// width × height to `row`; false when the file is missing, unreadable or not
// such a file (some rows may have gone to `row` by then).
[[nodiscard]] bool ReadBackgroundFile(const std::string& path, int width, int height, const BackgroundRow& row);

// The background composed here from the program's own pictures, without a
// file, its rows to `row`. Throws std::runtime_error when a picture cannot be
// read and what the composition throws.
void ComposeBackgroundRows(const StoredLayout& layout, int width, int height, const BackgroundRow& row);

// The background of a width × height screen, its rows to `row`: the file when
// it has that size; otherwise, when `mayWriteFile` and the images folder
// exists, the file composed anew (as the apply run would) and read;
// otherwise composed in memory. Throws as ComposeBackgroundRows.
void BackgroundForScreen(const StoredLayout& layout, int width, int height, bool mayWriteFile,
                         const BackgroundRow& row);

}  // namespace mervalis::desktop
