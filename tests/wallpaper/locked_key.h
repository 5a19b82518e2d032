// A registry key given a restricted access list for one test, as a policy or
// an administrator may lock it, and given its old list back at the end. Wine
// enforces key access lists as Windows does; the owner keeps the right to
// change the list, which is how the old one goes back.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "common/registry_win.h"

namespace wine_test {

inline constexpr char kReadOnlyAccess[] = "D:P(A;;KR;;;WD)";  // everyone may read, nobody change
inline constexpr char kNoAccess[] = "D:P";                    // nobody may open it at all

class LockedKey {
 public:
  // Creates the key when missing, then gives it the access list `sddl`.
  LockedKey(HKEY root, const std::string& path, const char* sddl) : root_(root), path_(path) {
    mervalis::RegistryKey created;
    if (created.Create(root, path, READ_CONTROL | WRITE_DAC) != ERROR_SUCCESS) return;
    const HKEY key = created.get();
    DWORD size = 0;
    ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    old_.resize(size);
    PSECURITY_DESCRIPTOR locked = nullptr;
    ok_ = size > 0 && ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, old_.data(), &size) == ERROR_SUCCESS &&
          ::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &locked, nullptr) &&
          ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, locked) == ERROR_SUCCESS;
    if (locked) ::LocalFree(locked);
  }
  LockedKey(const LockedKey&) = delete;
  LockedKey& operator=(const LockedKey&) = delete;
  ~LockedKey() { Unlock(); }

  [[nodiscard]] bool ok() const { return ok_; }
  void Unlock() {
    if (!ok_) return;
    mervalis::RegistryKey key;
    if (key.Open(root_, path_, WRITE_DAC) == ERROR_SUCCESS) {
      ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, old_.data());
    }
    ok_ = false;
  }

 private:
  HKEY root_;
  std::string path_;
  std::vector<BYTE> old_;
  bool ok_ = false;
};

}  // namespace wine_test
