// The stored options under the user's key (kOptionsKey): one option code per
// wallpaper, written by the installer and read by the window, the `apply`
// re-run and the animated desktop; the uninstaller removes it.
#pragma once

#include <string>
#include <string_view>

#include "common/stored_options.h"

namespace mervalis {

// The code stored for the wallpaper `title`; empty when there is none or the
// value is not a string.
[[nodiscard]] std::string ReadOptionCode(std::string_view title);

// The layout stored for this program's wallpaper; the default layout when
// nothing is stored.
[[nodiscard]] StoredLayout ReadStoredLayout();

void WriteOptionCode(std::string_view title, char code) noexcept;

void RemoveOptionCode(std::string_view title) noexcept;

}  // namespace mervalis
