#include "common/web_links.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mervalis {
namespace {

TEST(InstalledList, FamilyEntriesInTheGivenOrderJoinedByOneComma) {
  EXPECT_EQ(FamilyWallpaperNames({"Quorvane - Mervalis", "Other App", "Quorvane - Coral Reef"}),
            "Mervalis,Coral Reef");
  EXPECT_EQ(FamilyWallpaperNames({"Quorvane - Coral Reef", "Quorvane - Mervalis"}), "Coral Reef,Mervalis");
  EXPECT_EQ(FamilyWallpaperNames({}), "");
  EXPECT_EQ(FamilyWallpaperNames({"WinZip", "Quorvane", "Quorvane -Mervalis"}), "");
}

TEST(InstalledList, PrefixIsCaseSensitiveAndMayStandAnywhere) {
  EXPECT_EQ(FamilyWallpaperNames({"quorvane - Lower", "QUORVANE - Upper", "Quorvane - Kept"}), "Kept");
  // Everything after the first occurrence, even a second prefix.
  EXPECT_EQ(FamilyWallpaperNames({"Old Quorvane - Sea"}), "Sea");
  EXPECT_EQ(FamilyWallpaperNames({"Quorvane - Quorvane - Twice"}), "Quorvane - Twice");
  // A comma goes before a name only when the list so far is not empty.
  EXPECT_EQ(FamilyWallpaperNames({"Quorvane - ", "Quorvane - B"}), "B");
  EXPECT_EQ(FamilyWallpaperNames({"Quorvane - B", "Quorvane - "}), "B,");
}

TEST(LinkQuery, NameAndInstalledListClosedUp) {
  EXPECT_EQ(LinkQuery("\"mervalis\"", "mervalis"), "mervalis&iwp=mervalis");
  EXPECT_EQ(LinkQuery("\"coral reef\"", "coralreef,mervalis"), "coralreef&iwp=coralreef,mervalis");
  // Nothing installed: the query ends with the empty list.
  EXPECT_EQ(LinkQuery("\"mervalis\"", ""), "mervalis&iwp=");
  // No escaping beyond dropping blanks and quotes.
  EXPECT_EQ(LinkQuery("a&b \"c\"", "x,y"), "a&bc&iwp=x,y");
}

TEST(WebAddress, OneRootForEveryPage) {
  EXPECT_EQ(WebPageAddress(kMorePapersPage, "mervalis&iwp=mervalis"),
            "http://www.quorvanesoft.com/index.php?wp=mervalis&iwp=mervalis");
  EXPECT_EQ(WebPageAddress(kTellPage, "mervalis&iwp="), "http://www.quorvanesoft.com/tell.php?wp=mervalis&iwp=");
  EXPECT_EQ(ShortcutAddress(), "http://www.quorvanesoft.com/index.php?ref=shortcut");
}

}  // namespace
}  // namespace mervalis
