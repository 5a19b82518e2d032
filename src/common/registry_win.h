// One open registry key, owned: opened or created below a parent key, closed
// when the object goes or another key is opened. Every status is the
// registry's own (a LONG, ERROR_SUCCESS when it worked); a missing key or
// value is ERROR_FILE_NOT_FOUND. Key paths, value names and strings are UTF-8
// here; the registry gets them as UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/win_handles.h"

namespace mervalis {

class RegistryKey {
 public:
  RegistryKey() noexcept = default;

  // Opens `path` below `parent`. Whatever was open is closed first; on
  // failure no key is open.
  [[nodiscard]] LONG Open(HKEY parent, std::string_view path, REGSAM access = KEY_ALL_ACCESS) noexcept;
  // Opens `path` below `parent`, creating it and its parents when missing.
  // Whatever was open is closed first; on failure no key is open.
  [[nodiscard]] LONG Create(HKEY parent, std::string_view path, REGSAM access = KEY_ALL_ACCESS) noexcept;
  void Close() noexcept { key_.reset(); }
  // Takes ownership of an open key, closing the one held before.
  void Attach(HKEY key) noexcept { key_.reset(key); }
  // Gives up the open key to the caller, who closes it; none is open after.
  [[nodiscard]] HKEY Detach() noexcept { return key_.release(); }
  [[nodiscard]] HKEY get() const noexcept { return key_.get(); }
  [[nodiscard]] bool IsOpen() const noexcept { return static_cast<bool>(key_); }

  // Reads a string value. A value of another type gives
  // ERROR_INVALID_DATATYPE. A REG_EXPAND_SZ value comes with its environment
  // names ("%SystemRoot%") expanded. On any error `value` is left empty.
  [[nodiscard]] LONG ReadString(std::string_view name, std::string& value) const noexcept;
  // Writes a REG_SZ value; its data length counts the terminating zero.
  [[nodiscard]] LONG WriteString(std::string_view name, std::string_view value) const noexcept;
  [[nodiscard]] LONG DeleteValue(std::string_view name) const noexcept;
  // Reads a REG_DWORD value; on failure `value` is not changed.
  [[nodiscard]] LONG ReadDword(std::string_view name, DWORD& value) const noexcept;
  // Writes a REG_DWORD value (four bytes).
  [[nodiscard]] LONG WriteDword(std::string_view name, DWORD value) const noexcept;
  // Asks for a value of any type without reading it: ERROR_SUCCESS when it
  // is there; its type in `type` when given.
  [[nodiscard]] LONG QueryValue(std::string_view name, DWORD* type = nullptr) const noexcept;
  // Appends the names of the subkeys, in the registry's order. An error ends
  // the list and is returned, keeping the names read before it; the end of
  // the list gives ERROR_SUCCESS.
  [[nodiscard]] LONG EnumSubkeys(std::vector<std::string>& names) const;

 private:
  UniqueHkey key_;
};

// For a string value whose absence means an empty text: true when it was read
// (ERROR_SUCCESS) or is missing (ERROR_FILE_NOT_FOUND, the text left empty).
[[nodiscard]] constexpr bool ReadOrMissing(LONG status) noexcept {
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// True when `path` below `root` may be opened for reading.
[[nodiscard]] bool KeyExists(HKEY root, std::string_view path) noexcept;

// Deletes the key `path` below `root` with all its subkeys and values
// (opened with KEY_ALL_ACCESS); true when it is gone, a missing key included.
// Stops at the first subkey that stays (one that may not be opened or
// deleted) and gives false, leaving the rest.
bool DeleteKeyTree(HKEY root, std::string_view path) noexcept;

// Puts the changes made so far to the hive of `root` on the disk. Windows
// writes the registry lazily, files written through at once: a change that
// must not be lost once a file it names is gone is flushed before the file
// goes, or a power cut leaves it naming nothing.
void FlushRegistry(HKEY root) noexcept;

}  // namespace mervalis
