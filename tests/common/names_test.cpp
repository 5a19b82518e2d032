#include "common/names.h"

#include <gtest/gtest.h>

namespace mervalis {
namespace {

TEST(Folders, DriveOfTheSystemDirectoryWithFixedProgramFiles) {
  struct Case {
    const char* system;
    const char* programFiles;
  };
  for (const Case& c : {Case{"D:\\WINNT\\system32", "D:\\Program Files\\"},
                        Case{"C:\\WINDOWS\\system32", "C:\\Program Files\\"},
                        Case{"E:\\Windows\\System32", "E:\\Program Files\\"},
                        // An unreadable system directory falls back to drive C:.
                        Case{"", "C:\\Program Files\\"}}) {
    SCOPED_TRACE(c.system);
    EXPECT_EQ(ProgramFilesFolderFrom(c.system), c.programFiles);
    EXPECT_EQ(InstallFolderFrom(c.system), std::string(c.programFiles) + "Quorvane\\");
  }
}

TEST(Folders, ExactlyOneBackslashWhateverWindowsReports) {
  for (const char* windows : {"C:\\WINDOWS", "C:\\WINDOWS\\"}) {
    EXPECT_EQ(WallpaperFolderFrom(windows), "C:\\WINDOWS\\Web\\Wallpaper\\");
    EXPECT_EQ(ImagesFolderFrom(windows, "Mervalis"), "C:\\WINDOWS\\Web\\Wallpaper\\QVImages\\Mervalis\\");
  }
  for (const char* system : {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\"}) {
    EXPECT_EQ(SystemFolderFrom(system), "C:\\WINDOWS\\system32\\");
  }
  EXPECT_EQ(ImagesFolderFrom("D:\\WINNT\\", "Mervalis"), "D:\\WINNT\\Web\\Wallpaper\\QVImages\\Mervalis\\");
}

// The per-user install lives in the user's local application data, whatever
// characters its path holds (UTF-8 passes through as it is).
TEST(Folders, PerUserFoldersInLocalApplicationData) {
  for (const char* local : {"C:\\Users\\ann\\AppData\\Local", "C:\\Users\\ann\\AppData\\Local\\"}) {
    EXPECT_EQ(PerUserInstallFolderFrom(local), "C:\\Users\\ann\\AppData\\Local\\Programs\\Quorvane\\");
    EXPECT_EQ(PerUserWallpaperFolderFrom(local), "C:\\Users\\ann\\AppData\\Local\\Quorvane\\");
  }
  EXPECT_EQ(PerUserInstallFolderFrom("D:\\\xE5\xA3\x81\xE7\xB4\x99"), "D:\\\xE5\xA3\x81\xE7\xB4\x99\\Programs\\Quorvane\\");
  // Unknown: nothing, rather than a folder at the root of the current drive.
  // Unknown or relative (nothing to stand on): nothing, rather than a folder at
  // the root of the current drive or in the current folder.
  for (const char* local : {"", "AppData\\Local", "\\Users\\ann", "C:Local", "\\\\server"}) {
    EXPECT_EQ(PerUserInstallFolderFrom(local), "") << local;
    EXPECT_EQ(PerUserWallpaperFolderFrom(local), "") << local;
  }
}

// The base folders every operation stands on, valid or not.
TEST(Folders, OnlyAFullPathIsABaseFolder) {
  const struct {
    const char* folder;
    bool absolute;
  } rows[] = {
      {"C:\\Users\\ann\\", true}, {"d:\\", true}, {"\\\\server\\share\\", true}, {"\\\\server\\share", true},
      {"", false}, {".\\", false}, {"Quorvane\\", false}, {"\\Web\\Wallpaper\\", false}, {"C:Quorvane\\", false},
      {"\\\\server\\", false}, {"\\\\\\share\\", false}, {"1:\\x", false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsAbsoluteFolder(row.folder), row.absolute) << row.folder;
}

// A replaced file's temporary copy of a run, and nothing else beside it.
TEST(Folders, TemporaryNamesOfARun) {
  const char* stem = "Mervalis.exe.";
  EXPECT_TRUE(IsRunTemporaryName("Mervalis.exe.1234-1.tmp", stem));
  EXPECT_TRUE(IsRunTemporaryName("Mervalis.exe.7-12.tmp", stem));
  for (const char* other : {"Mervalis.exe.tmp", "Mervalis.exe.1234.tmp", "Mervalis.exe.-1.tmp", "Mervalis.exe.12-.tmp",
                            "Mervalis.exe.1a-1.tmp", "Other.exe.1234-1.tmp", "Mervalis.exe.1234-1.tmp.lnk"}) {
    EXPECT_FALSE(IsRunTemporaryName(other, stem)) << other;
  }
}

// A title loses its quotes for the file names, and its blanks too for the
// key and the pictures' folder; only the blank itself goes, tabs stay.
TEST(TitleForms, QuotesAndBlanks) {
  struct Case {
    const char* text;
    const char* withoutQuotes;
    const char* withoutQuotesAndBlanks;
  };
  for (const Case& c : {Case{"\"Mervalis\"", "Mervalis", "Mervalis"},
                        Case{"\"Deep  Blue Sea\"", "Deep  Blue Sea", "DeepBlueSea"},
                        Case{"", "", ""},
                        Case{"a\tb c", "a\tb c", "a\tbc"},
                        Case{"a\"\"b", "ab", "ab"}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RemoveQuotes(c.text), c.withoutQuotes);
    EXPECT_EQ(RemoveQuotesAndSpaces(c.text), c.withoutQuotesAndBlanks);
  }
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
