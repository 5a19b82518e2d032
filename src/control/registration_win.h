// Self-registration of quorvanexrun.ocx: the class, its ProgIDs and its type
// library under HKEY_CLASSES_ROOT, and their exact removal.
#pragma once

#include <windows.h>

namespace quorvanex {

// Writes the class entries (name, InprocServer32 naming this DLL with the
// apartment model, ProgIDs, type library, version, "Control", MiscStatus, the
// control and safety categories) and registers the type library. On failure
// nothing of it is left behind and the result is SELFREG_E_CLASS or
// SELFREG_E_TYPELIB.
[[nodiscard]] HRESULT RegisterServer() noexcept;

// Removes exactly what RegisterServer writes. Entries that are already gone
// are no error; a ProgID that now names another class is left alone.
[[nodiscard]] HRESULT UnregisterServer() noexcept;

}  // namespace quorvanex
