// Which Windows this is, as it reports itself to this program (a
// compatibility setting can make it report an older one: that is what the
// program then gets).
#pragma once

#include "common/windows_version.h"

namespace mervalis {

// The major version; 0 when Windows does not answer. Asked once: every step
// of a run takes the same path.
[[nodiscard]] unsigned long WindowsMajorVersion() noexcept;

}  // namespace mervalis
