#include "common/registry_win.h"

#include <vector>

namespace mervalis {

LONG Registry::Open(std::string_view path, bool create) noexcept {
  CloseKey();
  const std::string p(path);
  LONG status;
  if (create) {
    status = ::RegCreateKeyExA(root_, p.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                               nullptr, key_.put(), nullptr);
  } else {
    status = ::RegOpenKeyExA(root_, p.c_str(), 0, access_, key_.put());
  }
  if (status != ERROR_SUCCESS) key_.reset();
  return status;
}

bool Registry::KeyExists(std::string_view path) const noexcept {
  UniqueHkey key;
  return ::RegOpenKeyExA(root_, std::string(path).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

LONG Registry::ReadString(std::string_view name, std::string& value) const noexcept {
  value.clear();
  if (!key_) return ERROR_INVALID_HANDLE;
  const std::string n(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG status = ::RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATATYPE;
  std::vector<char> data(size + 1, '\0');
  status = ::RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
  if (status != ERROR_SUCCESS) return status;
  data[size] = '\0';
  value = data.data();  // up to the first zero
  return ERROR_SUCCESS;
}

LONG Registry::WriteString(std::string_view name, std::string_view value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  const std::string data(value);
  return ::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
}

LONG Registry::DeleteValue(std::string_view name) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  return ::RegDeleteValueA(key_.get(), std::string(name).c_str());
}

bool DeleteKeyTree(HKEY root, std::string_view path) noexcept {
  const std::string p(path);
  {
    UniqueHkey key;
    const LONG opened = ::RegOpenKeyExA(root, p.c_str(), 0, KEY_ALL_ACCESS, key.put());
    // A key that exists but may not be opened is not gone.
    if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND;
    // Subkeys first: RegDeleteKey removes only empty keys on NT. Each pass
    // takes the first subkey left, so one that stays must end the loop.
    char name[256];
    while (true) {
      DWORD length = sizeof(name);
      const LONG status = ::RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS || !DeleteKeyTree(key.get(), name)) return false;
    }
  }
  return ::RegDeleteKeyA(root, p.c_str()) == ERROR_SUCCESS;
}

}  // namespace mervalis
