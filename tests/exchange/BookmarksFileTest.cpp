#include "exchange/BookmarksFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

// This executable runs in code page 1252: é is one byte here.

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const CBookmarksFile& file)
{
    Entries entries;
    for (const CShortcut& entry : file.GetEntries())
        entries.emplace_back(static_cast<const char*>(entry.prefix), static_cast<const char*>(entry.url));
    return entries;
}

} // namespace

// A browser's own export: keyword searches among plain bookmarks, folders,
// bookmarklets and POST searches, in either case and quoting.
TEST(BookmarksFile, ReadsTheKeywordSearchesOfABrowsersExport)
{
    const std::string exported =
        "\xEF\xBB\xBF  <!doctype netscape-bookmark-file-1>\n<!-- This is an automatically generated file.\n"
        "     It will be read and overwritten.\n     DO NOT EDIT! -->\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
        "<H1>Bookmarks Menu</H1>\n<DL><p>\n"
        "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\">Mozilla Firefox</H3>\n    <DL><p>\n"
        "        <DT><A HREF=\"https://support.mozilla.org/\" ADD_DATE=\"1\" ICON_URI=\"x\">Get Help</A>\n"
        "        <DT><A HREF=\"https://en.wikipedia.org/w/index.php?search=%s&amp;go=Go\" ADD_DATE=\"1\" "
        "SHORTCUTURL=\"wiki\">Wikipedia</A>\n"
        "        <dt><a href='https://x/?q=%S' shortcuturl=Raw>raw</a>\n"
        "        <DT><A HREF=\"https://x/search?q=%s\" SHORTCUTURL=\"post\" POST_DATA=\"q=%s\">post</A>\n"
        "        <DT><A HREF=\"https://x/search?q=%s\" SHORTCUTURL=\"post2\" POSTDATA=\"q=%s\">post</A>\n"
        "        <DT><A HREF=\"javascript:alert('%s')\" SHORTCUTURL=\"js\">bookmarklet</A>\n"
        "        <DT><A HREF=\"https://x/plain\" SHORTCUTURL=\"plain\">no search term</A>\n"
        "        <DT><ABBR>not a link</ABBR><ADDRESS>nor this</ADDRESS>\n"
        "        <DT><A HREF=\"https://&#x41;&#66;/?q=%s\" SHORTCUTURL=\"&#233;t&#xE9;\">numbers</A>\n"
        "    </DL><p>\n</DL>\n";
    const Entries read = {{"wiki", "https://en.wikipedia.org/w/index.php?search=%s&go=Go"},
                          {"Raw", "https://x/?q=%s"},
                          {"\xE9t\xE9", "https://AB/?q=%s"}};
    CBookmarksFile file;
    ASSERT_TRUE(file.Parse(exported));
    EXPECT_EQ(EntriesOf(file), read);
    EXPECT_EQ(file.GetSkippedCount(), 5);

    // Cut off inside a tag, a value without a name, a NUL: what is whole is read.
    const std::string rest = exported.substr(0, exported.find("    </DL>")) + "<DT><A HREF=\"https://x/?q=%s\" ";
    const struct {
        std::string end;
        Entries more;  // read after `read`
        int skipped;
    } cuts[] = {{"SHORTCUTURL=cut", {{"cut", "https://x/?q=%s"}}, 5},
                {"=x SHORTCUTURL=cut", {{"cut", "https://x/?q=%s"}}, 5},
                {"=x>stray</A><DT><A HREF=\"https://y/?q=%s\" SHORTCUTURL=y>", {{"y", "https://y/?q=%s"}}, 6},
                {"SHORTCUTURL=\"cut", {}, 6}, {"SHORT", {}, 6}, {"=", {}, 6},
                {std::string("SHORTCUTURL=n\0l>", 16), {}, 6}};
    for (const auto& cut : cuts) {
        ASSERT_TRUE(file.Parse(rest + cut.end)) << cut.end;
        Entries entries = read;
        entries.insert(entries.end(), cut.more.begin(), cut.more.end());
        EXPECT_EQ(EntriesOf(file), entries) << cut.end;
        EXPECT_EQ(file.GetSkippedCount(), cut.skipped) << cut.end;
    }
    for (const std::string& other : {std::string("<html><a href=\"https://x/%s\" shortcuturl=\"k\">k</a>"),
                                     std::string("Windows Registry Editor Version 5.00\r\n"), std::string()}) {
        EXPECT_FALSE(file.Parse(other)) << other;
        EXPECT_EQ(file.GetEntries().size(), 3u);  // what was read before stays
    }
}

// Files made to mislead: a link is read where a browser would show one, and
// as it is written; a keyword no one can type before a query is counted
// out.
TEST(BookmarksFile, ReadsOnlyTheLinksABrowserWouldShow)
{
    const std::string head = "\xEF\xBB\xBF<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    const std::string link = "<DT><A HREF=\"https://x/?q=%s\" SHORTCUTURL=\"k\">k</A>\n";
    const Entries k = {{"k", "https://x/?q=%s"}};
    const struct {
        std::string body;
        Entries entries;
        int skipped;
    } cases[] = {
        {"<!-- " + link + " -->", {}, 0},
        {"<!-->" + link, k, 0},  // a comment that ends where it starts
        {"<H3 TITLE=\"" + link + "\">folder</H3>", {}, 0},
        {"<H3 TITLE=\"" + link, {}, 0},  // the value never ends
        {"<TITLE>" + link + "</TITLE><XMP>" + link + "</XMP>" + link, k, 0},
        {"</ <A HREF=\"https://e/?q=%s\" SHORTCUTURL=\"e\"><!-- --!>" + link, k, 0},
        {"1 < 2, 3<4 " + link, k, 0},
        {"<DT><A HREF=\"https://a/?q=%s\" SHORTCUTURL=\"a\">no end\n" + link, {{"a", "https://a/?q=%s"}, k[0]}, 0},
        {"<DT><A HREF=\"https://x/?q=%s&#+65;&# 66;&&&amp;&#x41;&#0000000066;&AMP;&#128&#X43\" SHORTCUTURL=n>",
         {{"n", "https://x/?q=%s&#+65;&# 66;&&&AB&\x80" "C"}}, 0},
        {"<DT><A HREF=\"https://x/?q=%s&#x0x41;\" SHORTCUTURL=\"z\">", {}, 1},  // U+FFFD, then x41;
        {"<DT><A HREF=\"https://x/?q=%s\" SHORTCUTURL=\"tab&#9;bed\">", {}, 1},
    };
    CBookmarksFile file;
    for (const auto& c : cases) {
        ASSERT_TRUE(file.Parse(head + c.body)) << c.body;
        EXPECT_EQ(EntriesOf(file), c.entries) << c.body;
        EXPECT_EQ(file.GetSkippedCount(), c.skipped) << c.body;
    }
    // The start that tells a bookmarks file ends inside a character.
    const std::string split = head + "<!-- " + std::string(1023 - head.size() - 5, 'x') + "\xC3\xA9 -->" + link;
    ASSERT_EQ(split.substr(1023, 2), "\xC3\xA9");
    EXPECT_TRUE(file.Parse(split));
    EXPECT_EQ(EntriesOf(file), k);
}
