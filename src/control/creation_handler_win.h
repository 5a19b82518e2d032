// What the runtime control does when the desktop's browser engine creates it:
// it finds the family wallpaper that the desktop shows and starts that
// wallpaper's installed program with "apply", which renews the page.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include <string>

namespace quorvanex {

// The Active Desktop's current wallpaper as UTF-8 text; empty when there is
// none or the Active Desktop cannot be asked. COM is initialised for the
// call and uninitialised after it (balanced also where COM was already up).
[[nodiscard]] std::string CurrentActiveDesktopWallpaper() noexcept;

// The address of the page that hosts the control, as its site tells it: the
// display name of the container's moniker, else the URL property of the
// container (an HTML document); empty when the site tells neither.
[[nodiscard]] std::string HostPageAddress(IOleClientSite* site) noexcept;

// The creation handler. Starts the application file with "apply" through the
// shell and returns at once (it neither waits nor checks the shell's answer);
// otherwise shows the reason in a modal box owned by `owner` (may be null).
void RunCreationHandler(HWND owner) noexcept;

}  // namespace quorvanex
