#include "wine/windows_version.h"

#include <windows.h>

#include <utility>

#include "robot.h"

namespace wine_test {

namespace {

std::string AppDefaultsKey(const std::string& exe) { return "Software\\Wine\\AppDefaults\\" + exe; }

}  // namespace

ScopedWindowsVersion::ScopedWindowsVersion(const std::string& version, std::vector<std::string> exeNames)
    : exeNames_(std::move(exeNames)) {
  for (const std::string& exe : exeNames_) {
    ok_ &= SetString(HKEY_CURRENT_USER, AppDefaultsKey(exe), "Version", version);
  }
}

ScopedWindowsVersion::~ScopedWindowsVersion() {
  for (const std::string& exe : exeNames_) {
    const std::string path = AppDefaultsKey(exe);
    mervalis::RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, path, KEY_SET_VALUE | KEY_QUERY_VALUE) != ERROR_SUCCESS) continue;
    (void)key.DeleteValue("Version");
    DWORD subkeys = 1, values = 1;
    ::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    key.Close();
    // The key goes too when nothing else is set in it.
    if (subkeys == 0 && values == 0) ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
  }
}

StandInDesktop::StandInDesktop(const std::string& version, const std::string& layout,
                               std::vector<std::string> exeNames)
    : version_(version, std::move(exeNames)) {
  KillProcessesNamed("shell_standin.exe");
  shell_.emplace(BinFolder() + "shell_standin.exe", layout);
  ready_ = version_.ok() && robot::WaitForWindow({"Progman", "Program Manager", shell_->id(), true}, 10000);
}

StandInDesktop::~StandInDesktop() {
  shell_.reset();
  KillProcessesNamed("shell_standin.exe");
}

}  // namespace wine_test
