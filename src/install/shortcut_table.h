// Every shortcut this program makes, in one table read by install and
// uninstall alike: where it goes, its name, what it opens, and when.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mervalis {

// Shell special folders (the CSIDL numbers of shlobj.h).
inline constexpr int kCsidlPrograms = 0x0002;
inline constexpr int kCsidlDesktopDirectory = 0x0010;
inline constexpr int kCsidlCommonPrograms = 0x0017;
inline constexpr int kCsidlCommonDesktopDirectory = 0x0019;

// Where a shell special folder (a CSIDL) lies: a path without a trailing
// backslash, or empty when the shell has none.
using SpecialFolderLookup = std::string (*)(int csidl);

// A place for shortcuts: the all-users folder, or the current user's when the
// shell has no all-users one, and a group folder inside it (empty: none).
struct ShortcutPlace {
  int allUsers;
  int currentUser;
  std::string_view group;
};

enum class ShortcutTarget { kApplication, kMoreWallpapersPage };

struct ShortcutEntry {
  ShortcutPlace place;
  std::string_view name;  // empty: the wallpaper's title with ".lnk"
  ShortcutTarget target;
  bool onlyWithDesktopBox;  // made only when the desktop shortcut box is checked
  bool sharedByFamily;      // removed only when no other wallpaper of the family is installed
};

// One shortcut to make or remove.
struct Shortcut {
  ShortcutPlace place;
  std::string linkName;
  ShortcutTarget target;
};

// The shortcuts a first install makes, in the order made.
[[nodiscard]] std::vector<Shortcut> ShortcutsToCreate(std::string_view title, bool desktopShortcutBox);
// The shortcuts uninstall removes, its own first: each from both folders of
// its place, whichever the install used.
[[nodiscard]] std::vector<Shortcut> ShortcutsToRemove(std::string_view title, bool otherWallpaperInstalled);
// The group folders, removed when empty after the shortcuts.
[[nodiscard]] std::vector<ShortcutPlace> ShortcutGroups();

}  // namespace mervalis
