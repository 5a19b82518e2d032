// The layout the user chose, as the installer stores it: one option code
// character per wallpaper. The reading and writing are in
// common/stored_options_win.h.
#pragma once

#include <string_view>

namespace mervalis {

struct StoredLayout {
  bool stretched = true;
  bool showBorder = false;  // centred only
  bool decorate = false;    // centred only
  friend bool operator==(const StoredLayout&, const StoredLayout&) = default;
};

// "1" to "4" for the centred layout by border and decoration, "5" for the
// stretched layout whatever the two boxes hold.
[[nodiscard]] char OptionCode(bool centred, bool showBorder, bool borderExtra) noexcept;

// True for a stored text that is one of the codes; the window keeps its own
// choices for anything else.
[[nodiscard]] bool IsOptionCode(std::string_view text) noexcept;

// "1" to "4": centred, with the border for "2" and "4" and the decoration for
// "3" and "4"; "5": stretched. Anything else (nothing stored) reads as the
// installer's own default, stretched.
[[nodiscard]] StoredLayout LayoutFromOptionCode(std::string_view code) noexcept;

}  // namespace mervalis
