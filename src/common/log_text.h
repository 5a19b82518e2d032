// The text of the log and of the report, apart from where it comes from: a
// log line's time and process, the tail of a log, and the user's folder
// taken out of whatever the report shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mervalis {

// A local time as Windows gives it (SYSTEMTIME's fields).
struct LogTime {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// "2026-12-09 05:00:22.123 [4242] <message>" and CR LF: every line says when
// and which process, since the installer, `apply` and the desktop mode may
// all write to the one log.
[[nodiscard]] std::string LogLine(const LogTime& time, std::uint32_t processId, std::string_view message);

// A log holds at most this much; a line that would take it over moves it to
// the previous file (which it replaces), so that both together stay under
// 1 MiB.
inline constexpr std::uint64_t kLogLimitBytes = 512u * 1024u;
[[nodiscard]] constexpr bool LogIsFull(std::uint64_t size, std::size_t lineBytes) noexcept {
  return size > 0 && size + lineBytes > kLogLimitBytes;
}

// `value` in decimal with at least `width` digits, and in upper-case
// hexadecimal with exactly `width` digits (its lowest ones): the log and
// the report format their numbers without the C library's printf.
[[nodiscard]] std::string Decimal(std::uint32_t value, std::size_t width = 1);
[[nodiscard]] std::string Hexadecimal(std::uint32_t value, std::size_t width);

// The last `count` lines of `text` (its last line with or without a line
// break), each ending with CR LF.
[[nodiscard]] std::string LastLines(std::string_view text, std::size_t count);

// `text` with every occurrence of `folder` (matched without regard to ASCII
// letter case, as Windows names files) written as "%USERPROFILE%": the
// report names none of the user's folders. An empty folder changes nothing.
[[nodiscard]] std::string WithoutUserFolder(std::string_view text, std::string_view folder);

}  // namespace mervalis
