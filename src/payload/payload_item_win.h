// The program's payload items: raw-data resources (RT_RCDATA) that it carries
// and writes out or decodes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

namespace mervalis {

// How far the lookup of an item came; the steps in the order they are taken.
enum class PayloadLookup {
  kFound,
  kNotFound,   // no raw-data resource of that id
  kEmpty,      // found, but of size zero
  kNotLoaded,  // LoadResource failed
  kNotLocked,  // LockResource failed
};

struct PayloadItem {
  PayloadLookup lookup = PayloadLookup::kNotFound;
  // The item's bytes, which live as long as `module` stays loaded; empty
  // unless lookup is kFound.
  std::span<const std::uint8_t> bytes;
};

// Looks up the raw-data resource `id` of `module`.
[[nodiscard]] PayloadItem FindPayloadItem(HMODULE module, int id) noexcept;

}  // namespace mervalis
