// A picture of the test machine's files and registry, to compare before and
// after an operation and print what differs.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace wine_test {

struct Snapshot {
  // Path (lower case) → size and time of the last write; folders map to "<dir>".
  std::map<std::string, std::string> files;
  // "HIVE\key\path|value" (lower case) → type and data; keys map to "<key>".
  std::map<std::string, std::string> registry;
};

// Takes the files below `roots` (full paths of folders) and the registry below
// the given keys.
struct SnapshotScope {
  std::vector<std::string> folders;  // with everything below them
  std::vector<std::pair<HKEY, std::string>> keys;
  std::vector<std::string> skippedKeys;  // below a walked key, not entered
};
[[nodiscard]] SnapshotScope MachineScope();
[[nodiscard]] Snapshot TakeSnapshot(const SnapshotScope& scope);

// Lines "+ path", "- path" and "~ path" for what was added, removed and
// changed, leaving out entries that contain any of `ignored` (lower case).
[[nodiscard]] std::vector<std::string> Difference(const Snapshot& before, const Snapshot& after,
                                                  const std::vector<std::string>& ignored);

}  // namespace wine_test
