// The object behind a window: what its creator passed as CreateWindowEx's
// last argument, kept in the window's user data from WM_NCCREATE on, so that a
// static window procedure can hand each message to the object's own method.
#pragma once

#include <windows.h>

namespace mervalis {

// The object `hwnd` was created for; stores it at WM_NCCREATE. Null for the
// few messages a window gets before WM_NCCREATE, and for windows created
// without one.
template <typename Owner>
[[nodiscard]] Owner* WindowOwner(HWND hwnd, UINT message, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return owner;
  }
  return reinterpret_cast<Owner*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace mervalis
