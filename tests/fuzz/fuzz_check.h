// What every fuzz target shares: a check that stops the run with the
// property that failed (libFuzzer then keeps the input as a crash).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                          \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (false)

namespace fuzz {

inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

// "X:\" or "X:/", or a network path "\\server\share".
inline bool IsAbsoluteWindowsPath(std::string_view path) {
  const char d = Lower(path.empty() ? '\0' : path[0]);
  return (path.size() >= 3 && d >= 'a' && d <= 'z' && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         path.starts_with("\\\\");
}

}  // namespace fuzz
