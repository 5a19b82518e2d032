#include "common/registry_win.h"

#include <vector>

namespace mervalis {

LONG RegistryKey::Open(std::string_view path, bool create) noexcept {
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

bool RegistryKey::KeyExists(std::string_view path) const noexcept {
  UniqueHkey key;
  return ::RegOpenKeyExA(root_, std::string(path).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

LONG RegistryKey::ReadString(std::string_view name, std::string& value) const noexcept {
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

LONG RegistryKey::WriteString(std::string_view name, std::string_view value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  const std::string data(value);
  return ::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
}

LONG RegistryKey::DeleteValue(std::string_view name) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  return ::RegDeleteValueA(key_.get(), std::string(name).c_str());
}

LONG RegistryKey::ReadDword(std::string_view name, DWORD& value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  const LONG status = ::RegQueryValueExA(key_.get(), std::string(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&data), &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_DWORD || size != sizeof(data)) return ERROR_INVALID_DATATYPE;
  value = data;
  return ERROR_SUCCESS;
}

LONG RegistryKey::WriteDword(std::string_view name, DWORD value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  return ::RegSetValueExA(key_.get(), std::string(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

bool RegistryKey::HasValue(std::string_view name) const noexcept {
  return key_ && ::RegQueryValueExA(key_.get(), std::string(name).c_str(), nullptr, nullptr, nullptr,
                                    nullptr) == ERROR_SUCCESS;
}

LONG RegistryKey::EnumSubkeys(std::vector<std::string>& names) const {
  if (!key_) return ERROR_INVALID_HANDLE;
  for (DWORD index = 0;; ++index) {
    char name[256];  // a key name has at most 255 characters
    DWORD length = sizeof(name);
    const LONG status =
        ::RegEnumKeyExA(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    names.emplace_back(name, length);
  }
}

bool RegistryKey::DeleteTree(std::string_view path) const noexcept {
  {
    RegistryKey key(root_, KEY_ALL_ACCESS);
    const LONG opened = key.Open(path, false);
    // A key that exists but may not be opened is not gone.
    if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND;
    // Subkeys first: RegDeleteKey removes only empty keys on NT. Each pass
    // takes the first subkey left, so one that stays must end the loop.
    const RegistryKey children(key.key_.get(), KEY_ALL_ACCESS);
    char name[256];
    while (true) {
      DWORD length = sizeof(name);
      const LONG status =
          ::RegEnumKeyExA(key.key_.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS || !children.DeleteTree(std::string_view(name, length))) return false;
    }
  }
  return ::RegDeleteKeyA(root_, std::string(path).c_str()) == ERROR_SUCCESS;
}

}  // namespace mervalis
