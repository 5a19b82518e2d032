// Runs a clean-up when a scope ends, on every way out of it: a return, or an
// error on its way to the window's error display. Dismiss() keeps it from
// running, for a step that succeeded and should stay.
#pragma once

#include <utility>

namespace mervalis {

template <typename CleanUp>
class ScopeExit {
 public:
  // The clean-up must not throw: it may run while an error unwinds.
  explicit ScopeExit(CleanUp cleanUp) noexcept : cleanUp_(std::move(cleanUp)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (armed_) cleanUp_();
  }

  void Dismiss() noexcept { armed_ = false; }

 private:
  CleanUp cleanUp_;
  bool armed_ = true;
};

}  // namespace mervalis
