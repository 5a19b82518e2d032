// Runs a clean-up when a scope ends, on every way out of it: a return, or an
// error on its way to the window's error display.
#pragma once

#include <utility>

namespace mervalis::ui {

template <typename CleanUp>
class ScopeExit {
 public:
  // The clean-up must not throw: it may run while an error unwinds.
  explicit ScopeExit(CleanUp cleanUp) noexcept : cleanUp_(std::move(cleanUp)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { cleanUp_(); }

 private:
  CleanUp cleanUp_;
};

}  // namespace mervalis::ui
