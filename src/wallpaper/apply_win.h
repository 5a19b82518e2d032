// The apply sequence: writes every file the wallpaper needs, composes the
// background for the screen, points the desktop at the page and leaves the
// stub page behind.
#pragma once

#include <string>
#include <string_view>

#include "wallpaper/apply_options.h"

namespace mervalis {

// True when the sequence reached its end without an error and with the new
// background in place; its own errors are shown in a box (the silent run's
// failed background is not: that run goes on and gives false at the end).
// Errors while rewriting the page file are thrown.
[[nodiscard]] bool ApplyWallpaper(const ApplyOptions& options);

// The sequence's two rewrites of the page file: the layout value in place of
// the template's tag, and the stub page in place of the whole file. Each
// writes the new page beside the old one and renames it over it (see
// WriteWholeFile), so the desktop never finds the page missing or partial.
// Each throws std::runtime_error on any failure, a failed close of the file
// included (the last data may be written only then).
void ReplaceLayoutTag(const std::string& pagePath, bool stretched);
void WriteStubPage(const std::string& pagePath, std::string_view wallpaperKey, std::string_view controlPath);

}  // namespace mervalis
