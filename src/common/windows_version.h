// Which Windows this is: the facts that follow from its version.
#pragma once

namespace mervalis {

// From Vista on (major version 6) the wallpaper is installed per user, and
// the shell shows no page as the desktop.
[[nodiscard]] constexpr bool IsVistaOrLater(unsigned long majorVersion) noexcept { return majorVersion >= 6; }

}  // namespace mervalis
