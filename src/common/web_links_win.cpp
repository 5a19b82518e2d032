#include "common/web_links_win.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/web_links.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

// The user's own entries (per-user installs) first, then the machine's. An
// error part-way keeps the names read before it.
std::vector<std::string> UninstallSubkeyNames() {
  std::vector<std::string> names;
  std::string root(kUninstallRootKey);
  if (!root.empty() && root.back() == '\\') root.pop_back();
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegistryKey key;
    if (key.Open(hive, root, KEY_READ) == ERROR_SUCCESS) (void)key.EnumSubkeys(names);
  }
  return names;
}

}  // namespace

std::string GetInstalledWallpapers(std::string_view exceptTitle) {
  std::vector<std::string> names = UninstallSubkeyNames();
  if (!exceptTitle.empty()) std::erase(names, std::string(kFamilyPrefix) + std::string(exceptTitle));
  return RemoveQuotesAndSpaces(AnsiLowerCase(FamilyWallpaperNames(names)));
}

void OpenWallpaperWebPage(std::string_view page, std::string_view wallpaperNameCaption) noexcept {
  try {
    const std::string address = WebPageAddress(
        page, LinkQuery(AnsiLowerCase(wallpaperNameCaption), GetInstalledWallpapers()));
    // A missing browser or network is not the program's business: no check.
    ::ShellExecuteW(::GetDesktopWindow(), L"open", Widen(address).c_str(), nullptr, nullptr, SW_HIDE);
  } catch (...) {
    LogCaught("OpenWallpaperWebPage");
    // Only an allocation can fail here; a link that does nothing is the answer.
  }
}

}  // namespace mervalis
