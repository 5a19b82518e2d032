// The runtime control's decision, from the desktop's wallpaper path to the
// program it starts or the error it shows.
#include <gtest/gtest.h>

#include <string>

#include "control/control_logic.h"
// The control is a DLL of its own, outside the portable core library; its one
// portable file is compiled here.
#include "control/control_logic.cpp"  // NOLINT(bugprone-suspicious-include)

namespace {

using quorvanex::TitleFromWallpaper;
using quorvanex::Verdict;

TEST(ControlTitle, FamilyPagesGiveTheirTitleInTheFileNamesOwnCase) {
  struct Case {
    const char* wallpaper;
    const char* title;
  };
  for (const Case& c : {
           Case{"C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", "Mervalis"},
           Case{"C:\\WINDOWS\\Web\\Wallpaper\\quorvane - mervalis.html", "mervalis"},
           Case{"C:\\x\\QUORVANE - MerVALis.HTML", "MerVALis"},
           Case{"C:\\x\\qUoRvAnE - Deep Blue.htm", "Deep Blue"},
           // Cut at the first dot of the rest, however many follow.
           Case{"C:\\x\\Quorvane - Mer.valis.html", "Mer"},
           Case{"C:\\x\\Quorvane - Mervalis.html.bak", "Mervalis"},
           // A drive colon ends the folder part as a backslash does.
           Case{"D:Quorvane - Mervalis.html", "Mervalis"},
           // No folder at all.
           Case{"Quorvane - Mervalis.html", "Mervalis"},
           // The prefix in a folder name does not count; the last separator wins.
           Case{"C:\\Quorvane - Old\\Quorvane - New.html", "New"},
           // Bytes above 127 pass through untouched.
           Case{"C:\\x\\Quorvane - M\xE9rvalis.html", "M\xE9rvalis"},
           // Nothing between prefix and dot: an empty title, whose program
           // ("...\Quorvane\.exe") will simply not be found.
           Case{"C:\\x\\Quorvane - .html", ""},
       }) {
    SCOPED_TRACE(c.wallpaper);
    const auto found = TitleFromWallpaper(c.wallpaper);
    EXPECT_EQ(found.verdict, Verdict::kStart);
    EXPECT_EQ(found.title, c.title);
  }
}

TEST(ControlTitle, OtherWallpapersGiveTheirErrorCode) {
  struct Case {
    const char* wallpaper;
    Verdict verdict;
  };
  for (const Case& c : {
           Case{"", Verdict::kNoWallpaper},
           Case{"C:\\WINDOWS\\Web\\Wallpaper\\Other.html", Verdict::kNotFamilyPage},
           Case{"C:\\WINDOWS\\Quorvane - Mervalis\\page.html", Verdict::kNotFamilyPage},
           Case{"C:\\x\\Quorvane -Mervalis.html", Verdict::kNotFamilyPage},
           Case{"C:\\x\\Quorvane- Mervalis.html", Verdict::kNotFamilyPage},
           Case{"C:\\x\\ Quorvane - Mervalis.html", Verdict::kNotFamilyPage},
           Case{"C:\\x\\Quorv", Verdict::kNotFamilyPage},
           Case{"C:\\x\\", Verdict::kNotFamilyPage},
           Case{"C:", Verdict::kNotFamilyPage},
           // A path written with forward slashes keeps its prefix behind the
           // drive colon: not recognised, as the shell never reports one so.
           Case{"C:/x/Quorvane - Mervalis.html", Verdict::kNotFamilyPage},
           Case{"C:\\x\\Quorvane - Mervalis", Verdict::kNoDot},
           Case{"C:\\x\\Quorvane - ", Verdict::kNoDot},
           // The dot must come after the prefix; one in the folder does not help.
           Case{"C:\\x.y\\Quorvane - Mervalis", Verdict::kNoDot},
       }) {
    SCOPED_TRACE(c.wallpaper);
    const auto found = TitleFromWallpaper(c.wallpaper);
    EXPECT_EQ(found.verdict, c.verdict);
    EXPECT_EQ(found.title, "");
  }
}

TEST(ControlTitle, MessagesNameTheirErrorCode) {
  EXPECT_EQ(quorvanex::VerdictMessage(Verdict::kNoWallpaper), "Invalid Wallpaper (Error 1001)");
  EXPECT_EQ(quorvanex::VerdictMessage(Verdict::kNotFamilyPage), "Invalid Wallpaper (Error 1002)");
  EXPECT_EQ(quorvanex::VerdictMessage(Verdict::kNoDot), "Invalid Wallpaper (Error 1003)");
  EXPECT_EQ(quorvanex::VerdictMessage(Verdict::kApplicationMissing),
            "Wallpaper Application Not Found (Error 1004)");
  EXPECT_EQ(quorvanex::VerdictMessage(Verdict::kStart), "");
}

TEST(ControlApplicationFile, LiesInTheInstallFolderOfTheSystemDrive) {
  EXPECT_EQ(quorvanex::ApplicationFileFor("C:\\WINDOWS\\system32", "Mervalis"),
            "C:\\Program Files\\Quorvane\\Mervalis.exe");
  EXPECT_EQ(quorvanex::ApplicationFileFor("D:\\WINNT\\system32", "mervalis"),
            "D:\\Program Files\\Quorvane\\mervalis.exe");
  // A system directory Windows could not report stands for drive C:.
  EXPECT_EQ(quorvanex::ApplicationFileFor("", "Mer"), "C:\\Program Files\\Quorvane\\Mer.exe");
}

}  // namespace

// Which hosting pages may use the control: the desktop's family page, a local
// file, and nothing from the web or another machine.
TEST(ControlHostPage, OnlyLocalFamilyPagesAndUntoldAddressesAreAllowed) {
  struct Case {
    const char* address;
    bool allowed;
  };
  for (const Case& c : {
           Case{"", true},  // the host did not tell: as before
           Case{"C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", true},
           Case{"c:/windows/web/wallpaper/QUORVANE - mervalis.htm", true},
           Case{"file:///C:/WINDOWS/Web/Wallpaper/Quorvane%20-%20Mervalis.html", true},
           Case{"FILE:///c|/x/quorvane%20-%20Deep%20Blue.html", true},
           Case{"file://localhost/D:/pages/Quorvane - Coral.html", true},
           Case{"file:C:\\x\\Quorvane - Mervalis.html", true},
           Case{"file:///C:/x/Quorvane%20-%20Mervalis.html#top", true},
           // Other local pages.
           Case{"C:\\WINDOWS\\Web\\Wallpaper\\Mervalis.html", false},
           Case{"C:\\Quorvane - Folder\\Mervalis.html", false},
           Case{"file:///C:/x/page.html?Quorvane - Mervalis.html", false},
           // Web pages, whatever their names.
           Case{"http://example.com/Quorvane - Mervalis.html", false},
           Case{"https://example.com/C:/Quorvane%20-%20Mervalis.html", false},
           Case{"about:blank", false},
           Case{"res://mshtml.dll/Quorvane - Mervalis.html", false},
           Case{"mk:@MSITStore:C:\\x.chm::/Quorvane - Mervalis.html", false},
           // Another machine's files.
           Case{"\\\\server\\share\\Quorvane - Mervalis.html", false},
           Case{"file://server/share/Quorvane%20-%20Mervalis.html", false},
           Case{"file:////server/share/Quorvane - Mervalis.html", false},
           Case{"file://localhostile/C:/Quorvane - Mervalis.html", false},
       }) {
    EXPECT_EQ(quorvanex::HostPageAllowed(c.address), c.allowed) << c.address;
  }
}
