// Text inside the program is UTF-8 (std::string); Windows takes UTF-16. These
// two convert right at a wide-character call, so that a path or a registry
// value with characters outside the user's ANSI code page goes through whole.
// Names of our own are plain ASCII and come out the same either way.
#pragma once

#include <string>
#include <string_view>

namespace mervalis {

// UTF-8 to UTF-16; bytes that are not UTF-8 become U+FFFD.
[[nodiscard]] std::wstring Widen(std::string_view text);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string Narrow(std::wstring_view text);

}  // namespace mervalis
