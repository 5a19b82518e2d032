// Writes payload items of the running program out as files.
#pragma once

#include <windows.h>

#include <string_view>

#include "common/win_handles.h"

namespace mervalis {

// Writes the raw-data resource `id` of the running program to `path`,
// replacing any file there. On failure it has already shown its own message
// box (the reason, the resource id and the file name) and gives false; a
// failure before the file is touched leaves an existing file as it was. The
// file is closed before the box shows, so nothing holds it meanwhile.
[[nodiscard]] bool WriteResourceFile(int id, std::string_view path);
// The same for the resources of `module` (the tests' way in).
[[nodiscard]] bool WriteResourceFile(HMODULE module, int id, std::string_view path);

// Closes a file that was just written; false when the close failed, which is
// a failed write: the system may write the last data only now (a full disk,
// a network share that went away).
[[nodiscard]] bool CloseWrittenFile(UniqueFile& file) noexcept;

// For tests: replaces the system call that CloseWrittenFile makes
// (CloseHandle); gives back the one it replaced.
using CloseHandleFunction = BOOL(WINAPI*)(HANDLE);
CloseHandleFunction SetCloseHandleForTesting(CloseHandleFunction function) noexcept;

}  // namespace mervalis
