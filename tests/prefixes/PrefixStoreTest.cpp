#include "prefixes/PrefixListCtrl.h"
#include "prefixes/SearchUrlCatalog.h"

#include "tests/support/MessageRecorder.h"
#include "tests/support/ListViewHost.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
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
const char kSkippedIntro[] = "\n\nThese prefixes could not be shown and are kept as they are: ";

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

    // As UTF-8, like what StoredPrefixes reads.
    static Rows TableRows(const CPrefixListCtrl& table)
    {
        Rows rows;
        for (int item = 0; item < table.GetItemCount(); ++item)
            rows.emplace_back(Utf8FromProcessCodePage(table.GetItemText(item, 0)),
                              Utf8FromProcessCodePage(table.GetItemText(item, 1)));
        return rows;
    }
    Rows TableRows() const { return TableRows(m_table); }

    // A loaded table in a list view of its own, for tests that need several.
    CPrefixListCtrl& LoadFreshTable()
    {
        m_hosts.push_back(std::make_unique<ListViewHost>());
        m_tables.push_back(std::make_unique<CPrefixListCtrl>());
        m_tables.back()->Attach(m_hosts.back()->List());
        m_tables.back()->InitColumns();
        m_tables.back()->LoadPrefixes();
        return *m_tables.back();
    }

    // The key holds the table and besides it only `others`: each row in a
    // subkey of its name in any letter case, either as the test stored it
    // (one value) or written whole (the five values).
    void ExpectKeyHoldsTheTable(const std::vector<std::string>& others = {}) const
    {
        ExpectKeyHolds(m_table, others);
    }
    static void ExpectKeyHolds(const CPrefixListCtrl& table, const std::vector<std::string>& others)
    {
        auto stored = StoredPrefixes();
        for (const auto& row : TableRows(table)) {
            auto entry = std::find_if(stored.begin(), stored.end(), [&](const auto& subkey) {
                return SameKeyName(subkey.first, row.first);
            });
            ASSERT_NE(entry, stored.end()) << row.first;
            EXPECT_EQ(entry->second.url, row.second) << row.first;
            EXPECT_TRUE(entry->second.hasTheFiveValues || entry->second.valueCount == 1) << row.first;
            stored.erase(entry);
        }
        for (const std::string& other : others)
            EXPECT_EQ(stored.erase(other), 1u) << other;
        EXPECT_TRUE(stored.empty()) << stored.begin()->first;
    }

    ListViewHost m_host;
    CPrefixListCtrl m_table;
    MessageRecorder m_messages;
    std::vector<std::unique_ptr<ListViewHost>> m_hosts;
    std::vector<std::unique_ptr<CPrefixListCtrl>> m_tables;
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
    EXPECT_EQ(MessageRecorder::Texts(), (std::vector<std::string>{kReadFailed, kAddFailed}));
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

    // A row given the text it has is no edit: the save makes no call.
    m_table.AddOrUpdatePrefix("GOOGLE", "http://www.google.com/search?q=%s");
    {
        RegistryCallLayer calls;
        EXPECT_TRUE(m_table.SavePrefixes());
        EXPECT_EQ(calls.CallCount(), 0u);
    }
    EXPECT_FALSE(m_table.IsModified());

    // An edited row goes into its subkey as spelled there; the rest stay.
    m_table.AddOrUpdatePrefix("GOOGLE", "http://g/%s");
    m_table.SavePrefixes();
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.count("GOOGLE"), 0u);
    EXPECT_TRUE(stored["google"].hasTheFiveValues);
    EXPECT_EQ(stored["PATH"].urlType, DWORD(REG_EXPAND_SZ));
    ExpectKeyHoldsTheTable({"EMPTY"});  // EMPTY never shown
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

// A save writes the user's edits and nothing else: one of each kind costs
// as many registry calls over 3,000 prefixes as over 10.
TEST_F(PrefixStore, ASaveCostsWhatItsEditsCostWhateverTheKeyHolds)
{
    std::vector<unsigned> calls;
    for (int count : {10, 3000}) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
        for (int i = 0; i < count; ++i)
            StorePrefix("P" + std::to_string(i), "http://x/%s");
        CPrefixListCtrl& table = LoadFreshTable();
        table.AddOrUpdatePrefix("P5", "http://changed/%s");  // the rest stay as stored
        table.RenamePrefix(table.FindPrefix("P6"), "SIX");
        table.RemovePrefix("P7");
        table.AddOrUpdatePrefix("NEW", "http://new/%s");
        RegistryCallLayer layer;
        EXPECT_TRUE(table.SavePrefixes());
        calls.push_back(layer.CallCount());
    }
    EXPECT_EQ(calls[0], calls[1]);
    ExpectKeyHolds(*m_tables.back(), {});  // SIX and NEW whole, P6 and P7 gone
}

// A subkey that cannot be read is passed over and named (ten names, then a
// count), and no save deletes it or writes a row over it: it holds a prefix
// the user has never seen.
TEST_F(PrefixStore, UnreadableSubkeysAreSkippedNamedAndNeverWrittenOver)
{
    std::vector<std::string> unread = {"NOURL", "NUMBER", "TAKEN"};
    for (int i = 1; i <= 9; ++i)
        unread.push_back("N0" + std::to_string(i));
    for (const std::string& name : unread) {
        if (name == "NUMBER" || name == "TAKEN")
            StoreNumberAsUrl(name);
        else
            CreateTestKey(PrefixPath(name).c_str());  // no URL at all
    }
    StorePrefix("ALPHA", "http://a/%s");
    StorePrefix("ZULU", "http://z/%s");

    m_table.LoadPrefixes();
    EXPECT_EQ(TableRows(), (Rows{{"ALPHA", "http://a/%s"}, {"ZULU", "http://z/%s"}}));
    EXPECT_EQ(MessageRecorder::Texts(),
              (std::vector<std::string>{std::string(kReadFailed) + kSkippedIntro +
                                        "N01, N02, N03, N04, N05, N06, N07, N08, N09, NOURL"
                                        " and 2 more"}));
    EXPECT_FALSE(m_table.WasLoadClean());
    EXPECT_FALSE(m_table.IsModified());  // the walk ran to its end

    m_table.RemovePrefix("ALPHA");
    m_table.AddOrUpdatePrefix("taken", "http://t/%s");
    EXPECT_FALSE(m_table.SavePrefixes());
    EXPECT_EQ(MessageRecorder::Texts().back(), std::string(kAddFailed) + kSkippedIntro + "TAKEN");
    EXPECT_TRUE(m_table.IsModified());
    EXPECT_EQ(StoredPrefixes()["TAKEN"].urlType, DWORD(REG_DWORD));

    m_table.RemovePrefix("TAKEN");
    EXPECT_TRUE(m_table.SavePrefixes());  // and on every later save
    ExpectKeyHoldsTheTable(unread);       // ALPHA gone
    EXPECT_EQ(StoredPrefixes()["NUMBER"].urlType, DWORD(REG_DWORD));
}

// A name or URL the process code page cannot hold would be altered by a
// save, so its subkey is passed over like an unreadable one. Detected, not
// guessed: a name with a real question mark loads.
TEST_F(PrefixStore, TextsTheCodePageCannotHoldAreKeptAsStored)
{
    ASSERT_EQ(::GetACP(), 1252u) << "this test is about a Western code page";
    const std::map<std::string, std::string> kept = {
        {"RF", "http://пример.рф/?q=%s"},
        {"ПОИСК", "http://x/%s"},
        {"ĀBC", "http://abc/%s"},  // the code page's best fit would be ABC
    };
    for (const auto& prefix : kept)
        StorePrefix(prefix.first, prefix.second.c_str());
    StorePrefix("ABC", "http://real-abc/%s");  // what ĀBC's narrow name would open
    StorePrefix("café", "http://café.fr/?q=%s");
    StorePrefix("WHAT?", "http://w/?q=%s&x=?");
    // Left by another program; their names are not in 1252 either.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath("WHAT?")).c_str(), L"\u03A9", REG_SZ,
                      L"x", 4);
    CreateTestKey((PrefixPath("WHAT?") + "\\Ж").c_str());

    m_table.LoadPrefixes();
    EXPECT_EQ(TableRows(), (Rows{{"ABC", "http://real-abc/%s"},
                                 {"CAFÉ", "http://café.fr/?q=%s"},
                                 {"WHAT?", "http://w/?q=%s&x=?"}}));
    EXPECT_EQ(MessageRecorder::Texts(),
              (std::vector<std::string>{std::string(kReadFailed) + kSkippedIntro + "RF, ABC, ?????"}));

    m_table.AddOrUpdatePrefix("abc", "http://new/%s");
    m_table.AddOrUpdatePrefix("what?", "http://w/?q=%s&x=!");  // written whole, strays gone
    m_table.SavePrefixes();
    ExpectKeyHoldsTheTable({"RF", "ПОИСК", "ĀBC"});
    auto stored = StoredPrefixes();
    for (const auto& prefix : kept) {
        EXPECT_EQ(stored[prefix.first].url, prefix.second);
        EXPECT_EQ(stored[prefix.first].valueCount, 1u) << prefix.first;
    }
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
    EXPECT_EQ(stored["C"].valueCount, 1u);  // never edited, never written
}

namespace {

const LONG kStop = 0;  // not a failure: the process dies at that call

// Puts each fault at every registry call of an operation in turn: a failure
// with a code, or a stop (kStop). `check` runs once the layer is gone.
template <typename Prepare, typename Run, typename Check>
unsigned SweepFaults(std::initializer_list<LONG> faults, Prepare prepare, Run run, Check check)
{
    unsigned positions = 0;
    for (LONG fault : faults) {
        unsigned before = positions;
        for (unsigned at = 1;; ++at) {
            prepare();
            MessageRecorder::Messages().clear();
            bool reached = false, atAClose = false;
            {
                RegistryCallLayer calls;
                if (fault == kStop)
                    calls.StopAtCall(at);
                else
                    calls.FailCall(at, fault);
                try {
                    run();
                } catch (const RegistryCallLayer::Stop&) {
                }
                reached = fault == kStop ? calls.Stopped() : at <= calls.CallCount();
                // A stop asked for at a close falls on the next call, tried next anyway.
                atAClose = reached && fault == kStop && calls.Calls()[at - 1] == "RegCloseKey";
                EXPECT_EQ(calls.OpenHandleCount(), 0u) << "call " << at << " fault " << fault;
                EXPECT_EQ(calls.RepeatedCloseCount(), 0u) << "call " << at;
            }
            if (!reached)
                break;  // the run made fewer calls: every one has had its fault
            if (atAClose)
                continue;
            ++positions;
            check(at, fault);
        }
        std::printf("%s: %u calls\n", fault == kStop ? "stopped" : "failed", positions - before);
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
    CPrefixListCtrl* table = nullptr;
    auto run = [&] { table = &LoadFreshTable(); };
    auto check = [&](unsigned failAt, LONG) {
        std::vector<std::string> texts = MessageRecorder::Texts();
        EXPECT_LE(texts.size(), 1u) << "call " << failAt;
        bool failed = !texts.empty();
        if (failed) {
            EXPECT_EQ(texts[0].rfind(kReadFailed, 0), 0u) << texts[0];
        }
        EXPECT_EQ(table->WasLoadClean(), !failed) << "call " << failAt;
        // One fault either passes a subkey over, which the message names, or
        // stops the walk. A walk that ran to its end clears the flag; one that
        // stopped leaves it as its rows set it.
        bool walked = !failed || texts[0].find(kSkippedIntro) != std::string::npos;
        EXPECT_EQ(table->IsModified(), !walked && table->GetItemCount() > 0) << "call " << failAt;

        // A save of every row edited leaves every prefix the load did not
        // show as it was.
        for (const auto& row : TableRows(*table))
            table->AddOrUpdatePrefix(row.first.c_str(), (row.second + "#").c_str());
        table->SavePrefixes();
        auto stored = StoredPrefixes();
        for (const auto& row : original) {
            bool shown = table->FindPrefix(row.first.c_str()) != -1;
            EXPECT_EQ(stored[row.first].url, row.second + (shown ? "#" : "")) << row.first << " call " << failAt;
            EXPECT_EQ(stored[row.first].hasTheFiveValues, shown) << row.first << " call " << failAt;
        }
    };
    unsigned positions = SweepFaults({ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}, prepare, run, check);
    std::printf("load: %u failure positions tried\n", positions);
    EXPECT_GT(positions, 30u);
}

// A used key, and a table edited over it: ALBUM removed; NEWS renamed
// HEADLINES with a new URL, then MOVIE renamed into NEWS's old name; ARTIST
// and BOOK swapped; CODE renamed ZETA and a new CODE added; IMAGE added.
// google, read in lower case, is not edited;
// NEWS carries a stray value and subkey, UNREAD and EMPTY are never shown,
// and LATE is written by another program after the load.
class InterruptedSave : public PrefixStore {
protected:
    CPrefixListCtrl& PrepareEditedTable()
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
        for (const char* name : {"ALBUM", "ARTIST", "BOOK", "CODE", "google", "MOVIE", "NEWS"})
            StorePrefix(name, (std::string("http://old/") + name).c_str());
        CreateTestKey((PrefixPath("NEWS") + "\\stray").c_str(), "below a prefix");
        ::RegSetKeyValueA(HKEY_CURRENT_USER, PrefixPath("NEWS").c_str(), "stray", REG_SZ, "x", 2);
        StoreNumberAsUrl("UNREAD");
        StorePrefix("EMPTY", "");

        CPrefixListCtrl& table = LoadFreshTable();
        table.RemovePrefix("ALBUM");
        auto rename = [&](const char* from, const char* to) {
            table.RenamePrefix(table.FindPrefix(from), to);
        };
        rename("NEWS", "HEADLINES");
        table.AddOrUpdatePrefix("HEADLINES", "http://new/NEWS");
        rename("MOVIE", "NEWS");
        rename("ARTIST", "SWAP");
        rename("BOOK", "ARTIST");
        rename("SWAP", "BOOK");
        rename("CODE", "ZETA");
        table.AddOrUpdatePrefix("CODE", "http://new/CODE");
        table.AddOrUpdatePrefix("IMAGE", "http://i/%s");
        StorePrefix("LATE", "http://late/%s");
        return table;
    }

    // Each prefix the key held and the table kept is there under its old or
    // new name (or, in a swap, the name it is set aside under) with its old or
    // new URL; what was never shown or edited is as it was.
    static void ExpectNothingLost(unsigned at, LONG fault)
    {
        struct Kept {
            std::vector<std::string> names, urls;
        };
        const Kept kept[] = {{{"MOVIE", "NEWS"}, {"http://old/MOVIE"}},
                             {{"NEWS", "HEADLINES"}, {"http://old/NEWS", "http://new/NEWS"}},
                             {{"BOOK", "ARTIST", "~ARTIST"}, {"http://old/BOOK"}},
                             {{"ARTIST", "BOOK", "~BOOK"}, {"http://old/ARTIST"}},
                             {{"CODE", "ZETA"}, {"http://old/CODE"}},
                             {{"google"}, {"http://old/google"}}};
        auto stored = StoredPrefixes();
        for (const Kept& prefix : kept) {
            bool there = false;
            for (const std::string& name : prefix.names) {
                auto entry = stored.find(name);
                there = there || (entry != stored.end() &&
                                  std::count(prefix.urls.begin(), prefix.urls.end(), entry->second.url));
            }
            EXPECT_TRUE(there) << prefix.names[0] << " at call " << at << " fault " << fault;
        }
        EXPECT_EQ(stored["google"].valueCount, 1u) << "call " << at;
        EXPECT_EQ(stored["UNREAD"].urlType, DWORD(REG_DWORD)) << "call " << at;
        EXPECT_EQ(stored.count("EMPTY"), 1u) << "call " << at;
        EXPECT_EQ(stored["LATE"].url, "http://late/%s") << "call " << at;
        EXPECT_EQ(stored["LATE"].valueCount, 1u) << "call " << at;
    }
};

TEST_F(InterruptedSave, EveryStoppedOrFailingCallOfASaveLosesNothing)
{
    CPrefixListCtrl* table = nullptr;
    Rows rows;
    auto prepare = [&] {
        table = &PrepareEditedTable();
        rows = TableRows(*table);
    };
    auto run = [&] { table->SavePrefixes(); };
    auto check = [&](unsigned at, LONG fault) {
        ExpectNothingLost(at, fault);
        EXPECT_EQ(TableRows(*table), rows) << "call " << at;
        if (fault == kStop)
            return;  // the process is gone
        ExpectShownAtMostOnce(kDeleteFailed, at);
        ExpectShownAtMostOnce(kAddFailed, at);
        EXPECT_EQ(table->IsModified(), !MessageRecorder::Messages().empty()) << "call " << at;

        table->SavePrefixes();  // a retry completes the work
        ExpectKeyHolds(*table, {"UNREAD", "EMPTY", "LATE"});
        EXPECT_FALSE(table->IsModified()) << "call " << at;
    };
    unsigned positions =
        SweepFaults({kStop, ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}, prepare, run, check);
    std::printf("save: %u stop and failure positions tried\n", positions);
    EXPECT_GT(positions, 100u);

    // What a save wrote, a later one may delete again, although the load
    // passed over UNREAD.
    prepare();
    table->SavePrefixes();
    ExpectKeyHolds(*table, {"UNREAD", "EMPTY", "LATE"});
    table->RemovePrefix("GOOGLE");
    table->RemovePrefix("IMAGE");
    EXPECT_TRUE(table->SavePrefixes());
    ExpectKeyHolds(*table, {"UNREAD", "EMPTY", "LATE"});
}
