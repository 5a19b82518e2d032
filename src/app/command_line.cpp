#include "app/command_line.h"

#include "common/names.h"

namespace mervalis {

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Switches are ASCII: lowered byte by byte, whatever the user's locale.
std::string AsciiLower(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

bool IsLogSwitch(std::string_view argument) { return AsciiLower(argument) == kLogSwitch; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  while (true) {
    while (i < n && IsSeparator(commandLine[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    for (; i < n; ++i) {
      const char c = commandLine[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && IsSeparator(c)) {
        break;
      } else {
        arg += c;
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string FirstArgument(std::string_view commandLine) {
  const auto args = SplitCommandLine(commandLine);
  return args.size() < 2 ? std::string() : TrimBlanksAndControls(args[1]);
}

bool CarriesLogSwitch(std::string_view commandLine) {
  const auto args = SplitCommandLine(commandLine);
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (IsLogSwitch(TrimBlanksAndControls(args[i]))) return true;
  }
  return false;
}

std::string ModeArgument(std::string_view commandLine) {
  const auto args = SplitCommandLine(commandLine);
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = TrimBlanksAndControls(args[i]);
    if (!IsLogSwitch(arg)) return arg;
  }
  return {};
}

RunMode RunModeFor(std::string_view loweredArgument) {
  if (loweredArgument == kUninstallArgument) return RunMode::Uninstall;
  if (loweredArgument == kDoUninstallArgument) return RunMode::DoUninstall;
  if (loweredArgument == kApplyArgument) return RunMode::Apply;
  if (loweredArgument == kDesktopArgument) return RunMode::Desktop;
  if (loweredArgument == kPreviewArgument) return RunMode::Preview;
  if (loweredArgument == kReportArgument) return RunMode::Report;
  return RunMode::Normal;
}

Switches ReadSwitches(std::string_view commandLine) {
  Switches switches;
  const std::vector<std::string> args = SplitCommandLine(commandLine);
  bool modeSeen = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string arg = AsciiLower(TrimBlanksAndControls(args[i]));
    if (IsLogSwitch(arg)) continue;
    const bool modeWord = !modeSeen;  // the first argument but the log switch
    modeSeen = true;
    if (arg == "/s" || arg == "/silent" || arg == "/quiet") {
      switches.silent = true;
    } else if (arg == "/layout=centered") {
      switches.layout = LayoutSwitch::kCentred;
    } else if (arg == "/layout=stretched") {
      switches.layout = LayoutSwitch::kStretched;
    } else if (arg == "/border") {
      switches.border = true;
    } else if (arg == "/noshortcut") {
      switches.noShortcut = true;
    } else if (!(modeWord && RunModeFor(arg) != RunMode::Normal) && switches.unknown.empty()) {
      switches.unknown = args[i];
    }
  }
  return switches;
}

StoredLayout SilentInstallLayout(const Switches& switches, const StoredLayout& stored) {
  if (switches.layout == LayoutSwitch::kNone && !switches.border) return stored;
  StoredLayout named;
  named.stretched = switches.layout == LayoutSwitch::kStretched;
  named.showBorder = !named.stretched && switches.border;
  return named;
}

}  // namespace mervalis
