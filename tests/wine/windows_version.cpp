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
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, AppDefaultsKey(exe).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
      ok_ = false;
      continue;
    }
    ok_ &= ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                            static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
    ::RegCloseKey(key);
  }
}

ScopedWindowsVersion::~ScopedWindowsVersion() {
  for (const std::string& exe : exeNames_) {
    const std::string path = AppDefaultsKey(exe);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
      continue;
    }
    ::RegDeleteValueA(key, "Version");
    DWORD subkeys = 1, values = 1;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    ::RegCloseKey(key);
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
