// Libraries of the system, loaded only from the system folder. The program
// is started from wherever the user saved it, a download folder often, where
// a file named as a system library may have been put to be loaded instead.
#pragma once

#include <windows.h>

#include <string_view>

#include "common/win_handles.h"

namespace mervalis {

// Leaves the system folder as the only place this process loads libraries
// from by bare name where Windows can (SetDefaultDllDirectories: Windows 8,
// and 7 or Vista with its update), and else at least takes the current folder
// out of the search (SetDllDirectory). Called first thing at start; both are
// looked up at run time, so the program still starts on the oldest Windows.
void RestrictLibrarySearch() noexcept;

// The system library `fileName` ("dwmapi.dll"), loaded by its full path in
// the system folder; none when it is not there.
[[nodiscard]] UniqueModule LoadSystemLibrary(std::string_view fileName);

// The function `name` of `module` as the type F, looked up at run time for
// the functions a newer Windows has; null without the module or the function.
template <typename F>
[[nodiscard]] F FindFunction(HMODULE module, const char* name) noexcept {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace mervalis
