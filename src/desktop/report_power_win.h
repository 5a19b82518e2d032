// The report's power settings: the display's state and the energy saver's,
// as Windows tells them to a window that registers for them.
#pragma once

#include <string>

#include "desktop/late_functions_win.h"

namespace mervalis::desktop {

// "energy saver" and "display" lines; "not told" where Windows said nothing
// within 300 ms (before Windows 8, or without the functions).
[[nodiscard]] std::string PowerSettings(const LateFunctions& late);

}  // namespace mervalis::desktop
