#include "common/system_library_win.h"

#include <windows.h>

#include <string>

#include "common/folders_win.h"
#include "common/wide_text_win.h"

namespace mervalis {

namespace {

// Not in the oldest headers the program is built for.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename F>
F KernelFunction(const char* name) noexcept {
  return FindFunction<F>(::GetModuleHandleW(L"kernel32.dll"), name);
}

}  // namespace

void RestrictLibrarySearch() noexcept {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  using SetDirectory = BOOL(WINAPI*)(LPCWSTR);
  if (const auto setDefault = KernelFunction<SetDefaultDirectories>("SetDefaultDllDirectories")) {
    if (setDefault(kSearchSystem32)) return;
  }
  if (const auto setDirectory = KernelFunction<SetDirectory>("SetDllDirectoryW")) (void)setDirectory(L"");
}

UniqueModule LoadSystemLibrary(std::string_view fileName) {
  const std::string folder = GetSystemFolder();
  if (folder.empty()) return UniqueModule();
  return UniqueModule(::LoadLibraryW(Widen(folder + std::string(fileName)).c_str()));
}

}  // namespace mervalis
