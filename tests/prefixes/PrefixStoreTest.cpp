#include "prefixes/PrefixListCtrl.h"
#include "prefixes/SearchUrlCatalog.h"

#include "tests/prefixes/MessageRecorder.h"
#include "tests/support/ListViewHost.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kSearchUrl = kSearchUrlPath;
const char kReadFailed[] = "Could not read from the registry.";
const char kDeleteFailed[] = "Could not delete in the registry.";
const char kAddFailed[] = "Could not add keys to the registry.";

using Rows = std::vector<std::pair<std::string, std::string>>;

void StoreNumberAsUrl(const std::string& name)
{
    CreateTestKey(PrefixPath(name).c_str());
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, PrefixPath(name).c_str(), 0, KEY_ALL_ACCESS, &key);
    DWORD number = 42;
    ::RegSetValueExA(key, "", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    ::RegCloseKey(key);
}

class PrefixStore : public RegistryTest {
protected:
    PrefixStore()
    {
        m_table.Attach(m_host.List());
        m_table.InitColumns();
    }
    ~PrefixStore() override { m_table.Detach(); }

    static void StorePrefix(const std::string& name, const char* url)
    {
        CreateTestKey(PrefixPath(name).c_str(), url);
    }

    Rows TableRows() const
    {
        Rows rows;
        for (int item = 0; item < m_table.GetItemCount(); ++item)
            rows.emplace_back(static_cast<const char*>(m_table.GetItemText(item, 0)),
                              static_cast<const char*>(m_table.GetItemText(item, 1)));
        return rows;
    }

    // The key holds the table, each prefix with exactly its five values,
    // and besides them only `others`.
    void ExpectKeyHoldsTheTable(const std::vector<std::string>& others = {}) const
    {
        auto stored = StoredPrefixes();
        for (const auto& row : TableRows()) {
            auto entry = stored.find(row.first);
            ASSERT_NE(entry, stored.end()) << row.first;
            EXPECT_EQ(entry->second.url, row.second) << row.first;
            EXPECT_TRUE(entry->second.hasTheFiveValues) << row.first;
            stored.erase(entry);
        }
        for (const std::string& other : others)
            EXPECT_EQ(stored.erase(other), 1u) << other;
        EXPECT_TRUE(stored.empty()) << stored.begin()->first;
    }

    ListViewHost m_host;
    CPrefixListCtrl m_table;
    MessageRecorder m_messages;
};

} // namespace

TEST_F(PrefixStore, AnEmptyKeyLoadsCleanlyAndTakesTheDefaults)
{
    CreateTestKey(kSearchUrl);
    m_table.LoadPrefixes();
    EXPECT_TRUE(m_table.WasLoadClean());
    EXPECT_EQ(m_table.GetItemCount(), 0);

    m_table.AddDefaultPrefixes();
    EXPECT_TRUE(m_table.IsModified());
    CSearchUrlCatalog catalog;
    EXPECT_EQ(TableRows(),
              (Rows{{"ALBUM", std::string(catalog.Lookup("Music: All Music Guide - Album"))},
                    {"ARTIST", std::string(catalog.Lookup("Music: All Music Guide - Artist"))},
                    {"GOOGLE", std::string(catalog.Lookup("Web Search: Google"))},
                    {"IMAGE", std::string(catalog.Lookup("Images: Google Images"))},
                    {"MOVIE", std::string(catalog.Lookup("Movies: Internet Movie Database"))},
                    {"NEWS", std::string(catalog.Lookup("News: Google - News"))},
                    {"USENET", std::string(catalog.Lookup("Usenet Groups: Google - Groups"))}}));

    m_table.SavePrefixes();
    EXPECT_FALSE(m_table.IsModified());
    ExpectKeyHoldsTheTable();
    EXPECT_TRUE(MessageRecorder::Messages().empty());
}

TEST_F(PrefixStore, AMissingKeyIsReportedAndNeverCreated)
{
    m_table.LoadPrefixes();
    ASSERT_EQ(MessageRecorder::Messages().size(), 1u);
    const MessageRecorder::Message& message = MessageRecorder::Messages()[0];
    EXPECT_EQ(message.text, kReadFailed);
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.style, UINT(MB_OK | MB_ICONHAND));
    EXPECT_EQ(message.owner, m_host.List());
    EXPECT_FALSE(m_table.WasLoadClean());

    m_table.AddDefaultPrefixes();
    m_table.SavePrefixes();
    EXPECT_EQ(MessageRecorder::Texts(),
              (std::vector<std::string>{kReadFailed, kDeleteFailed, kAddFailed}));
    EXPECT_FALSE(TestKeyExists(kSearchUrl));
    EXPECT_EQ(m_table.GetItemCount(), 7);
    EXPECT_TRUE(m_table.IsModified());
}

TEST_F(PrefixStore, NamesAreUpperCasedAndTextsKeptAsStored)
{
    StorePrefix("google", "http://www.google.com/search?q=%s");
    StorePrefix("EMPTY", "");
    CreateTestKey(PrefixPath("PATH").c_str());
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, PrefixPath("PATH").c_str(), 0, KEY_ALL_ACCESS, &key);
    const char expandable[] = "http://%HOST%/?q=%s";
    ::RegSetValueExA(key, "", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expandable),
                     sizeof expandable);
    ::RegCloseKey(key);

    m_table.LoadPrefixes();
    EXPECT_TRUE(m_table.WasLoadClean());
    EXPECT_FALSE(m_table.IsModified());
    EXPECT_TRUE(MessageRecorder::Messages().empty());
    EXPECT_EQ(TableRows(), (Rows{{"GOOGLE", "http://www.google.com/search?q=%s"},
                                 {"PATH", expandable}}));

    m_table.SavePrefixes();
    ExpectKeyHoldsTheTable();  // no "google", no "EMPTY"; PATH as REG_SZ
}

TEST_F(PrefixStore, RowsAreWrittenInTableOrderWithTheValuesInTheirOrder)
{
    CreateTestKey(kSearchUrl);
    m_table.LoadPrefixes();
    m_table.AddOrUpdatePrefix("NEWS", "http://n/%s");
    m_table.AddOrUpdatePrefix("ALBUM", "http://a/%s");
    RegistryCallLayer calls;
    m_table.SavePrefixes();
    EXPECT_EQ(calls.CreatedKeys(), (std::vector<std::string>{"ALBUM", "NEWS"}));
    const std::vector<std::string> oneRow = {"", " ", "%", "&", "+"};
    std::vector<std::string> twoRows = oneRow;
    twoRows.insert(twoRows.end(), oneRow.begin(), oneRow.end());
    EXPECT_EQ(calls.SetValueNames(), twoRows);
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
}

// A subkey that cannot be read is passed over, and no later save deletes
// it: it holds a prefix the user has never seen.
TEST_F(PrefixStore, UnreadableSubkeysAreSkippedAndKeptBySaves)
{
    StorePrefix("ALPHA", "http://a/%s");
    StoreNumberAsUrl("NUMBER");
    CreateTestKey(PrefixPath("NOURL").c_str());
    StoreNumberAsUrl("TAKEN");
    StorePrefix("ZULU", "http://z/%s");

    m_table.LoadPrefixes();
    EXPECT_EQ(TableRows(), (Rows{{"ALPHA", "http://a/%s"}, {"ZULU", "http://z/%s"}}));
    EXPECT_EQ(MessageRecorder::Texts(), (std::vector<std::string>{kReadFailed}));
    EXPECT_FALSE(m_table.WasLoadClean());
    EXPECT_TRUE(m_table.IsModified());  // a failed load does not clear it

    m_table.RemovePrefix("ALPHA");
    m_table.AddOrUpdatePrefix("taken", "http://t/%s");  // the user's row wins
    m_table.SavePrefixes();
    EXPECT_EQ(MessageRecorder::Messages().size(), 1u);
    EXPECT_FALSE(m_table.IsModified());
    ExpectKeyHoldsTheTable({"NUMBER", "NOURL"});
    EXPECT_EQ(StoredPrefixes()["NUMBER"].urlType, DWORD(REG_DWORD));

    m_table.SavePrefixes();  // and again on every later save
    ExpectKeyHoldsTheTable({"NUMBER", "NOURL"});
}

TEST_F(PrefixStore, AFailedEnumerationProtectsEverySubkeyNotRead)
{
    for (const char* name : {"A", "B", "C"})
        StorePrefix(name, "http://x/%s");
    {
        RegistryCallLayer calls;
        calls.FailNthCallTo("RegEnumKeyExA", 2, ERROR_ACCESS_DENIED);
        m_table.LoadPrefixes();
    }
    EXPECT_EQ(TableRows(), (Rows{{"A", "http://x/%s"}}));
    EXPECT_EQ(MessageRecorder::Texts(), (std::vector<std::string>{kReadFailed}));

    m_table.SavePrefixes();
    ExpectKeyHoldsTheTable({"B", "C"});
    EXPECT_FALSE(StoredPrefixes()["B"].hasTheFiveValues);  // untouched
}

TEST_F(PrefixStore, ARowThatCannotBeWrittenDoesNotStopTheOthers)
{
    CreateTestKey(kSearchUrl);
    m_table.LoadPrefixes();
    for (const char* prefix : {"A", "B", "C"})
        m_table.AddOrUpdatePrefix(prefix, "http://x/%s");
    {
        RegistryCallLayer calls;
        calls.FailNthCallTo("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED);
        m_table.SavePrefixes();
    }
    EXPECT_EQ(MessageRecorder::Texts(), (std::vector<std::string>{kAddFailed}));
    EXPECT_TRUE(m_table.IsModified());
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.count("A"), 0u);
    EXPECT_TRUE(stored["B"].hasTheFiveValues);
    EXPECT_TRUE(stored["C"].hasTheFiveValues);
}

TEST_F(PrefixStore, ASubkeyThatCannotBeDeletedDoesNotStopTheOthersAndKeepsTheFlag)
{
    for (const char* name : {"A", "B", "C"})
        StorePrefix(name, "http://old/%s");
    m_table.LoadPrefixes();
    m_table.RemovePrefix("A");
    m_table.RemovePrefix("B");
    {
        RegistryCallLayer calls;
        calls.FailNthCallTo("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED);
        m_table.SavePrefixes();
    }
    EXPECT_EQ(MessageRecorder::Texts(), (std::vector<std::string>{kDeleteFailed}));
    EXPECT_TRUE(m_table.IsModified());
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.count("A"), 1u);  // the one that failed
    EXPECT_EQ(stored.count("B"), 0u);
    EXPECT_TRUE(stored["C"].hasTheFiveValues);
}

namespace {

// Fails every registry call of an operation in turn, with two codes.
template <typename Prepare, typename Run, typename Check>
unsigned SweepFaults(Prepare prepare, Run run, Check check)
{
    unsigned positions = 0;
    for (LONG code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}) {
        for (unsigned failAt = 1;; ++failAt) {
            prepare();
            MessageRecorder::Messages().clear();
            RegistryCallLayer calls;
            calls.FailCall(failAt, code);
            run();
            if (failAt > calls.CallCount())
                break;  // the run made fewer calls: every one has failed once
            ++positions;
            EXPECT_EQ(calls.OpenHandleCount(), 0u) << "call " << failAt << " code " << code;
            EXPECT_EQ(calls.RepeatedCloseCount(), 0u) << "call " << failAt;
            check(failAt, code);
        }
    }
    return positions;
}

void ExpectShownAtMostOnce(const std::string& text, unsigned failAt)
{
    std::vector<std::string> texts = MessageRecorder::Texts();
    EXPECT_LE(std::count(texts.begin(), texts.end(), text), 1) << text << " at call " << failAt;
}

} // namespace

TEST_F(PrefixStore, EveryFailingCallOfALoadIsSurvived)
{
    const Rows original = {{"ALBUM", "http://a/%s"}, {"GOOGLE", "http://g/%s"},
                           {"MOVIE", "http://m/%s"}, {"NEWS", "http://n/%s"}};
    auto prepare = [&] {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
        for (const auto& row : original)
            StorePrefix(row.first, row.second.c_str());
    };
    std::vector<std::unique_ptr<ListViewHost>> hosts;
    std::unique_ptr<CPrefixListCtrl> table;
    auto run = [&] {
        hosts.push_back(std::make_unique<ListViewHost>());
        table = std::make_unique<CPrefixListCtrl>();
        table->Attach(hosts.back()->List());
        table->InitColumns();
        table->LoadPrefixes();
    };
    auto check = [&](unsigned failAt, LONG) {
        std::vector<std::string> texts = MessageRecorder::Texts();
        EXPECT_LE(texts.size(), 1u) << "call " << failAt;
        bool failed = !texts.empty();
        if (failed) {
            EXPECT_EQ(texts[0], kReadFailed);
        }
        EXPECT_EQ(table->WasLoadClean(), !failed) << "call " << failAt;
        EXPECT_EQ(table->IsModified(), failed && table->GetItemCount() > 0) << "call " << failAt;

        // A save after it leaves every prefix the load did not show as it was.
        table->SavePrefixes();
        auto stored = StoredPrefixes();
        for (const auto& row : original) {
            EXPECT_EQ(stored[row.first].url, row.second) << row.first << " call " << failAt;
            bool shown = table->FindPrefix(row.first.c_str()) != -1;
            EXPECT_EQ(stored[row.first].hasTheFiveValues, shown) << row.first << " call " << failAt;
        }
        table->Detach();
    };
    unsigned positions = SweepFaults(prepare, run, check);
    std::printf("load: %u failure positions tried\n", positions);
    EXPECT_GT(positions, 30u);
}

TEST_F(PrefixStore, EveryFailingCallOfASaveIsSurvived)
{
    auto prepare = [&] {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
        for (const char* name : {"ALBUM", "google", "MOVIE", "NEWS"})
            StorePrefix(name, "http://old/%s");
        StoreNumberAsUrl("UNREAD");
    };
    prepare();
    m_table.LoadPrefixes();
    m_table.RemovePrefix("ALBUM");
    m_table.AddOrUpdatePrefix("MOVIE", "http://new/%s");
    m_table.AddOrUpdatePrefix("IMAGE", "http://i/%s");
    m_table.AddOrUpdatePrefix("USENET", "http://u/%s");
    const Rows table = TableRows();

    auto run = [&] {
        m_table.AddOrUpdatePrefix("MOVIE", "http://new/%s");  // the flag is set before each save
        m_table.SavePrefixes();
    };
    auto check = [&](unsigned failAt, LONG) {
        ExpectShownAtMostOnce(kDeleteFailed, failAt);
        ExpectShownAtMostOnce(kAddFailed, failAt);
        EXPECT_LE(MessageRecorder::Messages().size(), 2u);
        EXPECT_EQ(m_table.IsModified(), !MessageRecorder::Messages().empty()) << "call " << failAt;
        EXPECT_EQ(TableRows(), table) << "call " << failAt;
        EXPECT_EQ(StoredPrefixes()["UNREAD"].urlType, DWORD(REG_DWORD)) << "call " << failAt;

        m_table.SavePrefixes();
        ExpectKeyHoldsTheTable({"UNREAD"});
    };
    unsigned positions = SweepFaults(prepare, run, check);
    std::printf("save: %u failure positions tried\n", positions);
    EXPECT_GT(positions, 60u);
}
