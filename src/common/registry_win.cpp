#include "common/registry_win.h"

#include <vector>

#include "common/crash_point.h"
#include "common/wide_text_win.h"

namespace mervalis {

namespace {

// A key name has at most 255 characters; one more for the terminating zero
// and one to spare.
constexpr DWORD kKeyNameChars = 256 + 1;

}  // namespace

LONG RegistryKey::Open(HKEY parent, std::string_view path, REGSAM access) noexcept {
  Close();
  const LONG status = ::RegOpenKeyExW(parent, Widen(path).c_str(), 0, access, key_.put());
  if (status != ERROR_SUCCESS) key_.reset();
  return status;
}

LONG RegistryKey::Create(HKEY parent, std::string_view path, REGSAM access) noexcept {
  Close();
  CrashPoint("registry key written");
  const LONG status = ::RegCreateKeyExW(parent, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, key_.put(), nullptr);
  if (status != ERROR_SUCCESS) key_.reset();
  return status;
}

bool KeyExists(HKEY root, std::string_view path) noexcept {
  RegistryKey key;
  return key.Open(root, path, KEY_READ) == ERROR_SUCCESS;
}

LONG RegistryKey::ReadString(std::string_view name, std::string& value) const noexcept {
  value.clear();
  if (!key_) return ERROR_INVALID_HANDLE;
  const std::wstring n = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG status = ::RegQueryValueExW(key_.get(), n.c_str(), nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATATYPE;
  // Whole characters, and room for a terminating zero the data may lack.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
  status = ::RegQueryValueExW(key_.get(), n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  if (status != ERROR_SUCCESS) return status;
  data[size / sizeof(wchar_t)] = L'\0';
  if (type == REG_EXPAND_SZ) {
    // Names such as "%SystemRoot%\Web\x.jpg": the value means the path they
    // stand for, and only that path can be used or written back as a string.
    const DWORD needed = ::ExpandEnvironmentStringsW(data.data(), nullptr, 0);
    if (needed == 0) return static_cast<LONG>(::GetLastError());
    std::vector<wchar_t> expanded(needed + 1, L'\0');
    if (::ExpandEnvironmentStringsW(data.data(), expanded.data(), needed + 1) == 0) {
      return static_cast<LONG>(::GetLastError());
    }
    data.swap(expanded);
  }
  value = Narrow(data.data());  // up to the first zero
  return ERROR_SUCCESS;
}

LONG RegistryKey::WriteString(std::string_view name, std::string_view value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  const std::wstring data = Widen(value);
  CrashPoint("registry value written");
  return ::RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

LONG RegistryKey::DeleteValue(std::string_view name) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  CrashPoint("registry value deleted");
  return ::RegDeleteValueW(key_.get(), Widen(name).c_str());
}

LONG RegistryKey::ReadDword(std::string_view name, DWORD& value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  const std::wstring n = Widen(name);
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = 0;
  // The type first: a string of any length is of the wrong type, not too long.
  LONG status = ::RegQueryValueExW(key_.get(), n.c_str(), nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_DWORD || size != sizeof(data)) return ERROR_INVALID_DATATYPE;
  status = ::RegQueryValueExW(key_.get(), n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_DWORD || size != sizeof(data)) return ERROR_INVALID_DATATYPE;
  value = data;
  return ERROR_SUCCESS;
}

LONG RegistryKey::WriteDword(std::string_view name, DWORD value) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  CrashPoint("registry value written");
  return ::RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG RegistryKey::QueryValue(std::string_view name, DWORD* type) const noexcept {
  if (!key_) return ERROR_INVALID_HANDLE;
  return ::RegQueryValueExW(key_.get(), Widen(name).c_str(), nullptr, type, nullptr, nullptr);
}

LONG RegistryKey::EnumSubkeys(std::vector<std::string>& names) const {
  if (!key_) return ERROR_INVALID_HANDLE;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameChars];
    DWORD length = kKeyNameChars;
    const LONG status =
        ::RegEnumKeyExW(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    names.push_back(Narrow(std::wstring_view(name, length)));
  }
}

bool DeleteKeyTree(HKEY root, std::string_view path) noexcept {
  {
    RegistryKey key;
    const LONG opened = key.Open(root, path, KEY_ALL_ACCESS);
    // A key that exists but may not be opened is not gone.
    if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND;
    // Subkeys first: RegDeleteKey removes only empty keys on NT. Each pass
    // takes the first subkey left, so one that stays must end the loop.
    wchar_t name[kKeyNameChars];
    while (true) {
      DWORD length = kKeyNameChars;
      const LONG status =
          ::RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS || !DeleteKeyTree(key.get(), Narrow(std::wstring_view(name, length)))) return false;
    }
  }
  CrashPoint("registry key deleted");
  return ::RegDeleteKeyW(root, Widen(path).c_str()) == ERROR_SUCCESS;
}

void FlushRegistry(HKEY root) noexcept {
  CrashPoint("registry flushed");
  (void)::RegFlushKey(root);
}

}  // namespace mervalis
