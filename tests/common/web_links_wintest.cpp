// The family's installed wallpapers, read from the uninstall entries under
// HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/registry_win.h"
#include "common/web_links_win.h"

namespace {

// Uninstall entries made by a test and removed afterwards. The names sort
// after anything the program itself installs ("Mervalis"), so they come last
// in the registry's enumeration.
class UninstallEntries : public testing::Test {
 protected:
  static constexpr const char* kEntries[] = {"Quorvane - Test Reef", "Quorvane - Tide \"Deep\" Pool",
                                             "quorvane - Test Lower", "QUORVANE - Test Upper"};

  void SetUp() override { Remove(); }
  void TearDown() override { Remove(); }
  static void Remove() {
    for (const char* name : kEntries) mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, Key(name));
  }
  static std::string Key(const char* name) {
    return std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + name;
  }
  static void Add(const char* name) {
    mervalis::RegistryKey registry;
    ASSERT_TRUE(registry.Create(HKEY_LOCAL_MACHINE, Key(name)) == ERROR_SUCCESS) << name;
  }
};

TEST_F(UninstallEntries, FamilyEntriesListedLowerCaseClosedUpAndCommaSeparated) {
  const std::string before = mervalis::GetInstalledWallpapers();
  const std::string lead = before.empty() ? before : before + ",";
  Add(kEntries[0]);
  EXPECT_EQ(mervalis::GetInstalledWallpapers(), lead + "testreef");
  Add(kEntries[1]);
  EXPECT_EQ(mervalis::GetInstalledWallpapers(), lead + "testreef,tidedeeppool");
}

TEST_F(UninstallEntries, PrefixInAnotherLetterCaseIsNotTheFamily) {
  const std::string before = mervalis::GetInstalledWallpapers();
  Add(kEntries[2]);
  Add(kEntries[3]);
  EXPECT_EQ(mervalis::GetInstalledWallpapers(), before);
}

}  // namespace
