// The uninstall's plan from folders and registry texts as Windows and other
// programs may leave them: every path planned for deletion is absolute and
// inside the folders the plan was given, and the wallpaper put back is never
// a file of the family's, Windows' copy of ours or our page.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/uninstall_plan.h"
#include "common/names.h"
#include "fuzz_check.h"

namespace {

std::array<std::string, 4> g_special;  // programs, desktop, common programs, common desktop

std::string Special(int csidl) {
  switch (csidl) {
    case mervalis::kCsidlPrograms: return g_special[0];
    case mervalis::kCsidlDesktopDirectory: return g_special[1];
    case mervalis::kCsidlCommonPrograms: return g_special[2];
    case mervalis::kCsidlCommonDesktopDirectory: return g_special[3];
    default: return {};
  }
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return out;
}

// A folder as Windows may give it: mostly a plausible one, sometimes empty,
// relative or odd.
std::string Folder(FuzzedDataProvider& in, const char* plausible) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return plausible;
    case 1: return {};
    default: return in.ConsumeRandomLengthString(40);
  }
}

bool Inside(std::string_view path, std::string_view folder) {
  // A drive's root may come as "C:".
  if (!fuzz::IsAbsoluteWindowsPath(std::string(folder) + "\\") || !path.starts_with(folder)) return false;
  std::string_view rest = path.substr(folder.size());
  if (!rest.empty() && !folder.ends_with('\\') && rest[0] != '\\') return false;
  // No step back out of the folder.
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of("\\/");
    if (rest.substr(0, cut) == "..") return false;
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  return true;
}

std::optional<std::string> Saved(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return std::nullopt;
  static const char* const kKnown[] = {
      "C:\\Users\\me\\Pictures\\sea.jpg", "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\CoralReef\\background.bmp",
      "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper",
      "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", ""};
  return in.ConsumeBool() ? std::string(in.PickValueInArray(kKnown)) : in.ConsumeRandomLengthString(60);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  mervalis::UninstallFacts facts;
  facts.desktop = in.ConsumeBool() ? mervalis::DesktopKind::kHtmlPage : mervalis::DesktopKind::kAnimatedBehindIcons;
  facts.perUser = in.ConsumeBool();
  facts.otherWallpaperInstalled = in.ConsumeBool();
  facts.title = in.PickValueInArray({"Mervalis", "\"Coral Reef\"", "Deep Blue"});
  // These end in a backslash, as the uninstaller gives them.
  for (auto [folder, plausible] : {std::pair{&facts.installFolder, "C:\\Program Files\\Quorvane\\"},
                                   {&facts.wallpaperFolder, "C:\\WINDOWS\\Web\\Wallpaper\\"},
                                   {&facts.systemFolder, "C:\\WINDOWS\\system32\\"}}) {
    *folder = Folder(in, plausible);
    if (!folder->empty() && !folder->ends_with('\\')) *folder += '\\';
  }
  for (std::string& folder : g_special) folder = Folder(in, "C:\\Documents and Settings\\me\\Start Menu\\Programs");
  facts.programPath = in.ConsumeRandomLengthString(60);
  facts.specialFolder = &Special;
  facts.upper = &Upper;
  const std::string page = Upper(facts.wallpaperFolder) + "QUORVANE - " + Upper(facts.title) + ".HTML";
  facts.current.activeDesktop = in.ConsumeBool() ? page : in.ConsumeRandomLengthString(60);
  facts.current.plain = in.ConsumeRandomLengthString(60);
  facts.saved.lastwp = Saved(in);
  facts.saved.lastap = Saved(in);

  const mervalis::UninstallPlan plan = mervalis::PlanUninstall(facts);

  std::vector<std::string> folders = {facts.installFolder, facts.wallpaperFolder, facts.systemFolder};
  folders.insert(folders.end(), g_special.begin(), g_special.end());
  const auto ours = [&](std::string_view path) {
    return fuzz::IsAbsoluteWindowsPath(path) &&
           std::any_of(folders.begin(), folders.end(), [&](const std::string& f) { return Inside(path, f); });
  };
  FUZZ_CHECK(plan.applicationFile.empty() || ours(plan.applicationFile));
  FUZZ_CHECK(plan.controlPath.empty() || ours(plan.controlPath));
  for (const auto* list : {&plan.files, &plan.leftoverPatterns, &plan.emptyFolders}) {
    for (const std::string& path : *list) FUZZ_CHECK(ours(path));
  }

  for (const auto& restored : {plan.wallpaper.plain, plan.wallpaper.activeDesktop}) {
    if (!restored) continue;
    std::string value = Upper(*restored);
    std::replace(value.begin(), value.end(), '/', '\\');
    const std::string name = value.substr(value.find_last_of('\\') + 1);
    FUZZ_CHECK(value.substr(0, value.size() - name.size()).find("\\QVIMAGES\\") == std::string::npos &&
               !value.starts_with("QVIMAGES\\"));
    FUZZ_CHECK(name != "TRANSCODEDWALLPAPER" && !name.starts_with("TRANSCODEDWALLPAPER."));
    FUZZ_CHECK(value.find("QUORVANE - " + Upper(mervalis::RemoveQuotes(facts.title)) + ".HTML") == std::string::npos);
  }
  return 0;
}
