#include "prefixes/SearchQuery.h"

#include "registry/ProcessCodePage.h"

#include <gtest/gtest.h>

#include <utility>

TEST(SearchQuery, ExpandsAsTheBrowserAndOpensOnlyWebAddresses)
{
    const std::pair<const char*, const char*> expansions[] = {
        {"http://x/?q=%s", "http://x/?q=quillory+test"},
        {"https://x/%s/%s", "https://x/quillory+test/quillory+test"},
        {"http://x/", "http://x/"},
        {"http://x/?q=%S&%", "http://x/?q=%S&%"},
    };
    for (const auto& expansion : expansions)
        EXPECT_STREQ(CSearchQuery::Expand(expansion.first, "quillory test"), expansion.second);
    EXPECT_STREQ(CSearchQuery::Expand("%s", " %&+a"), "+%25%26%2Ba");

    // Narrow and wide alike.
    for (const char* web : {"http://x", "https://x/?q=%s", "HTTP://X", "Https://x"})
        EXPECT_TRUE(CSearchQuery::IsWebAddress(web) && CSearchQuery::IsWebAddress(Tessaly::Widen(web))) << web;
    for (const char* other : {"C:\\Windows\\System32\\calc.exe", "file:///C:/", "ftp://x",
                              "javascript:alert(1)", " http://x", "http:/x", "httpx://x", ""})
        EXPECT_FALSE(CSearchQuery::IsWebAddress(other) || CSearchQuery::IsWebAddress(Tessaly::Widen(other))) << other;
}
