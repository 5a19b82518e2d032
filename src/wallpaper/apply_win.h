// The apply sequence: writes every file the wallpaper needs, composes the
// background for the screen, points the desktop at the page and leaves the
// stub page behind.
#pragma once

#include <string>
#include <string_view>

#include "wallpaper/apply_options.h"

namespace mervalis {

// True when the sequence reached its end without an error, with the new
// background in place and the desktop showing our wallpaper; its own errors
// are shown in a box (the silent run's failed background and refused
// wallpaper are not: that run goes on and gives false at the end). Errors
// while writing the stub page are thrown.
[[nodiscard]] bool ApplyWallpaper(const ApplyOptions& options);

// The stub page in place of the page file, written beside the old one and
// renamed over it (see WriteWholeFile), so the desktop never finds the page
// missing or partial. Throws std::runtime_error on any failure, a failed
// close of the file included (the last data may be written only then).
void WriteStubPage(const std::string& pagePath, std::string_view wallpaperKey, std::string_view controlPath);

}  // namespace mervalis
