#include "common/stored_options_win.h"

#include <windows.h>

#include "common/product_names.h"
#include "common/registry_win.h"

namespace mervalis {

std::string ReadOptionCode(std::string_view title) {
  RegistryKey registry;
  std::string code;
  // A missing value, or one that is not a text, reads as no code.
  if (registry.Open(HKEY_CURRENT_USER, kOptionsKey, KEY_READ) == ERROR_SUCCESS &&
      registry.ReadString(title, code) != ERROR_SUCCESS) {
    code.clear();
  }
  return code;
}

StoredLayout ReadStoredLayout() { return LayoutFromOptionCode(ReadOptionCode(kTitle)); }

void WriteOptionCode(std::string_view title, char code) noexcept {
  RegistryKey registry;
  if (registry.Create(HKEY_CURRENT_USER, kOptionsKey, KEY_WRITE) != ERROR_SUCCESS) return;
  const char text[2] = {code, 0};
  (void)registry.WriteString(title, text);
}

void RemoveOptionCode(std::string_view title) noexcept {
  RegistryKey registry;
  if (registry.Open(HKEY_CURRENT_USER, kOptionsKey, KEY_SET_VALUE) == ERROR_SUCCESS) {
    (void)registry.DeleteValue(title);
  }
}

}  // namespace mervalis
