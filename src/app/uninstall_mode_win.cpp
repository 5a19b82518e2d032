#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/uninstall_win.h"
#include "common/folders_win.h"
#include "common/names.h"

namespace mervalis {

void RunUninstallMode() {
  // The copy runs the uninstall, so the installed program itself can be removed.
  const std::string copy = GetSystemFolder() + std::string(kUninstallerCopyName);
  ::DeleteFileA(copy.c_str());
  ::CopyFileA(GetProgramPath().c_str(), copy.c_str(), TRUE);

  const int answer = ::MessageBoxA(::GetDesktopWindow(),
                                   "Are you sure you want to uninstall this animated wallpaper?",
                                   std::string(kCompanyName).c_str(),
                                   MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_SYSTEMMODAL);
  if (answer == IDYES) {
    ::ShellExecuteA(::GetDesktopWindow(), "open", copy.c_str(), kDoUninstallArgument.data(), nullptr,
                    SW_SHOWNORMAL);
  }
}

}  // namespace mervalis
