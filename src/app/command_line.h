// The command line: how it splits into arguments, which run mode the first
// argument selects, and the switches of the silent install and uninstall.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/stored_options.h"

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

enum class LayoutSwitch { kNone, kCentred, kStretched };

// The switches after the program path, each in any letter case: "/S",
// "/silent" or "/quiet" for a run that shows nothing; for the install
// "/layout=centered" or "/layout=stretched", "/border" and "/noshortcut".
// Anything else (a mode word aside) is named in `unknown`.
struct Switches {
  bool silent = false;
  LayoutSwitch layout = LayoutSwitch::kNone;
  bool border = false;
  bool noShortcut = false;
  std::string unknown;  // the first argument not understood, empty when none
};
[[nodiscard]] Switches ReadSwitches(std::string_view commandLine);

// The layout of a silent install: the stored one (or the window's default,
// stretched, when none is stored) unless the command line names a layout.
// "/layout=centered" is centred with the border only with "/border";
// "/border" alone is centred with the border; "/layout=stretched" stretches
// whatever else is named. Named on the command line, there is no decoration
// (it has no switch).
[[nodiscard]] StoredLayout SilentInstallLayout(const Switches& switches,
                                                       const StoredLayout& stored);

}  // namespace mervalis
