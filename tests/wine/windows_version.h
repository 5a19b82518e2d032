// Makes the program see another Windows version under Wine: Wine's per-program
// setting (HKCU\Software\Wine\AppDefaults\<exe>, value "Version"), which
// processes started afterwards read. The setting goes when the object does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "wine/support.h"

namespace wine_test {

class ScopedWindowsVersion {
 public:
  // `version` as winecfg names it ("win10", "winxp"); by default for the
  // program and the uninstaller copy it starts.
  explicit ScopedWindowsVersion(const std::string& version,
                                std::vector<std::string> exeNames = {"Mervalis.exe", "QuorUninst1.exe"});
  ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
  ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;
  ~ScopedWindowsVersion();

  [[nodiscard]] bool ok() const noexcept { return ok_; }

 private:
  std::vector<std::string> exeNames_;
  bool ok_ = true;
};

// Windows 10 for the programs named (as ScopedWindowsVersion) and the shell's
// stand-in in its Windows 10 layout, started afresh; both go with the object.
class Windows10Desktop {
 public:
  explicit Windows10Desktop(std::vector<std::string> exeNames = {"Mervalis.exe", "QuorUninst1.exe"});
  Windows10Desktop(const Windows10Desktop&) = delete;
  Windows10Desktop& operator=(const Windows10Desktop&) = delete;
  ~Windows10Desktop();

  // The version set and the shell's windows there.
  [[nodiscard]] bool ready() const noexcept { return ready_; }

 private:
  ScopedWindowsVersion version_;
  std::optional<Process> shell_;
  bool ready_ = false;
};

}  // namespace wine_test
