#include "prefixes/SearchUrlCatalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Labels(CSearchUrlCatalog& catalog)
{
    std::vector<std::string> labels;
    catalog.Reset();
    while (catalog.HasNext())
        labels.push_back(static_cast<const char*>(catalog.Next()));
    return labels;
}

} // namespace

TEST(SearchUrlCatalog, OffersSeventeenServicesInOrder)
{
    CSearchUrlCatalog catalog;
    const std::vector<std::string> expected = {
        "Web Search: Google", "Web Search: AllTheWeb", "Web Search: MSN",
        "Web Directory: Google - Directory", "Web Directory: Yahoo",
        "Usenet Groups: Google - Groups", "News: AllTheWeb News", "News: Google - News",
        "Words: Dictionary.com", "Words: Merriam-Webster - Dictionary",
        "Words: Merriam-Webster - Thesaurus", "Images: AllTheWeb Pictures",
        "Images: Google Images", "Movies: Internet Movie Database", "Movies: All Movie Guide",
        "Music: All Music Guide - Artist", "Music: All Music Guide - Album"};
    EXPECT_EQ(Labels(catalog), expected);

    EXPECT_FALSE(catalog.HasNext());
    EXPECT_EQ(catalog.Next(), "");
    EXPECT_FALSE(catalog.HasNext());
    catalog.Reset();
    EXPECT_EQ(catalog.Next(), "Web Search: Google");
}

TEST(SearchUrlCatalog, LooksUpLabelsExactly)
{
    CSearchUrlCatalog catalog;
    EXPECT_EQ(catalog.Lookup("Web Search: Google"), "http://www.google.com/search?q=%s");
    EXPECT_EQ(catalog.Lookup("Web Directory: Google - Directory"),
              "http://directory.google.com/search?cat=gwd%2FTop&q=%s");
    EXPECT_EQ(catalog.Lookup("Music: All Music Guide - Album"),
              "http://www.allmusic.com/cg/amg.dll?p=amg&opt1=2&sql=%s");
    EXPECT_EQ(catalog.Lookup("web search: google"), "");
    EXPECT_EQ(catalog.Lookup("http://www.google.com/search?q=%s"), "");
    EXPECT_EQ(catalog.Lookup(""), "");
}

TEST(SearchUrlCatalog, AddKeepsTheFirstRowOfALabelAndSkipsEmptyRows)
{
    CSearchUrlCatalog catalog;
    catalog.Add("Web Search: Google", "http://elsewhere/%s");
    catalog.Add("", "http://elsewhere/%s");
    catalog.Add("Empty URL", "");
    catalog.Add("Mine", "http://mine/%s");
    EXPECT_EQ(catalog.Lookup("Web Search: Google"), "http://www.google.com/search?q=%s");
    std::vector<std::string> labels = Labels(catalog);
    ASSERT_EQ(labels.size(), 18u);
    EXPECT_EQ(labels.back(), "Mine");
}
