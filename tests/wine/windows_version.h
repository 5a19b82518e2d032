// Makes the program see another Windows version under Wine: Wine's per-program
// setting (HKCU\Software\Wine\AppDefaults\<exe>, value "Version"), which
// processes started afterwards read. The setting goes when the object does.
#pragma once

#include <optional>
#include <string>
#include <utility>
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

// A Windows version for the programs named (as ScopedWindowsVersion) and the
// shell's stand-in in a layout of that Windows ("win10", "win7"), started
// afresh; both go with the object.
class StandInDesktop {
 public:
  StandInDesktop(const std::string& version, const std::string& layout,
                 std::vector<std::string> exeNames = {"Mervalis.exe", "QuorUninst1.exe"});
  StandInDesktop(const StandInDesktop&) = delete;
  StandInDesktop& operator=(const StandInDesktop&) = delete;
  ~StandInDesktop();

  // The version set and the shell's windows there.
  [[nodiscard]] bool ready() const noexcept { return ready_; }

 private:
  ScopedWindowsVersion version_;
  std::optional<Process> shell_;
  bool ready_ = false;
};

// Windows 10 and its shell.
class Windows10Desktop : public StandInDesktop {
 public:
  explicit Windows10Desktop(std::vector<std::string> exeNames = {"Mervalis.exe", "QuorUninst1.exe"})
      : StandInDesktop("win10", "win10", std::move(exeNames)) {}
};

}  // namespace wine_test
