// Whether the shell library is new enough for the Active Desktop, decided from
// the version numbers it reports. Kept apart from the Windows calls so that
// the reading of the numbers can be checked anywhere.
#pragma once

#include <string_view>

namespace mervalis {

// The lowest shell version with the desktop component (Internet Explorer 4.01's
// desktop update).
inline constexpr double kMinimumShellVersion = 4.71;

// The version as the user's locale reads the text "<major><sep><minor>": the
// minor number stands for the digits after the decimal separator, so minor 8
// reads as .8 and minor 100 as .1. A separator that the locale did not give
// (empty) counts as ".".
[[nodiscard]] double ShellVersionValue(unsigned long major, unsigned long minor,
                                       std::string_view decimalSeparator) noexcept;

// ShellVersionValue(...) >= 4.71, both as double.
[[nodiscard]] bool IsShellVersionHighEnough(unsigned long major, unsigned long minor,
                                            std::string_view decimalSeparator) noexcept;

}  // namespace mervalis
