// The program's entry: clears the previous run's debug log, picks the run
// mode from the first argument and runs it, all inside one error guard.
#pragma once

#include <windows.h>

namespace mervalis {

inline constexpr char kNormalMutexName[] = "QUORVANESOFTMRVLS";
inline constexpr char kApplyMutexName[] = "QUORVANESOFTMRVLSSILENT";

// Returns the process exit code: 1 for an `apply` run that did not apply the
// wallpaper in full (an error, or a background that could not be written);
// for the silent install and uninstall ("/S") a code of app/exit_codes.h; 0
// otherwise.
int RunProgram(HINSTANCE instance, const char* commandLine) noexcept;

}  // namespace mervalis
