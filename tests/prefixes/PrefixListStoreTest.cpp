// The table's store members: what a user is shown of the store's reports,
// and the modified flag; what the store itself does is tested on its own.

#include "prefixes/PrefixListCtrl.h"
#include "prefixes/SearchUrlCatalog.h"

#include "tests/support/ListViewHost.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const char kReadFailed[] = "Could not read from the registry.";
const char kDeleteFailed[] = "Could not delete in the registry.";
const char kAddFailed[] = "Could not add keys to the registry.";
const std::string kKeptIntro = "\n\nThese prefixes could not be shown and are kept as they are: ";

class PrefixListStore : public RegistryTest {
protected:
    PrefixListStore()
    {
        m_table.Attach(m_host.List());
        m_table.InitColumns();
    }
    ~PrefixListStore() override { m_table.Detach(); }

    static void Store(const std::vector<std::string>& names, const char* url = "http://x/%s")
    {
        CreateTestKey(kSearchUrlPath);
        for (const std::string& name : names)
            CreateTestKey(PrefixPath(name).c_str(), url);
    }

    ListViewHost m_host;
    CPrefixListCtrl m_table;
    MessageRecorder m_messages;
};

} // namespace

TEST_F(PrefixListStore, AnEmptyKeyLoadsCleanlyAndTakesTheDefaults)
{
    CreateTestKey(kSearchUrlPath);
    m_table.LoadPrefixes();
    EXPECT_TRUE(m_table.WasLoadClean());
    EXPECT_EQ(m_table.GetItemCount(), 0);

    m_table.AddDefaultPrefixes();
    EXPECT_TRUE(m_table.IsModified());
    CSearchUrlCatalog catalog;
    const char* const labels[] = {"Music: All Music Guide - Album", "Music: All Music Guide - Artist",
                                  "Web Search: Google", "Images: Google Images",
                                  "Movies: Internet Movie Database", "News: Google - News",
                                  "Usenet Groups: Google - Groups"};
    const Strings prefixes = {"ALBUM", "ARTIST", "GOOGLE", "IMAGE", "MOVIE", "NEWS", "USENET"};
    std::vector<PrefixRow> rows = m_table.GetRows();
    ASSERT_EQ(rows.size(), prefixes.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::string(rows[i].prefix), prefixes[i]);
        EXPECT_EQ(rows[i].url, catalog.Lookup(labels[i])) << prefixes[i];
    }

    EXPECT_TRUE(m_table.SavePrefixes());
    EXPECT_FALSE(m_table.IsModified());
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.size(), 7u);
    for (const PrefixRow& row : rows) {
        EXPECT_EQ(stored[std::string(row.prefix)].url, std::string(row.url)) << row.prefix;
        EXPECT_TRUE(stored[std::string(row.prefix)].hasTheFiveValues) << row.prefix;
    }
    EXPECT_TRUE(MessageRecorder::Messages().empty());
}

// One message for each kind of failure, in the order of the steps, with
// the subkeys kept named (ten, then a count); the flag says whether the
// key holds the table.
TEST_F(PrefixListStore, EachKindOfFailureIsShownOnceAndTheFlagFollows)
{
    Strings unread;
    for (int i = 1; i <= 11; ++i)
        unread.push_back("N" + std::to_string(100 + i).substr(1));
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::function<void(CPrefixListCtrl&)> act;
        Strings messages;
        bool modified;
    } cases[] = {
        {"a missing key", [] {}, [](CPrefixListCtrl& table) { table.LoadPrefixes(); },
         {kReadFailed}, false},
        {"then a save there", [] {},
         [](CPrefixListCtrl& table) {
             table.LoadPrefixes();
             table.AddDefaultPrefixes();
             table.SavePrefixes();
         },
         {kReadFailed, kAddFailed}, true},
        {"subkeys passed over", [&] { Store(unread, nullptr); Store({"A"}); },
         [](CPrefixListCtrl& table) { table.LoadPrefixes(); },
         {kReadFailed + kKeptIntro + "N01, N02, N03, N04, N05, N06, N07, N08, N09, N10 and 1 more"},
         false},
        {"a walk cut short", [] { Store({"A", "B"}); },
         [](CPrefixListCtrl& table) {
             RegistryCallLayer calls;
             calls.FailNthCallTo("RegEnumKeyExA", 2, ERROR_ACCESS_DENIED);
             table.LoadPrefixes();
         },
         {kReadFailed}, true},
        {"rows over subkeys passed over, a subkey not deleted",
         [&] { Store({"N01", "N02"}, nullptr); Store({"A", "B", "C"}); },
         [](CPrefixListCtrl& table) {
             table.LoadPrefixes();
             table.AddOrUpdatePrefix("n01", "http://n/%s");
             table.AddOrUpdatePrefix("N02", "http://n/%s");
             table.AddOrUpdatePrefix("NEW", "http://n/%s");
             table.RemovePrefix("A");
             table.RemovePrefix("B");
             RegistryCallLayer calls;
             calls.FailNthCallTo("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED);
             table.SavePrefixes();
         },
         {kReadFailed + kKeptIntro + "N01, N02", kAddFailed + kKeptIntro + "N01, N02", kDeleteFailed},
         true},
    };
    for (const Case& c : cases) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrlPath);
        c.prepare();
        ListViewHost host;
        CPrefixListCtrl table;
        table.Attach(host.List());
        table.InitColumns();
        MessageRecorder::Messages().clear();
        c.act(table);
        EXPECT_EQ(MessageRecorder::Texts(), c.messages) << c.what;
        for (const MessageRecorder::Message& message : MessageRecorder::Messages()) {
            EXPECT_EQ(message.caption, "Error") << c.what;
            EXPECT_EQ(message.style, UINT(MB_OK | MB_ICONHAND)) << c.what;
            EXPECT_EQ(message.owner, host.List()) << c.what;
        }
        EXPECT_EQ(table.IsModified(), c.modified) << c.what;
        EXPECT_FALSE(table.WasLoadClean()) << c.what;
        table.Detach();
    }
    EXPECT_EQ(StoredPrefixes().count("NEW"), 1u);  // the rest of the save went on
}
