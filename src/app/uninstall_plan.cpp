#include "app/uninstall_plan.h"

#include "common/names.h"
#include "payload/catalogue.h"

namespace mervalis {

namespace {

// What a write beside the real file and a rename leaves when interrupted: the
// new file, and for the background also the old one moved aside.
constexpr char kTemporarySuffix[] = ".tmp";
constexpr char kAsideSuffix[] = ".old";

// A name in a special folder; empty when the shell has no such folder (a bare
// name would point at the root of the current drive).
std::string InSpecialFolder(const UninstallFacts& facts, int csidl, std::string_view name) {
  const std::string folder = facts.specialFolder(csidl);
  return folder.empty() ? std::string() : folder + "\\" + std::string(name);
}

// The folders of a place that an install may have used: a per-user install
// never writes to the all-users one.
std::vector<int> Folders(const UninstallFacts& facts, const ShortcutPlace& place) {
  if (facts.perUser) return {place.currentUser};
  return {place.allUsers, place.currentUser};
}

void AddShortcutFiles(const UninstallFacts& facts, std::vector<std::string>& files) {
  for (const Shortcut& shortcut : ShortcutsToRemove(facts.title, facts.otherWallpaperInstalled)) {
    const std::string name = shortcut.place.group.empty()
                                 ? shortcut.linkName
                                 : std::string(shortcut.place.group) + "\\" + shortcut.linkName;
    for (int csidl : Folders(facts, shortcut.place)) {
      std::string path = InSpecialFolder(facts, csidl, name);
      if (!path.empty()) files.push_back(std::move(path));
    }
  }
}

// "X:\" or a network path "\\server\share".
bool IsAbsolutePath(std::string_view path) {
  const char drive = static_cast<char>(path.empty() ? 0 : (path[0] | 0x20));
  return (path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         path.starts_with("\\\\");
}

}  // namespace

UninstallPlan PlanUninstall(const UninstallFacts& facts) {
  UninstallPlan plan;
  plan.wallpaper = PlanWallpaperRestore(facts.desktop, facts.current, facts.saved, facts.title, facts.upper);

  const std::string key = RemoveQuotesAndSpaces(facts.title);
  const std::string imagesRoot = ImagesRootFolder(facts.wallpaperFolder);
  const std::string imagesFolder = imagesRoot + "\\" + key;
  const std::string background = imagesFolder + "\\" + std::string(kBackgroundName);
  plan.applicationFile = ApplicationFilePath(facts.installFolder, facts.title);
  plan.files = {plan.applicationFile + kTemporarySuffix, PagePath(facts.wallpaperFolder, facts.title), background,
                background + kTemporarySuffix, background + kAsideSuffix};
  plan.leftoverPatterns = {plan.applicationFile + ".*" + kTemporarySuffix, background + ".*" + kTemporarySuffix};
  for (const PayloadPicture& picture : kPayloadPictures) {
    plan.files.push_back(imagesFolder + "\\" + std::string(picture.fileName));
  }
  AddShortcutFiles(facts, plan.files);
  if (!facts.perUser && !facts.otherWallpaperInstalled) {
    plan.controlPath = facts.systemFolder + std::string(kControlFileName);
  }

  plan.emptyFolders = {facts.installFolder, imagesFolder, imagesRoot};
  if (facts.perUser) plan.emptyFolders.push_back(facts.wallpaperFolder);
  for (const ShortcutPlace& place : ShortcutGroups()) {
    for (int csidl : Folders(facts, place)) {
      std::string folder = InSpecialFolder(facts, csidl, place.group);
      if (!folder.empty()) plan.emptyFolders.push_back(std::move(folder));
    }
  }

  // A folder Windows could not give, or gave as no absolute path, would put
  // a name in whatever the current folder is: nothing there is deleted.
  const auto relative = [](const std::string& path) { return !IsAbsolutePath(path); };
  if (relative(plan.applicationFile)) plan.applicationFile.clear();
  if (relative(plan.controlPath)) plan.controlPath.clear();
  for (auto* list : {&plan.files, &plan.leftoverPatterns, &plan.emptyFolders}) std::erase_if(*list, relative);

  plan.deleteSelfAtRestart =
      !facts.perUser &&
      facts.upper(facts.programPath) == facts.upper(facts.systemFolder + std::string(kUninstallerCopyName));
  return plan;
}

}  // namespace mervalis
