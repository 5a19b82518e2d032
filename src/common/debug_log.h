// The log: one line per checkpoint and per failing Windows call, each with
// its time and process, appended to "Mervalis.log": in the wallpaper's
// folder from Vista on (%LOCALAPPDATA%\Quorvane\), in the install folder
// beside the program before (where the whole machine's install lives). The
// shipped program writes it only when asked: `/log` on the command line, in
// any mode, or the user's DWORD "Mervalis log" = 1 under
// HKCU\Software\Quorvanesoft, which the logon's start reads too. Off, every
// call returns at once.
#pragma once

#include <string>
#include <string_view>

namespace mervalis {

// Switches the log on (the entry does, when asked) or off for the rest of this run.
void SwitchLog(bool on) noexcept;
// Whether this run writes the log.
[[nodiscard]] bool LogIsOn() noexcept;
// Whether the user's registry asks every run to log ("Mervalis log" = 1).
[[nodiscard]] bool LogAskedByRegistry() noexcept;

// The log's folder, its file, and the one it was moved to when it grew full.
[[nodiscard]] std::string LogFolder();
[[nodiscard]] std::string LogFilePath();
[[nodiscard]] std::string PreviousLogFilePath();

// Appends "<time> [<process>] <message>" and CR LF. A missing folder is
// created first; when that fails a box says so and nothing is written.
// Errors of opening or writing the file are thrown to the caller. Several
// processes may write at once: each line goes whole to the file's end.
void WriteDebugLog(std::string_view message);

// With the log on, logs "<operation> failed, error <code>" with the calling
// thread's last error (for calls such as CreateWindowEx that report nothing
// else), and " (<detail>)" when given; never throws.
void LogLastError(std::string_view operation, std::string_view detail = {}) noexcept;

// Called from a `catch`: with the log on, logs "<where> - caught <what>" for
// the exception being handled (a std::exception's what(), else "an unknown
// exception"); never throws, so noexcept paths and the log's own callers may
// use it.
void LogCaught(std::string_view where) noexcept;

}  // namespace mervalis
