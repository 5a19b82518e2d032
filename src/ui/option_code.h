// The option code: one character that stores the layout options.
#pragma once

namespace mervalis {

// "1" to "4" for the centred layout by border and decoration, "5" for the
// stretched layout whatever the two boxes hold.
[[nodiscard]] char OptionCode(bool centred, bool showBorder, bool borderExtra) noexcept;

}  // namespace mervalis
