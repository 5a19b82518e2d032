// What the apply sequence is told when it starts: the window's layout choices
// and the facts of the run. Portable, so the decisions taken from it are
// tested natively.
#pragma once

#include <string>

#include "wallpaper/desktop_kind.h"

namespace mervalis {

struct ApplyOptions {
  std::string wallpaperNameCaption;  // the quoted title, "\"Mervalis\""
  bool stretched = true;
  bool showBorder = false;
  bool borderExtra = false;
  // The apply run mode: the background is renewed and the page re-pointed,
  // but the remembered wallpapers, the pictures and the runtime control are
  // left alone, and a background that cannot be written is not reported.
  bool applyMode = false;
  // What this Windows shows as the desktop, read once by the caller. Where it
  // cannot show the page, the plain wallpaper carries the composed background
  // and the Active Desktop is left alone.
  DesktopKind desktop = DesktopKind::kHtmlPage;
};

}  // namespace mervalis
