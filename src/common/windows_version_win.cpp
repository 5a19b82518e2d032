#include "common/windows_version_win.h"

#include <windows.h>

namespace mervalis {

unsigned long WindowsMajorVersion() noexcept {
  static const unsigned long major = [] {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) ? info.dwMajorVersion : 0ul;
  }();
  return major;
}

}  // namespace mervalis
