// The apply sequence: writes every file the wallpaper needs, composes the
// background for the screen, points the desktop at the page and leaves the
// stub page behind.
#pragma once

#include <string>

namespace mervalis {

// What the sequence reads from the main window when it starts.
struct ApplyOptions {
  std::string wallpaperNameCaption;  // the quoted title, "\"Mervalis\""
  bool stretched = true;
  bool showBorder = false;
  bool borderExtra = false;
  // The apply run mode: the background is renewed and the page re-pointed,
  // but the remembered wallpapers, the pictures and the runtime control are
  // left alone, and a background that cannot be written is not reported.
  bool applyMode = false;
};

// True when the sequence reached its end without an error; its own errors are
// shown in a box. Errors while rewriting the page file are thrown.
[[nodiscard]] bool ApplyWallpaper(const ApplyOptions& options);

}  // namespace mervalis
