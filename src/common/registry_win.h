// The registry object: a root key and an access mask, one open key at a time.
// Each operation makes its own and lets it go at its end. Every status is the
// registry's own (a LONG, ERROR_SUCCESS when it worked). Key paths, value
// names and strings are UTF-8 here; the registry gets them as UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/win_handles.h"

namespace mervalis {

class RegistryKey {
 public:
  explicit RegistryKey(HKEY root, REGSAM access = KEY_ALL_ACCESS) noexcept
      : root_(root), access_(access) {}

  void SetRoot(HKEY root, REGSAM access) noexcept {
    CloseKey();
    root_ = root;
    access_ = access;
  }

  // Opens a key below the root, creating it (and its parents) when asked.
  // On failure no key is open.
  [[nodiscard]] bool OpenKey(std::string_view path, bool create) noexcept {
    return Open(path, create) == ERROR_SUCCESS;
  }
  // The same, giving the status: ERROR_FILE_NOT_FOUND tells a missing key
  // from one that exists but may not be opened with this access.
  [[nodiscard]] LONG Open(std::string_view path, bool create) noexcept;
  // Opens a key below the root, creating it when missing; on failure no key is open.
  [[nodiscard]] LONG Create(std::string_view path) noexcept { return Open(path, true); }
  void CloseKey() noexcept { key_.reset(); }
  [[nodiscard]] bool KeyExists(std::string_view path) const noexcept;

  // Reads a string value of the open key. A missing value gives ERROR_SUCCESS
  // and an empty text; a value of another type gives ERROR_INVALID_DATATYPE.
  // A REG_EXPAND_SZ value comes with its environment names ("%SystemRoot%")
  // expanded. On any error `value` is left empty.
  [[nodiscard]] LONG ReadString(std::string_view name, std::string& value) const noexcept;
  // Writes a REG_SZ value; its data length counts the terminating zero.
  [[nodiscard]] LONG WriteString(std::string_view name, std::string_view value) const noexcept;
  [[nodiscard]] LONG DeleteValue(std::string_view name) const noexcept;
  // Reads a REG_DWORD value of the open key; on failure `value` is not changed.
  [[nodiscard]] LONG ReadDword(std::string_view name, DWORD& value) const noexcept;
  // Writes a REG_DWORD value (four bytes).
  [[nodiscard]] LONG WriteDword(std::string_view name, DWORD value) const noexcept;
  // True when the open key holds a value of that name, of any type.
  [[nodiscard]] bool HasValue(std::string_view name) const noexcept;
  // Appends the names of the open key's subkeys, in the registry's order. An
  // error ends the list and is returned, keeping the names read before it;
  // the end of the list gives ERROR_SUCCESS.
  [[nodiscard]] LONG EnumSubkeys(std::vector<std::string>& names) const;
  // Deletes the key `path` below the root with all its subkeys and values
  // (opened with KEY_ALL_ACCESS, whatever this object's mask); true when it is
  // gone, a missing key included. Stops at the first subkey that stays (one
  // that may not be opened or deleted) and gives false, leaving the rest.
  [[nodiscard]] bool DeleteTree(std::string_view path) const noexcept;

 private:
  HKEY root_;
  REGSAM access_;
  UniqueHkey key_;
};

// RegistryKey(root).DeleteTree(path).
inline bool DeleteKeyTree(HKEY root, std::string_view path) noexcept {
  return RegistryKey(root).DeleteTree(path);
}

// Puts the changes made so far to the hive of `root` on the disk. Windows
// writes the registry lazily, files written through at once: a change that
// must not be lost once a file it names is gone is flushed before the file
// goes, or a power cut leaves it naming nothing.
void FlushRegistry(HKEY root) noexcept;

}  // namespace mervalis
