// What the uninstaller removes and puts back, decided from the facts it reads
// once this wallpaper's desktop mode and logon entry are gone. The
// uninstaller only gathers the facts and carries the plan out; every step is
// attempted whatever the earlier ones gave.
#pragma once

#include <string>
#include <vector>

#include "install/shortcut_table.h"
#include "wallpaper/desktop_kind.h"
#include "wallpaper/previous_wallpapers.h"

namespace mervalis {

struct UninstallFacts {
  DesktopKind desktop = DesktopKind::kHtmlPage;
  // The per-user install (from Vista on): shortcuts in the user's own
  // folders only, no runtime control, and the wallpaper folder is ours.
  bool perUser = false;
  std::string title;
  // The folders as Windows gives them, each ending in a backslash.
  std::string installFolder;
  std::string wallpaperFolder;
  std::string systemFolder;
  DesktopWallpapers current;  // a setting that cannot be read counts as empty
  SavedWallpapers saved;
  // Uninstall entries of the family other than this one's: the family's
  // shared links stay.
  bool otherWallpaperInstalled = false;
  std::string programPath;  // the running copy
  // Both required: the shell's special folders, and the user's locale's
  // upper-casing for the page name and the paths compared.
  SpecialFolderLookup specialFolder = nullptr;
  UpperCaseFunction upper = nullptr;
};

struct UninstallPlan {
  WallpaperRestore wallpaper;
  // Deleted after `files` and the control, once the program that may still
  // run from it lets go.
  std::string applicationFile;
  // These, in order, read-only or not: what an interrupted replace left,
  // the page, the background, the pictures, and the shortcuts (each from both
  // folders of its place, this wallpaper's own before the family's).
  std::vector<std::string> files;
  // Then every file these patterns match ("*" for any text): the temporary
  // files of this run's names that a write stopped half-way may have left.
  std::vector<std::string> leftoverPatterns;
  // Unregistered, then deleted; empty when another wallpaper of the family
  // still uses it, or where the install wrote none.
  std::string controlPath;
  // Removed in this order, each only when empty: another wallpaper of the
  // family may still use them.
  std::vector<std::string> emptyFolders;
  // This copy is the uninstaller copy in the system folder (before Vista;
  // paths compared upper-cased): Windows deletes it at the next restart. A
  // per-user copy is not so scheduled, which would write to the machine's
  // registry: the program's next start removes it.
  bool deleteSelfAtRestart = false;
};

[[nodiscard]] UninstallPlan PlanUninstall(const UninstallFacts& facts);

}  // namespace mervalis
