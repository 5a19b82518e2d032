#include "control/registration_win.h"

#include <olectl.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/win_handles.h"
#include "control/com_object.h"
#include "control/control_ids.h"

namespace quorvanex {

namespace {

using mervalis::UniqueHkey;

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_QuorvaneX); }

// The DLL's full path; empty when it does not fit in MAX_PATH.
std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
  return (length == 0 || length >= MAX_PATH) ? std::wstring() : std::wstring(path, length);
}

// The control's registry key: the program's RegistryKey in shape (a root, an
// access mask, one open key), kept wide and to what registration needs so the
// control takes in none of the program's narrow-text code.
class WideRegistryKey {
 public:
  WideRegistryKey(HKEY root, REGSAM access) noexcept : root_(root), access_(access) {}

  // Opens a key below the root, creating it when asked; on failure no key is open.
  [[nodiscard]] LONG Open(const std::wstring& path, bool create) noexcept {
    key_.reset();
    const LONG status =
        create ? ::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   access_, nullptr, key_.put(), nullptr)
               : ::RegOpenKeyExW(root_, path.c_str(), 0, access_, key_.put());
    if (status != ERROR_SUCCESS) key_.reset();
    return status;
  }
  // Writes a REG_SZ value (null name: the default); its length counts the zero.
  [[nodiscard]] LONG WriteString(const wchar_t* name, const std::wstring& value) const noexcept {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key_.get(), name, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  }
  // Reads a REG_SZ value of up to 63 characters; on failure `value` is not changed.
  [[nodiscard]] LONG ReadString(const wchar_t* name, std::wstring& value) const {
    wchar_t text[64] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status =
        ::RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ) return ERROR_INVALID_DATATYPE;
    value = text;
    return ERROR_SUCCESS;
  }
  // Deletes the key `path` below the root with everything below it (opened
  // with KEY_READ | DELETE); a missing key counts as deleted. The first
  // subkey that stays ends it with its status. (RegDeleteTree needs Vista.)
  [[nodiscard]] LONG DeleteTree(const std::wstring& path) const noexcept {
    {
      WideRegistryKey key(root_, KEY_READ | DELETE);
      LONG status = key.Open(path, false);
      if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
      if (status != ERROR_SUCCESS) return status;
      const WideRegistryKey children(key.key_.get(), KEY_READ | DELETE);
      while (true) {
        wchar_t child[256] = {};  // the longest key name the registry allows is 255
        DWORD childLength = 256;
        status = ::RegEnumKeyExW(key.key_.get(), 0, child, &childLength, nullptr, nullptr, nullptr,
                                 nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return status;
        status = children.DeleteTree(child);
        if (status != ERROR_SUCCESS) return status;
      }
    }
    return ::RegDeleteKeyW(root_, path.c_str());
  }

 private:
  HKEY root_;
  REGSAM access_;
  UniqueHkey key_;
};

// One registry entry under HKEY_CLASSES_ROOT: a key, and optionally one
// string value in it (an empty name is the key's default value).
struct Entry {
  std::wstring key;
  const wchar_t* valueName = nullptr;  // null: the key alone
  std::wstring value;
};

[[nodiscard]] LONG Write(const Entry& entry) noexcept {
  WideRegistryKey key(HKEY_CLASSES_ROOT, KEY_SET_VALUE);
  const LONG status = key.Open(entry.key, true);
  if (status != ERROR_SUCCESS || !entry.valueName) return status;
  return key.WriteString(entry.valueName, entry.value);
}

[[nodiscard]] LONG DeleteClassesTree(const std::wstring& path) noexcept {
  return WideRegistryKey(HKEY_CLASSES_ROOT, KEY_READ | DELETE).DeleteTree(path);
}

// The default value of HKCR\<key>, or empty.
std::wstring ReadDefault(const std::wstring& keyName) {
  WideRegistryKey key(HKEY_CLASSES_ROOT, KEY_QUERY_VALUE);
  std::wstring value;
  if (key.Open(keyName, false) == ERROR_SUCCESS) (void)key.ReadString(nullptr, value);
  return value;
}

std::wstring MiscStatusText() { return std::to_wstring(kMiscStatus); }

std::wstring VersionText() {
  return std::to_wstring(kTypeLibMajor) + L"." + std::to_wstring(kTypeLibMinor);
}

std::wstring CategoryKey(const wchar_t* catid) {
  return ClassKey() + L"\\Implemented Categories\\" + catid;
}

// Every entry the class owns, in the order written. Removal takes the three
// trees: the class key and the two ProgIDs.
std::vector<Entry> ClassEntries(const std::wstring& modulePath) {
  const std::wstring cls = ClassKey();
  const std::wstring clsid = GuidText(CLSID_QuorvaneX);
  return {
      {cls, L"", kControlName},
      {cls + L"\\InprocServer32", L"", modulePath},
      {cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {cls + L"\\ProgID", L"", kProgId},
      {cls + L"\\VersionIndependentProgID", L"", kVersionIndependentProgId},
      {cls + L"\\TypeLib", L"", GuidText(LIBID_QuorvaneXLib)},
      {cls + L"\\Version", L"", VersionText()},
      {cls + L"\\Control"},
      {cls + L"\\MiscStatus", L"", L"0"},
      {cls + L"\\MiscStatus\\1", L"", MiscStatusText()},
      {CategoryKey(kCatidControl)},
      {CategoryKey(kCatidSafeForScripting)},
      {CategoryKey(kCatidSafeForInitializing)},
      {kProgId, L"", kControlName},
      {std::wstring(kProgId) + L"\\CLSID", L"", clsid},
      {kVersionIndependentProgId, L"", kControlName},
      {std::wstring(kVersionIndependentProgId) + L"\\CLSID", L"", clsid},
      {std::wstring(kVersionIndependentProgId) + L"\\CurVer", L"", kProgId},
  };
}

HRESULT RegisterTypeLibrary(const std::wstring& modulePath) noexcept {
  mervalis::ComPtr<ITypeLib> library;
  HRESULT hr = LoadOwnTypeLibrary(library.put());
  if (SUCCEEDED(hr)) {
    hr = ::RegisterTypeLib(library.get(), const_cast<LPOLESTR>(modulePath.c_str()), nullptr);
  }
  return hr;
}

bool TypeLibraryRegistered() {
  const std::wstring key = L"TypeLib\\" + GuidText(LIBID_QuorvaneXLib) + L"\\" + VersionText();
  return WideRegistryKey(HKEY_CLASSES_ROOT, KEY_READ).Open(key, false) == ERROR_SUCCESS;
}

HRESULT UnregisterTypeLibrary() noexcept {
  // Nothing registered is what we want. (Windows and Wine report that case
  // with different errors, so it is checked before, not guessed after.)
  if (!TypeLibraryRegistered()) return S_OK;
  // The locale and system kind under which the library was registered are
  // its own.
  LCID lcid = 0;
  SYSKIND syskind = SYS_WIN32;
  mervalis::ComPtr<ITypeLib> library;
  if (SUCCEEDED(LoadOwnTypeLibrary(library.put()))) {
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
      lcid = attributes->lcid;
      syskind = attributes->syskind;
      library->ReleaseTLibAttr(attributes);
    }
  }
  return ::UnRegisterTypeLib(LIBID_QuorvaneXLib, kTypeLibMajor, kTypeLibMinor, lcid, syskind);
}

// Removes a ProgID tree if it is ours (its CLSID names our class).
LONG DeleteOwnProgId(const std::wstring& progId) {
  const std::wstring clsid = ReadDefault(progId + L"\\CLSID");
  if (!clsid.empty() && ::lstrcmpiW(clsid.c_str(), GuidText(CLSID_QuorvaneX).c_str()) != 0) {
    return ERROR_SUCCESS;
  }
  return DeleteClassesTree(progId);
}

// Writes the class, its ProgIDs and its type library.
HRESULT WriteServerEntries() {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  for (const Entry& entry : ClassEntries(path)) {
    if (Write(entry) != ERROR_SUCCESS) return SELFREG_E_CLASS;
  }
  return SUCCEEDED(RegisterTypeLibrary(path)) ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace

HRESULT RegisterServer() noexcept {
  const HRESULT hr = WriteServerEntries();
  if (FAILED(hr)) (void)UnregisterServer();
  return hr;
}

HRESULT UnregisterServer() noexcept {
  bool classOk = DeleteClassesTree(ClassKey()) == ERROR_SUCCESS;
  classOk = DeleteOwnProgId(kProgId) == ERROR_SUCCESS && classOk;
  classOk = DeleteOwnProgId(kVersionIndependentProgId) == ERROR_SUCCESS && classOk;
  const bool libraryOk = SUCCEEDED(UnregisterTypeLibrary());
  if (!classOk) return SELFREG_E_CLASS;
  return libraryOk ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace quorvanex
