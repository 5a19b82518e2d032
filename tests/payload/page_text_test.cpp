#include "payload/page_text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "expected_stub_page.h"

#ifndef MERVALIS_PAGE_TEMPLATE
#error "MERVALIS_PAGE_TEMPLATE must name the page template file"
#endif

namespace mervalis {
namespace {

TEST(ReplaceFirst, ReplacesOnlyTheFirstExactOccurrence) {
    // No tag: unchanged, also for an empty text.
    EXPECT_EQ(ReplaceFirst("var x = 1;\r\n", "<PAGE_LAYOUT>", "0"), "var x = 1;\r\n");
    EXPECT_EQ(ReplaceFirst("", "<PAGE_LAYOUT>", "0"), "");

    // Twice: the second stays.
    EXPECT_EQ(ReplaceFirst("a<PAGE_LAYOUT>b<PAGE_LAYOUT>c", "<PAGE_LAYOUT>", "1"), "a1b<PAGE_LAYOUT>c");

    // Another letter case is a different text.
    EXPECT_EQ(ReplaceFirst("a<page_layout>b", "<PAGE_LAYOUT>", "1"), "a<page_layout>b");
    EXPECT_EQ(ReplaceFirst("<Page_Layout><PAGE_LAYOUT>", "<PAGE_LAYOUT>", "0"), "<Page_Layout>0");

    // At the very start and end, and by nothing.
    EXPECT_EQ(ReplaceFirst("<PAGE_LAYOUT>;", "<PAGE_LAYOUT>", "0"), "0;");
    EXPECT_EQ(ReplaceFirst("= <PAGE_LAYOUT>", "<PAGE_LAYOUT>", "1"), "= 1");
    EXPECT_EQ(ReplaceFirst("x<PAGE_LAYOUT>y", "<PAGE_LAYOUT>", ""), "xy");

    // A partial tag at the end is no match.
    EXPECT_EQ(ReplaceFirst("x<PAGE_LAYOUT", "<PAGE_LAYOUT>", "1"), "x<PAGE_LAYOUT");
}

TEST(ReplaceFirst, NeverSearchesTheInsertedText) {
    EXPECT_EQ(ReplaceFirst("a<T>b", "<T>", "[<T>]"), "a[<T>]b");
    EXPECT_EQ(ReplaceFirst("a<T>b<T>c", "<T>", "<T><T>"), "a<T><T>b<T>c");
    // The inserted text together with what follows forms a tag: still left alone.
    EXPECT_EQ(ReplaceFirst("<T>T>", "<T>", "<"), "<T>");
}

TEST(StubPage, LinesForASystemFolderWithoutSpaces) {
    const auto lines = StubPageLines("Mervalis", "C:\\WINDOWS\\system32\\quorvanexrun.ocx");
    const std::vector<std::string> expected = {
        "<HTML>",
        "<HEAD>",
        "\t<TITLE>Quorvanesoft</TITLE>",
        "</HEAD>",
        "<BODY BGCOLOR=\"#000000\" BACKGROUND=\"QVImages/Mervalis/background.bmp\">",
        "\t<OBJECT",
        "\t\tCLASSID=\"clsid:A720EFA4-00C8-459A-8762-5CF50F24DA54\"",
        "\t\tCODEBASE=\"C:\\WINDOWS\\system32\\quorvanexrun.ocx#version=1,0,0,0\"",
        "\t\tWIDTH=\"0\" HEIGHT=\"0\" HSPACE=\"0\" VSPACE=\"0\"",
        "\t></OBJECT>",
        "</BODY>",
        "</HTML>",
    };
    EXPECT_EQ(lines, expected);
}

TEST(StubPage, TextForASystemFolderWithSpaces) {
    const std::string text = StubPageText("Mervalis", "D:\\My Windows\\system32\\quorvanexrun.ocx");
    EXPECT_EQ(text, expected::ExpectedStubPage("D:\\My Windows\\system32\\quorvanexrun.ocx"));
}

TEST(StubPage, BodyNamesTheGivenWallpaperKey) {
    const auto lines = StubPageLines("Coral", "C:\\WINNT\\System32\\quorvanexrun.ocx");
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[4], "<BODY BGCOLOR=\"#000000\" BACKGROUND=\"QVImages/Coral/background.bmp\">");
    EXPECT_EQ(lines[7], "\t\tCODEBASE=\"C:\\WINNT\\System32\\quorvanexrun.ocx#version=1,0,0,0\"");
}

std::string ReadTemplate() {
    std::ifstream in(MERVALIS_PAGE_TEMPLATE, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << MERVALIS_PAGE_TEMPLATE;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++count;
    return count;
}

TEST(PageTemplate, IsPlainAsciiWithCrLfLines) {
    const std::string page = ReadTemplate();
    ASSERT_GT(page.size(), 1000u);
    EXPECT_NE(page.substr(0, 3), "\xEF\xBB\xBF") << "byte-order mark";
    EXPECT_EQ(page.substr(0, 8), "<HTML>\r\n");

    for (std::size_t k = 0; k < page.size(); ++k) {
        const auto c = static_cast<unsigned char>(page[k]);
        ASSERT_TRUE(c == '\t' || c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F))
            << "byte " << int(c) << " at offset " << k;
        if (c == '\n') {
            ASSERT_TRUE(k > 0 && page[k - 1] == '\r') << "bare LF at offset " << k;
        }
        if (c == '\r') {
            ASSERT_TRUE(k + 1 < page.size() && page[k + 1] == '\n') << "bare CR at offset " << k;
        }
        if (c == ' ' && (k == 0 || page[k - 1] == '\n')) {
            ADD_FAILURE() << "line indented by blanks at offset " << k;
        }
    }
    // "</HTML>" is the last line, followed by one empty line.
    ASSERT_GE(page.size(), 11u);
    EXPECT_EQ(page.substr(page.size() - 11), "</HTML>\r\n\r\n");
}

TEST(PageTemplate, HoldsTheFixedStructure) {
    const std::string page = ReadTemplate();
    EXPECT_EQ(CountOf(page, "<PAGE_LAYOUT>"), 1u);
    EXPECT_EQ(CountOf(page, "\tvar pageLayout = <PAGE_LAYOUT>; // 0=Center, 1=Stretch\r\n"), 1u);
    EXPECT_EQ(CountOf(page, "\r\n\t<TITLE>Quorvanesoft</TITLE>\r\n"), 1u);
    EXPECT_EQ(CountOf(page, "div, center, p, table {margin:0;}"), 1u);
    EXPECT_EQ(CountOf(page,
                      "\r\n</HEAD>\r\n<BODY BGCOLOR=\"#000000\" "
                      "BACKGROUND=\"QVImages/Mervalis/background.bmp\" BGPROPERTIES=\"FIXED\">\r\n"
                      "<SCRIPT LANGUAGE=\"javascript\">\r\n"),
              1u);
    EXPECT_EQ(CountOf(page, "window.onload = initImages;\r\n</SCRIPT>\r\n</BODY>\r\n</HTML>\r\n"), 1u);
}

TEST(PageTemplate, FishTableInOrder) {
    const std::string page = ReadTemplate();
    struct Row {
        const char* left;
        const char* right;
        int width, height, interval, moveX, moveY;
    };
    const Row rows[] = {
        {"fish2_l", "fish2_r", 70, 48, 40, 3, 1},  {"fish1_l", "fish1_r", 90, 77, 35, 2, 1},
        {"fish4_l", "fish4_r", 95, 62, 40, 2, 1},  {"fish6_l", "fish6_r", 90, 77, 35, 2, 1},
        {"fish5_l", "fish5_r", 95, 62, 40, 2, 1},  {"fish3_l", "fish3_r", 105, 49, 45, 2, 1},
    };
    std::size_t from = 0;
    int index = 0;
    for (const Row& r : rows) {
        const std::string pattern = "imageFiles\\[" + std::to_string(index) + "\\]\\s*=\\s*new imageFile\\(\"" +
                                    r.left + "\\.gif\",\\s*\"" + r.right + "\\.gif\",\\s*" + std::to_string(r.width) +
                                    ",\\s*" + std::to_string(r.height) + ",\\s*" + std::to_string(r.interval) +
                                    ",\\s*" + std::to_string(r.moveX) + ",\\s*" + std::to_string(r.moveY) + "\\);";
        std::smatch m;
        const std::string rest = page.substr(from);
        ASSERT_TRUE(std::regex_search(rest, m, std::regex(pattern))) << "row " << index << " not found in order";
        from += m.position(0) + m.length(0);
        ++index;
    }
    EXPECT_EQ(CountOf(page, "new imageFile("), 6u);
}

TEST(PageTemplate, LayoutValueReplacesOnlyTheTag) {
    const std::string page = ReadTemplate();
    const auto tagAt = page.find("<PAGE_LAYOUT>");
    ASSERT_NE(tagAt, std::string::npos);
    for (const char* value : {"0", "1"}) {
        const std::string result = ReplaceFirst(page, "<PAGE_LAYOUT>", value);
        EXPECT_EQ(result.size(), page.size() - 13 + 1);
        EXPECT_EQ(result, page.substr(0, tagAt) + value + page.substr(tagAt + 13));
        EXPECT_EQ(CountOf(result, "<PAGE_LAYOUT>"), 0u);
        EXPECT_EQ(CountOf(result, std::string("\tvar pageLayout = ") + value + "; // 0=Center, 1=Stretch\r\n"), 1u);
    }
}

}  // namespace
}  // namespace mervalis
