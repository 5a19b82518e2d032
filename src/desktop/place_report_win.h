// Where the `desktop` mode leaves its word about its place behind the icons
// for whoever started it: a number under the program's key of the user's
// registry ("Software\\Quorvanesoft", value "Mervalis desktop"). The mode
// writes it as it learns, and deletes it when it ends; the starter deletes
// it before the start, so that only the new mode's word counts.
#pragma once

#include <windows.h>

#include <functional>

#include "desktop/place_report.h"

namespace mervalis::desktop {

void WritePlaceReport(PlaceReport report) noexcept;
void ClearPlaceReport() noexcept;

// Whether Windows says its animations inside windows are off
// (SPI_GETCLIENTAREAANIMATION); false where it cannot say (before Vista).
[[nodiscard]] bool ClientAreaAnimationOff() noexcept;

// Whether the user switched the desktop icons off ("Show desktop icons"):
// "HideIcons" under Explorer's "Advanced" key of the user's registry.
[[nodiscard]] bool DesktopIconsHidden() noexcept;

// Posts `message` to a window whenever a value under Explorer's "Advanced"
// key changes, "HideIcons" among them (Windows' registry notification: the
// shell's broadcast, if any, is not documented). Nothing where the key is
// missing.
class DesktopIconsWatch {
 public:
  DesktopIconsWatch() = default;
  DesktopIconsWatch(const DesktopIconsWatch&) = delete;
  DesktopIconsWatch& operator=(const DesktopIconsWatch&) = delete;
  ~DesktopIconsWatch() { Stop(); }

  // False when nothing can be watched.
  bool Start(HWND window, UINT message) noexcept;
  // Asks for the next change: after each message, from the thread that
  // started the watch (Windows ties the request to it).
  void Again() noexcept;
  void Stop() noexcept;

 private:
  static void CALLBACK Changed(void* self, BOOLEAN) noexcept;

  HKEY key_ = nullptr;
  HANDLE event_ = nullptr;
  HANDLE wait_ = nullptr;
  HWND window_ = nullptr;
  UINT message_ = 0;
};

// How long a starter waits for a mode's first word: its first look, and a
// few more over a second and a half when that found nothing.
inline constexpr unsigned long kPlaceReportWaitMs = 6000;

// Waits at most `timeoutMs` for the word of a mode started just now, calling
// `meanwhile` between looks (a window keeps answering); kNone when none came.
[[nodiscard]] PlaceReport AwaitPlaceReport(unsigned long timeoutMs, const std::function<void()>& meanwhile = {});

}  // namespace mervalis::desktop
