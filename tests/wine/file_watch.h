// What happens to the names in some folders while a test runs, as Linux sees
// it (inotify): no Windows call shows that a file was moved away or emptied
// for a moment. The watcher, tests/wine/file_watch.py, runs as a Linux
// process, which Wine starts for a program that is not a Windows one.
#pragma once

#include <string>
#include <vector>

namespace wine_test {

class FileWatch {
 public:
  // Starts watching `folders` (existing, Windows paths); ok() once it stands.
  explicit FileWatch(const std::vector<std::string>& folders);
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;
  ~FileWatch();

  [[nodiscard]] bool ok() const noexcept { return ok_; }
  // Ends the watch and gives what it saw, one "<event> <folder number> <name>"
  // per line in order (event: create, modify, close_write, moved_from,
  // moved_to, delete); empty when the watcher gave nothing.
  std::vector<std::string> Stop();

 private:
  std::string log_;  // Windows path of the watcher's log
  bool ok_ = false;
  bool stopped_ = false;
};

}  // namespace wine_test
