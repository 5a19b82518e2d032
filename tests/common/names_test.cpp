#include "common/names.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

TEST(Folders, DriveOfTheSystemDirectoryWithFixedProgramFiles) {
  EXPECT_EQ(InstallFolderFrom("D:\\WINNT\\system32"), "D:\\Program Files\\Quorvane\\");
  EXPECT_EQ(InstallFolderFrom("C:\\WINDOWS\\system32"), "C:\\Program Files\\Quorvane\\");
  EXPECT_EQ(ProgramFilesFolderFrom("E:\\Windows\\System32"), "E:\\Program Files\\");
  // An unreadable system directory falls back to drive C:.
  EXPECT_EQ(ProgramFilesFolderFrom(""), "C:\\Program Files\\");
  EXPECT_EQ(InstallFolderFrom(""), "C:\\Program Files\\Quorvane\\");
}

TEST(Folders, ExactlyOneBackslashWhateverWindowsReports) {
  EXPECT_EQ(WallpaperFolderFrom("C:\\WINDOWS"), "C:\\WINDOWS\\Web\\Wallpaper\\");
  EXPECT_EQ(WallpaperFolderFrom("C:\\WINDOWS\\"), "C:\\WINDOWS\\Web\\Wallpaper\\");
  EXPECT_EQ(SystemFolderFrom("C:\\WINDOWS\\system32"), "C:\\WINDOWS\\system32\\");
  EXPECT_EQ(SystemFolderFrom("C:\\WINDOWS\\system32\\"), "C:\\WINDOWS\\system32\\");
  EXPECT_EQ(ImagesFolderFrom("C:\\WINDOWS", "Mervalis"), "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis\\");
  EXPECT_EQ(ImagesFolderFrom("D:\\WINNT\\", "Mervalis"), "D:\\WINNT\\Web\\Wallpaper\\QVImages\\Mervalis\\");
}

TEST(TitleForms, QuotesAndBlanks) {
  EXPECT_EQ(RemoveQuotesAndSpaces("\"Mervalis\""), "Mervalis");
  EXPECT_EQ(RemoveQuotesAndSpaces("\"Deep  Blue Sea\""), "DeepBlueSea");
  EXPECT_EQ(RemoveQuotesAndSpaces(""), "");
  // Only the blank itself goes; tabs stay.
  EXPECT_EQ(RemoveQuotesAndSpaces("a\tb c"), "a\tbc");
  EXPECT_EQ(RemoveQuotes("\"Deep Blue\""), "Deep Blue");
  EXPECT_EQ(RemoveQuotes("a\"\"b"), "ab");
}

TEST(TitleForms, TwoWordTitleKeepsItsBlankInFileNamesButNotInTheKey) {
  const std::string title = RemoveQuotes("\"Coral Reef\"");
  EXPECT_EQ(PagePath("C:\\WINDOWS\\Web\\Wallpaper\\", title),
            "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Coral Reef.html");
  EXPECT_EQ(ApplicationFilePath("C:\\Program Files\\Quorvane\\", title),
            "C:\\Program Files\\Quorvane\\Coral Reef.exe");
  EXPECT_EQ(ImagesFolderFrom("C:\\WINDOWS", RemoveQuotesAndSpaces(title)),
            "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\CoralReef\\");
  EXPECT_EQ(UninstallKey(title),
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - Coral Reef");
  EXPECT_EQ(PageName(kTitle), "Mervalis.html");
  EXPECT_EQ(PageImageAddress("Mervalis", "fish1_l.gif"), "QVImages/Mervalis/fish1_l.gif");
}

TEST(TitleForms, TrimTakesBlanksAndControlCharactersFromBothEnds) {
  EXPECT_EQ(TrimBlanksAndControls(" \t\r\n apply \x01"), "apply");
  EXPECT_EQ(TrimBlanksAndControls("a b"), "a b");
  EXPECT_EQ(TrimBlanksAndControls("   "), "");
  // Bytes above 127 are text, not blanks.
  EXPECT_EQ(TrimBlanksAndControls("\xE9t\xE9"), "\xE9t\xE9");
}

}  // namespace
}  // namespace mervalis
