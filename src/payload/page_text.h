// Text of the wallpaper page file: the layout tag of the page template and
// the stub page that stays in the page file after an apply run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mervalis {

// The one tag in the page template; replaced by "0" (centred) or "1"
// (stretched).
inline constexpr std::string_view kPageLayoutTag = "<PAGE_LAYOUT>";

// Class id and version under which the stub page embeds the runtime control.
inline constexpr std::string_view kRuntimeControlClassId = "A720EFA4-00C8-459A-8762-5CF50F24DA54";
inline constexpr std::string_view kRuntimeControlVersion = "1,0,0,0";

// Folder beside the page that holds the pictures, one subfolder per wallpaper.
inline constexpr std::string_view kPageImagesFolder = "QVImages";

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
