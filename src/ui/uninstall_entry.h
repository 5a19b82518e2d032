// The values of the wallpaper's entry in Apps & features (the uninstall key),
// in the order they are written. Portable: the install sequence writes them,
// the uninstaller removes the whole key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mervalis {

struct UninstallValue {
  std::string name;
  bool isNumber = false;     // REG_DWORD when true, REG_SZ otherwise
  std::string text;          // REG_SZ data
  std::uint32_t number = 0;  // REG_DWORD data
};

// The first value is the uninstall command: the others are written only when
// it could be. `installFolder` may end in a backslash; the entry names it
// without one. `estimatedSizeKiB` is what the install takes on disk.
[[nodiscard]] std::vector<UninstallValue> UninstallEntryValues(std::string_view title,
                                                               std::string_view applicationFile,
                                                               std::string_view installFolder,
                                                               std::uint32_t estimatedSizeKiB);

// Bytes as whole KiB, rounded up; saturates at the largest DWORD.
[[nodiscard]] std::uint32_t KiBRoundedUp(std::uint64_t bytes) noexcept;

}  // namespace mervalis
