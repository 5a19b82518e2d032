#include "app/command_line.h"

#include "common/names.h"

namespace mervalis {

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsLogSwitch(std::string_view argument) {
  if (argument.size() != kLogSwitch.size()) return false;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    const char c = argument[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kLogSwitch[i]) return false;
  }
  return true;
}

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

}  // namespace mervalis
