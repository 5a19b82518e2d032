// The layout the user chose, as the installer stores it: one option code
// character per wallpaper.
#pragma once

#include <string_view>

namespace mervalis::desktop {

struct StoredLayout {
  bool stretched = true;
  bool showBorder = false;  // centred only
  bool decorate = false;    // centred only
  friend bool operator==(const StoredLayout&, const StoredLayout&) = default;
};

// "1" to "4": centred, with the border for "2" and "4" and the decoration for
// "3" and "4"; "5": stretched. Anything else (nothing stored) reads as the
// installer's own default, stretched.
[[nodiscard]] StoredLayout LayoutFromOptionCode(std::string_view code) noexcept;

}  // namespace mervalis::desktop
