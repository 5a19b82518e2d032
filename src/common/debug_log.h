// The debug log: one checkpoint line per call, appended to "Debug.log" in the
// install folder. Whether lines reach the disk is fixed when the program is
// built; release builds write nothing and show nothing.
#pragma once

#include <string_view>

namespace mervalis {

// True in builds with the debug log switched on.
extern const bool DebugLogEnabled;

// Appends the message and CR LF. With the switch on, a missing install folder
// is created first; when that fails a box says so and nothing is written.
// Errors of opening or writing the file are thrown to the caller.
void WriteDebugLog(std::string_view message);

// With the switch on, logs "<operation> failed, error <code>" with the
// calling thread's last error (for calls such as CreateWindowEx that report
// nothing else), and " (<detail>)" when given; never throws.
void LogLastError(std::string_view operation, std::string_view detail = {}) noexcept;

}  // namespace mervalis
