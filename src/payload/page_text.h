// Text of the wallpaper page file: the layout tag of the page template and
// the stub page that stays in the page file after an apply run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/product_names.h"

namespace mervalis {

// The one tag in the page template; replaced by "0" (centred) or "1"
// (stretched).
inline constexpr std::string_view kPageLayoutTag = "<PAGE_LAYOUT>";

// Replaces the first occurrence of `tag` (case-sensitive, byte for byte) by
// `replacement`. The search stops there: a second occurrence stays and the
// inserted text is never searched. Without the tag the text comes back as is.
[[nodiscard]] std::string ReplaceFirst(std::string_view text, std::string_view tag,
                                       std::string_view replacement);

// The twelve lines of the stub page, without line ends. `controlPath` is the
// runtime control's full path, used as it stands (backslashes and all).
[[nodiscard]] std::vector<std::string> StubPageLines(std::string_view wallpaperKey,
                                                     std::string_view controlPath);

// The stub page as written to the page file: every line followed by CR LF.
[[nodiscard]] std::string StubPageText(std::string_view wallpaperKey, std::string_view controlPath);

}  // namespace mervalis
