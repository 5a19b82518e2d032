#include "install/uninstall_entry.h"

#include <limits>

#include "common/file_version.h"
#include "common/names.h"

namespace mervalis {

namespace {

UninstallValue Text(const char* name, std::string text) { return {name, false, std::move(text), 0}; }
UninstallValue Number(const char* name, std::uint32_t number) { return {name, true, {}, number}; }

}  // namespace

std::vector<UninstallValue> UninstallEntryValues(std::string_view title, std::string_view applicationFile,
                                                 std::string_view installFolder, std::uint32_t estimatedSizeKiB,
                                                 std::string_view installDate) {
  std::string folder(installFolder);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();  // "C:\" keeps its backslash
  const std::string file(applicationFile);
  return {
      Text("DisplayName", std::string(kFamilyPrefix) + std::string(title)),
      Text("DisplayIcon", file),
      Text("Publisher", std::string(kCompanyName)),
      Text("DisplayVersion", MERVALIS_FILE_VERSION_TEXT),
      Text("InstallDate", std::string(installDate)),
      Text("InstallLocation", folder),
      Number("EstimatedSize", estimatedSizeKiB),
      // There is nothing to change or repair: the program itself is the installer.
      Number("NoModify", 1),
      Number("NoRepair", 1),
      // Package managers and scripts uninstall with no question and no box.
      Text("QuietUninstallString", "\"" + file + "\" uninstall /S"),
      // The path in quotes: unquoted, a path with blanks could start another program.
      Text("UninstallString", "\"" + file + "\" uninstall"),
  };
}

std::string InstallDateText(unsigned year, unsigned month, unsigned day) {
  std::string text(8, '0');
  // Each part: its number, where it ends in the text, how many digits it has.
  const unsigned parts[][3] = {{year, 4, 4}, {month, 6, 2}, {day, 8, 2}};
  for (const auto& part : parts) {
    unsigned rest = part[0];
    for (unsigned i = 0; i < part[2]; ++i, rest /= 10) text[part[1] - 1 - i] = static_cast<char>('0' + rest % 10);
  }
  return text;
}

std::string ProgramOfUninstallCommand(std::string_view command) {
  constexpr std::string_view kArgument = " uninstall";
  if (!command.empty() && command.front() == '"') {
    const std::size_t close = command.find('"', 1);
    if (close == std::string_view::npos || close == 1) return {};
    return std::string(command.substr(1, close - 1));
  }
  if (command.size() <= kArgument.size() || command.substr(command.size() - kArgument.size()) != kArgument) {
    return {};
  }
  return std::string(command.substr(0, command.size() - kArgument.size()));
}

std::uint32_t KiBRoundedUp(std::uint64_t bytes) noexcept {
  const std::uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(kib > kMost ? kMost : kib);
}

}  // namespace mervalis
