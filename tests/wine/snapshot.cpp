#include "wine/snapshot.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "common/folders_win.h"
#include "common/win_handles.h"
#include "wine/support.h"

namespace wine_test {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(::tolower(c)); });
  return s;
}

void WalkFolder(const std::string& folder, std::map<std::string, std::string>& out) {
  ForEachInFolder(folder, [&](const WIN32_FIND_DATAA& data) {
    const std::string path = folder + "\\" + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[Lower(path)] = "<dir>";
      // Linked folders lead out of the machine's own files.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return;
      WalkFolder(path, out);
    } else {
      // Size and time of the last write tell a changed file well enough.
      char stamp[64];
      std::snprintf(stamp, sizeof(stamp), "%lu:%lu:%lu", data.nFileSizeLow, data.ftLastWriteTime.dwHighDateTime,
                    data.ftLastWriteTime.dwLowDateTime);
      out[Lower(path)] = stamp;
    }
  });
}

void WalkKey(HKEY root, const std::string& name, const std::string& path, std::map<std::string, std::string>& out,
             const std::vector<std::string>& skipped, int depth = 0) {
  // Registry links can make loops; nothing of ours lies this deep.
  if (depth > 12) return;
  for (const auto& s : skipped) {
    if (depth > 0 && _stricmp(s.c_str(), path.c_str()) == 0) return;
  }
  mervalis::UniqueHkey key;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  out[Lower(name + "\\" + path)] = "<key>";
  std::vector<char> valueName(16384);
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = static_cast<DWORD>(valueName.size());
    DWORD dataLength = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LONG status = ::RegEnumValueA(key.get(), i, valueName.data(), &nameLength, nullptr, &type, data.data(),
                                        &dataLength);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    const std::string bytes(reinterpret_cast<const char*>(data.data()), dataLength);
    out[Lower(name + "\\" + path + "|" + std::string(valueName.data(), nameLength))] =
        std::to_string(type) + ":" + bytes;
  }
  std::vector<std::string> subkeys;
  for (DWORD i = 0;; ++i) {
    char sub[512];
    DWORD length = sizeof(sub);
    if (::RegEnumKeyExA(key.get(), i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(sub, length);
  }
  for (const auto& sub : subkeys) {
    WalkKey(root, name, path.empty() ? sub : path + "\\" + sub, out, skipped, depth + 1);
  }
}

std::string HiveName(HKEY root) {
  if (root == HKEY_CURRENT_USER) return "HKCU";
  if (root == HKEY_LOCAL_MACHINE) return "HKLM";
  if (root == HKEY_USERS) return "HKU";
  return "HK?";
}

}  // namespace

SnapshotScope MachineScope() {
  SnapshotScope scope;
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string drive = std::string(windows).substr(0, 2);  // "C:"
  scope.folders = {drive + "\\Program Files", drive + "\\ProgramData", drive + "\\users", std::string(windows)};
  // The classes store is walked only where COM servers register: walking all
  // of it through Wine's registry links takes too long.
  scope.keys = {{HKEY_CURRENT_USER, "Software"},
                {HKEY_CURRENT_USER, "Control Panel\\Desktop"},
                {HKEY_LOCAL_MACHINE, "Software"},
                {HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID"},
                {HKEY_LOCAL_MACHINE, "Software\\Classes\\TypeLib"},
                {HKEY_LOCAL_MACHINE, "Software\\Classes\\Interface"},
                {HKEY_LOCAL_MACHINE, "Software\\Classes\\Component Categories"},
                {HKEY_USERS, ".DEFAULT\\Control Panel\\Desktop"}};
  // Perflib's texts are made up by Wine on every read, and slowly.
  scope.skippedKeys = {"Software\\Classes", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib"};
  return scope;
}

Snapshot TakeSnapshot(const SnapshotScope& scope) {
  Snapshot s;
  for (const auto& folder : scope.folders) WalkFolder(folder, s.files);
  for (const auto& [root, path] : scope.keys) {
    WalkKey(root, HiveName(root), path, s.registry, scope.skippedKeys);
  }
  return s;
}

std::vector<std::string> Difference(const Snapshot& before, const Snapshot& after,
                                    const std::vector<std::string>& ignored) {
  std::vector<std::string> lines;
  const auto skip = [&](const std::string& path) {
    return std::any_of(ignored.begin(), ignored.end(),
                       [&](const std::string& i) { return path.find(i) != std::string::npos; });
  };
  const auto compare = [&](const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
    for (const auto& [path, value] : b) {
      if (skip(path)) continue;
      auto it = a.find(path);
      if (it == a.end()) {
        lines.push_back("+ " + path);
      } else if (it->second != value) {
        lines.push_back("~ " + path);
      }
    }
    for (const auto& [path, value] : a) {
      if (!skip(path) && !b.count(path)) lines.push_back("- " + path);
    }
  };
  compare(before.files, after.files);
  compare(before.registry, after.registry);
  return lines;
}

}  // namespace wine_test
