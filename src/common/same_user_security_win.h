// Security for a named object that every process of this user in this
// session must be able to open, whatever rights each runs with. An object
// made by an elevated process otherwise gets the administrators' default
// access and a high integrity label, and the same user's ordinary processes
// may not open it.
#pragma once

#include <windows.h>

#include "common/win_handles.h"

namespace mervalis {

class SameUserSecurity {
 public:
  // Access for this process's user and for the system, and, from Vista on,
  // a medium integrity label (no writes from below it).
  SameUserSecurity() noexcept;

  // Null when the descriptor could not be made: the system's default then.
  [[nodiscard]] SECURITY_ATTRIBUTES* get() noexcept { return descriptor_ ? &attributes_ : nullptr; }

 private:
  UniqueLocal descriptor_;
  SECURITY_ATTRIBUTES attributes_ = {};
};

}  // namespace mervalis
