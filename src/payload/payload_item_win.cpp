#include "payload/payload_item_win.h"

namespace mervalis {

PayloadItem FindPayloadItem(HMODULE module, int id) noexcept {
  // RT_RCDATA in its ANSI form, whether or not UNICODE is defined.
  HRSRC item = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
  if (!item) return {PayloadLookup::kNotFound, {}};
  const DWORD size = ::SizeofResource(module, item);
  if (size == 0) return {PayloadLookup::kEmpty, {}};
  HGLOBAL loaded = ::LoadResource(module, item);
  if (!loaded) return {PayloadLookup::kNotLoaded, {}};
  const void* bytes = ::LockResource(loaded);
  if (!bytes) return {PayloadLookup::kNotLocked, {}};
  return {PayloadLookup::kFound, {static_cast<const std::uint8_t*>(bytes), size}};
}

}  // namespace mervalis
