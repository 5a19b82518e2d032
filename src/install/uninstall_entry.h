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

// Written anew by every install. The last value is the uninstall command: an
// entry counts as installed only with it, so it is written once everything
// else is. `installFolder` may end in a backslash; the entry names it
// without one. `estimatedSizeKiB` is what the install takes on disk,
// `installDate` the day as "YYYYMMDD".
[[nodiscard]] std::vector<UninstallValue> UninstallEntryValues(std::string_view title,
                                                               std::string_view applicationFile,
                                                               std::string_view installFolder,
                                                               std::uint32_t estimatedSizeKiB,
                                                               std::string_view installDate);

// "YYYYMMDD", as Apps & features reads the install date.
[[nodiscard]] std::string InstallDateText(unsigned year, unsigned month, unsigned day);

// The program an uninstall command starts: the path in quotes, or without
// quotes everything before " uninstall" (as an older install wrote it).
// Empty when the command names none.
[[nodiscard]] std::string ProgramOfUninstallCommand(std::string_view command);

// Bytes as whole KiB, rounded up; saturates at the largest DWORD.
[[nodiscard]] std::uint32_t KiBRoundedUp(std::uint64_t bytes) noexcept;

}  // namespace mervalis
