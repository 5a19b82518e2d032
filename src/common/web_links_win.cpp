#include "common/web_links_win.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "common/folders_win.h"
#include "common/names.h"
#include "common/web_links.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

std::vector<std::string> UninstallSubkeyNames() {
  std::vector<std::string> names;
  std::string root(kUninstallRootKey);
  if (!root.empty() && root.back() == '\\') root.pop_back();
  UniqueHkey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    char name[256];  // a key name has at most 255 characters
    DWORD length = sizeof(name);
    if (::RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;  // the end of the list, or an error: either way keep what was read
    }
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace

std::string GetInstalledWallpapers() {
  return RemoveQuotesAndSpaces(AnsiLowerCase(FamilyWallpaperNames(UninstallSubkeyNames())));
}

void OpenWallpaperWebPage(std::string_view page, std::string_view wallpaperNameCaption) noexcept {
  try {
    const std::string address = WebPageAddress(
        page, LinkQuery(AnsiLowerCase(wallpaperNameCaption), GetInstalledWallpapers()));
    // A missing browser or network is not the program's business: no check.
    ::ShellExecuteA(::GetDesktopWindow(), "open", address.c_str(), nullptr, nullptr, SW_HIDE);
  } catch (...) {
    // Only an allocation can fail here; a link that does nothing is the answer.
  }
}

}  // namespace mervalis
