// The desktop this Windows shows, read once by the Win32 layer and handed to
// the operations in their options, and the logon entry of the `desktop` mode.
#pragma once

#include <string_view>

#include "wallpaper/desktop_kind.h"

namespace mervalis {

// From the version Windows reports to this program (a compatibility setting
// can make it report an older one: that is what the program then gets).
[[nodiscard]] DesktopKind CurrentDesktopKind() noexcept;

// The Run value "Quorvane - <title>" under the current user's Run key, which
// starts the `desktop` mode at logon. Writing creates the key when missing;
// removing never creates it. True on success; removing a value that is not
// there counts as success.
[[nodiscard]] bool WriteRunValue(std::string_view title, std::string_view applicationFile) noexcept;
[[nodiscard]] bool RemoveRunValue(std::string_view title) noexcept;
[[nodiscard]] bool RunValueExists(std::string_view title) noexcept;

}  // namespace mervalis
