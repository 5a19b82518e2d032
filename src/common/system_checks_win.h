// The two checks that guard an install: a shell with the desktop component and
// a display with enough colours. Both write their checkpoint lines to the
// debug log, whose write errors they pass on.
#pragma once

#include <windows.h>

namespace mervalis {

// True when Shell32.dll in the system folder reports version 4.71 or later;
// false when it cannot be loaded, has no DllGetVersion or the call fails.
// The library is loaded and unloaded around the one call.
[[nodiscard]] bool HighEnoughShellVersion();

// True when bits per pixel times colour planes of the device context is at
// least 15 (a 15-bit display passes).
[[nodiscard]] bool HighEnoughColors(HDC dc);

}  // namespace mervalis
