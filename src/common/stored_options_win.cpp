#include "common/stored_options_win.h"

#include <windows.h>

#include "common/product_names.h"
#include "common/registry_win.h"

namespace mervalis {

std::string ReadOptionCode(std::string_view title) {
  RegistryKey registry(HKEY_CURRENT_USER, KEY_READ);
  std::string code;
  if (registry.OpenKey(kOptionsKey, false) && registry.ReadString(title, code) != ERROR_SUCCESS) code.clear();
  return code;
}

StoredLayout ReadStoredLayout() { return LayoutFromOptionCode(ReadOptionCode(kTitle)); }

void WriteOptionCode(std::string_view title, char code) noexcept {
  RegistryKey registry(HKEY_CURRENT_USER, KEY_WRITE);
  if (!registry.OpenKey(kOptionsKey, true)) return;
  const char text[2] = {code, 0};
  (void)registry.WriteString(title, text);
}

void RemoveOptionCode(std::string_view title) noexcept {
  RegistryKey registry(HKEY_CURRENT_USER, KEY_ALL_ACCESS);
  if (registry.OpenKey(kOptionsKey, false)) (void)registry.DeleteValue(title);
}

}  // namespace mervalis
