// Stopping and starting the `desktop` run mode from the other modes: the
// install stops it before the application file is replaced and starts it
// again afterwards, the uninstaller stops it for good.
#pragma once

#include <string_view>

namespace mervalis {

// Asks a running desktop mode to end (its stop event) and waits, at most
// `timeoutMs`, until it has let go of its mutex and its process has ended, so
// that its image file can be replaced or deleted. True when no desktop mode
// runs any more (also when none ran). When it ended, the event is reset so a
// mode started afterwards runs; when it did not, the event stays set for as
// long as the mode holds it, so it still ends when it gets to it.
[[nodiscard]] bool StopDesktopMode(unsigned long timeoutMs = 5000) noexcept;

// Starts "<applicationFile>" desktop without waiting for it, in the folder of
// the application file. True when the process was created.
[[nodiscard]] bool StartDesktopMode(std::string_view applicationFile) noexcept;

// Whether this process runs with an administrator's full rights (Run as
// administrator). False before Vista, where no token says so.
[[nodiscard]] bool RunsElevated() noexcept;

}  // namespace mervalis
