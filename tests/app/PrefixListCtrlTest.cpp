#include "app/PrefixListCtrl.h"

#include "tests/support/ListViewHost.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// The table, with a way to clear its flag between steps of a test.
class TestTable : public CPrefixListCtrl {
public:
    void ClearModified() { m_bModified = false; }
};

class PrefixTable : public ::testing::Test {
protected:
    PrefixTable()
    {
        m_table.Attach(m_host.List());
        m_table.InitColumns();
    }
    ~PrefixTable() override { m_table.Detach(); }

    std::vector<std::string> Prefixes() const
    {
        std::vector<std::string> prefixes;
        for (int item = 0; item < m_table.GetItemCount(); ++item)
            prefixes.push_back(static_cast<const char*>(m_table.GetRow(item).prefix));
        return prefixes;
    }

    void Select(int item) { m_table.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED); }

    // MOVIE and NEWS, MOVIE selected; flag and notifications forgotten.
    void MovieSelectedBesideNews()
    {
        m_table.AddOrUpdatePrefix("MOVIE", "http://m/%s");
        m_table.AddOrUpdatePrefix("NEWS", "http://n/%s");
        Select(0);
        m_table.ClearModified();
        m_host.ForgetNotifications();
    }

    bool IsSelected(int item) const
    {
        return (m_table.SendMessage(LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    }

    ListViewHost m_host;
    TestTable m_table;
};

using Strings = std::vector<std::string>;

} // namespace

// The widths are checked by what they show, in the dialog at every DPI.
TEST_F(PrefixTable, InitColumnsMakesTwoColumnsAndKeepsEarlierExtendedStyles)
{
    ListViewHost fresh;
    CPrefixListCtrl table;
    table.Attach(fresh.List());
    table.SetExtendedStyle(LVS_EX_GRIDLINES);
    table.InitColumns();

    EXPECT_EQ(table.GetExtendedStyle(), DWORD(LVS_EX_GRIDLINES | 0x4020));
    HWND header = reinterpret_cast<HWND>(table.SendMessage(LVM_GETHEADER));
    EXPECT_EQ(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    const char* headings[] = {"Prefix", "URL"};
    for (int column = 0; column < 2; ++column) {
        char text[32] = {};
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT | LVCF_FMT;
        info.pszText = text;
        info.cchTextMax = sizeof text;
        ASSERT_TRUE(table.SendMessage(LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info)));
        EXPECT_STREQ(text, headings[column]);
        EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_FALSE(table.IsModified());
    table.Detach();
}

// Rows are upper-cased and sorted, not selected; a prefix there has its URL
// replaced, and the flag is set even by the same URL.
TEST_F(PrefixTable, AddingUpperCasesSortsAndUpdates)
{
    m_table.AddOrUpdatePrefix("news", "http://n/%s");
    m_table.AddOrUpdatePrefix("Album", "http://a/%s");
    m_table.AddOrUpdatePrefix("MOVIE", "http://m/%s");
    EXPECT_EQ(m_table.GetSelectedCount(), 0);
    m_table.ClearModified();
    m_table.AddOrUpdatePrefix("album", "http://two/%s");
    EXPECT_EQ(Prefixes(), (Strings{"ALBUM", "MOVIE", "NEWS"}));
    EXPECT_EQ(m_table.GetRow(2).url, "http://n/%s");
    EXPECT_EQ(m_table.GetUrl("ALBUM"), "http://two/%s");
    EXPECT_TRUE(m_table.IsModified());

    m_table.ClearModified();
    m_table.AddOrUpdatePrefix("ALBUM", "http://two/%s");
    EXPECT_TRUE(m_table.IsModified());
}

// The rules' refusals reach the table: nothing changes, the flag neither.
TEST_F(PrefixTable, WhatTheRulesRefuseChangesNothing)
{
    m_table.AddOrUpdatePrefix("GOOGLE", "http://one/%s");
    m_table.ClearModified();
    m_table.AddOrUpdatePrefix("GOOGLE", "");
    for (const char* refused : {"", "A\\B", "TWO WORDS"})
        m_table.AddOrUpdatePrefix(refused, "http://x/%s");
    m_table.AddOrUpdatePrefix(nullptr, "http://x/%s");
    EXPECT_EQ(Prefixes(), (Strings{"GOOGLE"}));
    EXPECT_EQ(m_table.GetUrl("GOOGLE"), "http://one/%s");
    EXPECT_FALSE(m_table.IsModified());
}

TEST_F(PrefixTable, LookupsAreExactButRemovalUpperCases)
{
    m_table.AddOrUpdatePrefix("GOOGLE", "http://g/%s");
    EXPECT_EQ(m_table.FindPrefix("google"), -1);
    EXPECT_EQ(m_table.GetUrl("google"), "");
    EXPECT_EQ(m_table.FindPrefix("GOOGLE"), 0);

    m_table.ClearModified();
    m_table.RemovePrefix("absent");
    EXPECT_FALSE(m_table.IsModified());
    m_table.RemovePrefix("google");
    EXPECT_EQ(m_table.GetItemCount(), 0);
    EXPECT_TRUE(m_table.IsModified());
}

TEST_F(PrefixTable, TextsOfAnyLengthComeBackWhole)
{
    std::string url = "http://example.org/?q=%s&pad=" + std::string(3000, 'x');
    m_table.AddOrUpdatePrefix("LONG", url.c_str());
    EXPECT_EQ(std::string(m_table.GetUrl("LONG")), url);
}

TEST_F(PrefixTable, RenamingKeepsTheUrlAndReselectsTheRow)
{
    MovieSelectedBesideNews();

    m_table.RenamePrefix(0, "film");
    EXPECT_EQ(Prefixes(), (Strings{"FILM", "NEWS"}));  // renamed in place, not moved
    EXPECT_EQ(m_table.GetUrl("FILM"), "http://m/%s");
    EXPECT_TRUE(IsSelected(0));
    EXPECT_TRUE(m_table.IsModified());

    const auto& changes = m_host.StateChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].item, 0);
    EXPECT_NE(changes[0].oldState & LVIS_SELECTED, 0u);
    EXPECT_EQ(changes[0].newState & LVIS_SELECTED, 0u);
    EXPECT_EQ(changes[1].item, 0);
    EXPECT_NE(changes[1].newState & LVIS_SELECTED, 0u);
}

TEST_F(PrefixTable, RefusedRenamesChangeNothingAndNotifyNothing)
{
    MovieSelectedBesideNews();

    for (const char* refused : {"news", "movie", "", "a\\b", "two words"})
        m_table.RenamePrefix(0, refused);
    m_table.RenamePrefix(5, "OTHER");
    m_table.RenamePrefix(-1, "OTHER");

    EXPECT_EQ(Prefixes(), (Strings{"MOVIE", "NEWS"}));
    EXPECT_TRUE(m_host.StateChanges().empty());
    EXPECT_FALSE(m_table.IsModified());
}
