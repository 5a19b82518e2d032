#include "install/uninstall_entry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace mervalis {
namespace {

TEST(UninstallEntry, AppsAndFeaturesValuesInOrder) {
  const auto values = UninstallEntryValues("Mervalis", "C:\\Program Files\\Quorvane\\Mervalis.exe",
                                           "C:\\Program Files\\Quorvane\\", 1234, "20261208");
  const struct {
    const char* name;
    bool isNumber;
    const char* text;
    std::uint32_t number;
  } expected[] = {
      {"DisplayName", false, "Quorvane - Mervalis", 0},
      {"DisplayIcon", false, "C:\\Program Files\\Quorvane\\Mervalis.exe", 0},
      {"Publisher", false, "Quorvanesoft", 0},
      {"DisplayVersion", false, "1.0.0.0", 0},
      {"InstallDate", false, "20261208", 0},
      {"InstallLocation", false, "C:\\Program Files\\Quorvane", 0},
      {"EstimatedSize", true, "", 1234},
      {"NoModify", true, "", 1},
      {"NoRepair", true, "", 1},
      {"QuietUninstallString", false, "\"C:\\Program Files\\Quorvane\\Mervalis.exe\" uninstall /S", 0},
      // Last: an entry without it is not an install.
      {"UninstallString", false, "\"C:\\Program Files\\Quorvane\\Mervalis.exe\" uninstall", 0},
  };
  ASSERT_EQ(values.size(), std::size(expected));
  for (std::size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(values[i].name, expected[i].name);
    EXPECT_EQ(values[i].isNumber, expected[i].isNumber);
    EXPECT_EQ(values[i].text, expected[i].text);
    EXPECT_EQ(values[i].number, expected[i].number);
  }
}

TEST(UninstallEntry, InstallLocationWithoutTrailingBackslashExceptAtADriveRoot) {
  const struct {
    const char* folder;
    const char* location;
  } rows[] = {
      {"D:\\Apps\\Quorvane\\", "D:\\Apps\\Quorvane"},
      {"D:\\Apps\\Quorvane", "D:\\Apps\\Quorvane"},
      {"D:\\", "D:\\"},
  };
  for (const auto& row : rows) {
    const auto values = UninstallEntryValues("Mervalis", "x.exe", row.folder, 0, "");
    ASSERT_EQ(values[5].name, "InstallLocation");
    EXPECT_EQ(values[5].text, row.location) << row.folder;
  }
}

TEST(UninstallEntry, InstallDateAsYearMonthDay) {
  EXPECT_EQ(InstallDateText(2026, 12, 8), "20261208");
  EXPECT_EQ(InstallDateText(2031, 1, 31), "20310131");
}

// Installed or not: an entry counts only with a command that names a program
// (whether that program exists is the caller's question).
TEST(UninstallEntry, ProgramOfTheUninstallCommand) {
  const struct {
    const char* command;
    const char* program;
  } rows[] = {
      {"\"C:\\Program Files\\Quorvane\\Mervalis.exe\" uninstall", "C:\\Program Files\\Quorvane\\Mervalis.exe"},
      {"C:\\Program Files\\Quorvane\\Mervalis.exe uninstall", "C:\\Program Files\\Quorvane\\Mervalis.exe"},
      {"", ""},
      {"\"\" uninstall", ""},
      {"\"C:\\Quorvane\\Mervalis.exe uninstall", ""},
      {"C:\\Quorvane\\Mervalis.exe", ""},
      {" uninstall", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(ProgramOfUninstallCommand(row.command), row.program) << row.command;
}

TEST(UninstallEntry, SizeInWholeKiBRoundedUp) {
  const struct {
    std::uint64_t bytes;
    std::uint32_t kib;
  } rows[] = {
      {0, 0}, {1, 1}, {1023, 1}, {1024, 1}, {1025, 2}, {3u * 1024 * 1024, 3072},
      {0xFFFFFFFFull * 1024, 0xFFFFFFFFu}, {0xFFFFFFFFull * 1024 + 1, 0xFFFFFFFFu}, {~0ull, 0xFFFFFFFFu},
  };
  for (const auto& row : rows) EXPECT_EQ(KiBRoundedUp(row.bytes), row.kib) << row.bytes;
}

}  // namespace
}  // namespace mervalis
