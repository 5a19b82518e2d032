// The option code: one character that stores the layout options.
#pragma once

#include <string_view>

namespace mervalis {

// "1" to "4" for the centred layout by border and decoration, "5" for the
// stretched layout whatever the two boxes hold.
[[nodiscard]] char OptionCode(bool centred, bool showBorder, bool borderExtra) noexcept;

// True for a stored text that is one of the codes; the window keeps its own
// choices for anything else. desktop::LayoutFromOptionCode reads the layout.
[[nodiscard]] bool IsOptionCode(std::string_view text) noexcept;

}  // namespace mervalis
