// The command line: how it splits into arguments and which run mode the first
// argument selects.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mervalis {

enum class RunMode {
  Normal,
  Apply,
  Uninstall,
  DoUninstall,
  Desktop,  // the animation behind the desktop icons, for the whole session
  Preview,  // the same animation in an ordinary window
  Report,   // writes what a developer needs to see this desktop, and opens it
};

// Splits a raw command line. Arguments are separated by blanks and control
// characters; a stretch in double quotes may hold blanks and belongs to the
// argument without its quotes. The program path (element 0) is split by the
// same rule, so an unquoted path with blanks ends at its first blank.
[[nodiscard]] std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The first argument after the program path, trimmed of blanks and control
// characters; empty when there is none.
[[nodiscard]] std::string FirstArgument(std::string_view commandLine);

// Whether any argument after the program path is the log switch ("/log",
// in any letter case): the log is on for this run, whatever the mode.
[[nodiscard]] bool CarriesLogSwitch(std::string_view commandLine);

// The argument that selects the run mode: the first after the program path
// that is not the log switch, trimmed as FirstArgument trims; empty when
// there is none.
[[nodiscard]] std::string ModeArgument(std::string_view commandLine);

// The run mode for a first argument that is already trimmed and lower-cased.
[[nodiscard]] RunMode RunModeFor(std::string_view loweredArgument);

}  // namespace mervalis
