// The table's store members: what a user is shown of the store's reports,
// and the modified flag; what the store itself does is tested on its own.

#include "app/PrefixListCtrl.h"

#include "tests/support/ListViewHost.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"
#include "tests/support/UserFolders.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const char kReadFailed[] = "Could not read from the registry.";
const char kDeleteFailed[] = "Could not delete in the registry.";
const char kAddFailed[] = "Could not add keys to the registry.";
const std::string kKeptIntro = "\n\nThese prefixes could not be shown and are kept as they are: ";

void Store(const std::vector<std::string>& names, const char* url = "http://x/%s")
{
    CreateTestKey(kSearchUrlPath);
    for (const std::string& name : names)
        url != nullptr ? StorePrefix(name, url) : StoreNumberAsUrl(name);
}

// The backups a save makes go to the test's own folders.
class PrefixListStore : public RegistryTest {
    UserFolders m_folders;
};

} // namespace

// One message for each kind of failure, in the order of the steps, with
// the subkeys kept named (ten, then a count), and none without one; the
// flag says whether the key holds the table.
TEST_F(PrefixListStore, EachKindOfFailureIsShownOnceAndTheFlagFollows)
{
    MessageRecorder messages;
    Strings unread;
    for (int i = 1; i <= 11; ++i)
        unread.push_back("N" + std::to_string(100 + i).substr(1));
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::function<void(CPrefixListCtrl&)> act;
        Strings messages;
        bool modified;
        bool clean;
    } cases[] = {
        {"subkeys passed over", [&] { Store(unread, nullptr); Store({"A"}); },
         [](CPrefixListCtrl& table) { table.LoadPrefixes(); },
         {kReadFailed + kKeptIntro + "N01, N02, N03, N04, N05, N06, N07, N08, N09, N10 and 1 more"},
         false, false},
        {"a walk cut short", [] { Store({"A", "B"}); },
         [](CPrefixListCtrl& table) {
             RegistryCallLayer calls;
             calls.FailNthCallTo("RegEnumKeyExA", 2, ERROR_ACCESS_DENIED);
             table.LoadPrefixes();
         },
         {kReadFailed}, true, false},
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
         true, false},
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
        EXPECT_EQ(table.WasLoadClean(), c.clean) << c.what;
        table.Detach();
    }
    EXPECT_EQ(StoredPrefixes().count("NEW"), 1u);  // the rest of the save went on
}

// Another program's prefix whose name the rules would refuse now is shown as
// stored, also when a rename has left the rows out of the list's order.
TEST_F(PrefixListStore, StoredNamesTheRulesRefuseAreShown)
{
    Store({"A", "B"});
    ListViewHost host;
    CPrefixListCtrl table;
    table.Attach(host.List());
    table.InitColumns();
    table.LoadPrefixes();
    table.RenamePrefix(0, "Z");
    Store({"TWO WORDS"});
    EXPECT_TRUE(table.RefreshPrefixes());
    EXPECT_NE(table.FindPrefix("TWO WORDS"), -1);
    table.Detach();
}
