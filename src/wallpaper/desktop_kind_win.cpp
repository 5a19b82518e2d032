#include "wallpaper/desktop_kind_win.h"

#include <windows.h>

#include <string>

#include "common/debug_log.h"
#include "common/registry_win.h"
#include "common/win_handles.h"
#include "common/windows_version_win.h"

namespace mervalis {

// Without an answer (major version 0), the page path: it is what every
// Windows this program was first made for shows.
DesktopKind CurrentDesktopKind() noexcept { return DesktopKindForWindows(WindowsMajorVersion()); }

bool WriteRunValue(std::string_view title, std::string_view applicationFile) noexcept {
  try {
    RegistryKey run;
    return run.Create(HKEY_CURRENT_USER, kRunKey, KEY_WRITE) == ERROR_SUCCESS &&
           run.WriteString(RunValueName(title), DesktopModeCommand(applicationFile)) == ERROR_SUCCESS;
  } catch (...) {  // std::bad_alloc from the texts
    LogCaught("WriteRunValue");
    return false;
  }
}

bool RemoveRunValue(std::string_view title) noexcept {
  try {
    RegistryKey run;
    const LONG opened = run.Open(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    const LONG deleted = run.DeleteValue(RunValueName(title));
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  } catch (...) {
    LogCaught("RemoveRunValue");
    return false;
  }
}

bool RunValueExists(std::string_view title) noexcept {
  try {
    RegistryKey run;
    // Any type counts: the value is there.
    return run.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           run.QueryValue(RunValueName(title)) == ERROR_SUCCESS;
  } catch (...) {
    LogCaught("RunValueExists");
    return false;
  }
}

}  // namespace mervalis
