// Makes the program see another Windows version under Wine: Wine's per-program
// setting (HKCU\Software\Wine\AppDefaults\<exe>, value "Version"), which
// processes started afterwards read. The setting goes when the object does.
#pragma once

#include <string>
#include <vector>

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

}  // namespace wine_test
