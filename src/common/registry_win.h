// The registry object: a root key and an access mask, one open key at a time.
// Each operation makes its own and lets it go at its end.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/win_handles.h"

namespace mervalis {

class Registry {
 public:
  explicit Registry(HKEY root, REGSAM access = KEY_ALL_ACCESS) noexcept
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
  void CloseKey() noexcept { key_.reset(); }
  [[nodiscard]] bool KeyExists(std::string_view path) const noexcept;

  // Reads a string value of the open key. A missing value gives ERROR_SUCCESS
  // and an empty text; a value of another type gives ERROR_INVALID_DATATYPE.
  // On any error `value` is left empty.
  [[nodiscard]] LONG ReadString(std::string_view name, std::string& value) const noexcept;
  // Writes a REG_SZ value; its data length counts the terminating zero.
  [[nodiscard]] LONG WriteString(std::string_view name, std::string_view value) const noexcept;
  [[nodiscard]] LONG DeleteValue(std::string_view name) const noexcept;

 private:
  HKEY root_;
  REGSAM access_;
  UniqueHkey key_;
};

// Deletes a key with all its subkeys and values; true when it is gone. Stops
// at the first subkey that stays (one that may not be opened or deleted) and
// gives false, leaving the rest of the tree.
bool DeleteKeyTree(HKEY root, std::string_view path) noexcept;

}  // namespace mervalis
