// Addresses of the maker's web site: the pages behind the links of the main
// window, which carry the wallpaper's name and the family's installed
// wallpapers, and the page the web shortcuts open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/product_names.h"

namespace mervalis {

// The family's wallpapers among the subkey names of the uninstall key, in the
// order given: for every name containing "Quorvane - " (case-sensitive, first
// occurrence) the rest of the name after it, joined with ",". Neither
// lower-cased nor closed up: that needs the user's locale.
[[nodiscard]] std::string FamilyWallpaperNames(const std::vector<std::string>& subkeyNames);

// "<caption>&iwp=<installed>" without blanks and double quotes. Both parts
// must already be lower-cased in the user's locale.
[[nodiscard]] std::string LinkQuery(std::string_view lowerCaseCaption,
                                    std::string_view lowerCaseInstalledList);

// The site root, the page and the query; nothing is escaped.
[[nodiscard]] std::string WebPageAddress(std::string_view page, std::string_view query);

// The target of the web shortcuts.
[[nodiscard]] std::string ShortcutAddress();

}  // namespace mervalis
