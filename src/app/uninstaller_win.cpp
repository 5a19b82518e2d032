#include <windows.h>

#include <string>

#include "app/uninstall_win.h"
#include "common/names.h"

namespace mervalis {

// Placeholder until the uninstaller is written: it says so and removes nothing.
void RunUninstaller() {
  ::MessageBoxA(::GetDesktopWindow(),
                "This build cannot uninstall yet: nothing has been removed.",
                std::string(kCompanyWord).c_str(), MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
}

}  // namespace mervalis
