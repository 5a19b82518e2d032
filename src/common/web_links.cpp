#include "common/web_links.h"

#include "common/names.h"

namespace mervalis {

std::string FamilyWallpaperNames(const std::vector<std::string>& subkeyNames) {
  std::string list;
  for (const std::string& name : subkeyNames) {
    const auto at = name.find(kFamilyPrefix);
    if (at == std::string::npos) continue;
    if (!list.empty()) list += ',';
    list.append(name, at + kFamilyPrefix.size());
  }
  return list;
}

std::string LinkQuery(std::string_view lowerCaseCaption, std::string_view lowerCaseInstalledList) {
  std::string query(lowerCaseCaption);
  query += "&iwp=";
  query += lowerCaseInstalledList;
  return RemoveQuotesAndSpaces(query);
}

std::string WebPageAddress(std::string_view page, std::string_view query) {
  std::string address(kWebSiteRoot);
  address += page;
  address += query;
  return address;
}

std::string ShortcutAddress() { return std::string(kWebSiteRoot) + std::string(kShortcutPage); }

}  // namespace mervalis
