#include "install/shortcut_table.h"

#include <utility>

#include "common/product_names.h"

namespace mervalis {

namespace {

constexpr ShortcutPlace kStartMenuGroup = {kCsidlCommonPrograms, kCsidlPrograms, kFamilyName};
constexpr ShortcutPlace kDesktop = {kCsidlCommonDesktopDirectory, kCsidlDesktopDirectory, {}};

constexpr ShortcutEntry kShortcuts[] = {
    {kStartMenuGroup, {}, ShortcutTarget::kApplication, false, false},
    {kStartMenuGroup, kMoreWallpapersLink, ShortcutTarget::kMoreWallpapersPage, false, true},
    {kDesktop, {}, ShortcutTarget::kApplication, true, false},
    {kDesktop, kDesktopMoreLink, ShortcutTarget::kMoreWallpapersPage, true, true},
};

Shortcut Resolve(const ShortcutEntry& entry, std::string_view title) {
  std::string name = entry.name.empty() ? std::string(title) + ".lnk" : std::string(entry.name);
  return {entry.place, std::move(name), entry.target};
}

}  // namespace

std::vector<Shortcut> ShortcutsToCreate(std::string_view title, bool desktopShortcutBox) {
  std::vector<Shortcut> shortcuts;
  for (const ShortcutEntry& entry : kShortcuts) {
    if (entry.onlyWithDesktopBox && !desktopShortcutBox) continue;
    shortcuts.push_back(Resolve(entry, title));
  }
  return shortcuts;
}

std::vector<Shortcut> ShortcutsToRemove(std::string_view title, bool otherWallpaperInstalled) {
  std::vector<Shortcut> shortcuts;
  for (const ShortcutEntry& entry : kShortcuts) {
    if (!entry.sharedByFamily) shortcuts.push_back(Resolve(entry, title));
  }
  if (otherWallpaperInstalled) return shortcuts;
  for (const ShortcutEntry& entry : kShortcuts) {
    if (entry.sharedByFamily) shortcuts.push_back(Resolve(entry, title));
  }
  return shortcuts;
}

std::vector<ShortcutPlace> ShortcutGroups() {
  std::vector<ShortcutPlace> groups;
  for (const ShortcutEntry& entry : kShortcuts) {
    if (entry.place.group.empty()) continue;
    bool known = false;
    for (const ShortcutPlace& group : groups) known = known || group.group == entry.place.group;
    if (!known) groups.push_back(entry.place);
  }
  return groups;
}

}  // namespace mervalis
