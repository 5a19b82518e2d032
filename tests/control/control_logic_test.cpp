// The runtime control's decision, from the desktop's wallpaper path to the
// program it starts or the error it shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  struct Group {
    Verdict verdict;
    std::vector<const char*> wallpapers;
  };
  for (const Group& g : {
           Group{Verdict::kNoWallpaper, {""}},
           Group{Verdict::kNotFamilyPage,
                 {"C:\\WINDOWS\\Web\\Wallpaper\\Other.html", "C:\\WINDOWS\\Quorvane - Mervalis\\page.html",
                  "C:\\x\\Quorvane -Mervalis.html", "C:\\x\\Quorvane- Mervalis.html", "C:\\x\\ Quorvane - Mervalis.html",
                  "C:\\x\\Quorv", "C:\\x\\", "C:",
                  // A path written with forward slashes keeps its prefix behind the
                  // drive colon: not recognised, as the shell never reports one so.
                  "C:/x/Quorvane - Mervalis.html",
                  // A title may not name a program in another folder.
                  "C:\\x\\Quorvane - a/b.html", "C:\\x\\Quorvane - x/../../evil.html"}},
           Group{Verdict::kNoDot,
                 {"C:\\x\\Quorvane - Mervalis", "C:\\x\\Quorvane - ",
                  // The dot must come after the prefix; one in the folder does not help.
                  "C:\\x.y\\Quorvane - Mervalis"}},
       }) {
    for (const char* wallpaper : g.wallpapers) {
      SCOPED_TRACE(wallpaper);
      const auto found = TitleFromWallpaper(wallpaper);
      EXPECT_EQ(found.verdict, g.verdict);
      EXPECT_EQ(found.title, "");
    }
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
// file, and nothing from the web, another machine or an untold address.
TEST(ControlHostPage, OnlyLocalFamilyPagesAreAllowed) {
  const char* const allowed[] = {
      "C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", "c:/windows/web/wallpaper/QUORVANE - mervalis.htm",
      "file:///C:/WINDOWS/Web/Wallpaper/Quorvane%20-%20Mervalis.html", "FILE:///c|/x/quorvane%20-%20Deep%20Blue.html",
      "file://localhost/D:/pages/Quorvane - Coral.html", "file:C:\\x\\Quorvane - Mervalis.html",
      "file:///C:/x/Quorvane%20-%20Mervalis.html#top",
      // urlmon's own form of a local page, and its escaped variants.
      "file://C:\\WINDOWS\\Web\\Wallpaper\\Quorvane - Mervalis.html", "file://c|/x/Quorvane%20-%20Mervalis.html",
      "file://C%3A%5Cx%5CQuorvane%20-%20Mervalis.html"};
  const char* const refused[] = {
      "",  // the host did not tell
      // Other local pages.
      "C:\\WINDOWS\\Web\\Wallpaper\\Mervalis.html", "C:\\Quorvane - Folder\\Mervalis.html",
      "file:///C:/x/page.html?Quorvane - Mervalis.html",
      "file:///C:/Users/x/Downloads/offer.html?/Quorvane%20-%20Mervalis.html",
      "file:///C:/Users/x/Downloads/offer.html#/Quorvane%20-%20Mervalis.html",
      // Web pages, whatever their names.
      "http://example.com/Quorvane - Mervalis.html", "https://example.com/C:/Quorvane%20-%20Mervalis.html",
      "about:blank", "res://mshtml.dll/Quorvane - Mervalis.html", "mk:@MSITStore:C:\\x.chm::/Quorvane - Mervalis.html",
      // Another machine's files.
      "\\\\server\\share\\Quorvane - Mervalis.html", "file://server/share/Quorvane%20-%20Mervalis.html",
      "file:////server/share/Quorvane - Mervalis.html", "file://localhostile/C:/Quorvane - Mervalis.html"};
  for (const char* address : allowed) EXPECT_TRUE(quorvanex::HostPageAllowed(address)) << address;
  for (const char* address : refused) EXPECT_FALSE(quorvanex::HostPageAllowed(address)) << address;
}
