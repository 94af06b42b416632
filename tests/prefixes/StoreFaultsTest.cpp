// Every registry call of a load and of a save, failed or stopped in turn.

#include "tests/prefixes/StoreFixture.h"

#include "tests/support/RegistryCallLayer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

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

using StoreFaults = StoreTest;

} // namespace

TEST_F(StoreFaults, EveryFailingCallOfALoadIsSurvived)
{
    const Rows original = {{"ALBUM", "http://a/%s"}, {"GOOGLE", "http://g/%s"},
                           {"MOVIE", "http://m/%s"}, {"NEWS", "http://n/%s"}};
    auto prepare = [&] {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrlPath);
        for (const auto& row : original)
            StorePrefix(row.first, row.second.c_str());
    };
    CPrefixStore::Report report;
    auto run = [&] { report = Load(); };
    auto check = [&](unsigned failAt, LONG fault) {
        // One fault passes one subkey over, or stops the walk, and is
        // reported with its error.
        ASSERT_LE(report.failures.size(), 1u) << "call " << failAt;
        for (const Failure& failure : report.failures)
            EXPECT_EQ(failure.error, DWORD(fault)) << "call " << failAt;

        // A save of every row edited leaves every prefix the load did not
        // show as it was.
        Rows shown = Shown();
        for (const auto& row : shown)
            Set(row.first.c_str(), (row.second + "#").c_str());
        EXPECT_TRUE(Save().failures.empty()) << "call " << failAt;
        auto stored = StoredPrefixes();
        for (const auto& row : original) {
            bool wasShown = shown.count(row.first) != 0;
            EXPECT_EQ(stored[row.first].url, row.second + (wasShown ? "#" : ""))
                << row.first << " call " << failAt;
            EXPECT_TRUE(stored[row.first].hasTheFiveValues) << row.first << " call " << failAt;
        }
    };
    unsigned positions = SweepFaults({ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}, prepare, run, check);
    std::printf("load: %u failure positions tried\n", positions);
    EXPECT_GT(positions, 30u);
}

namespace {

// A used key, and rows edited over it: ALBUM removed; NEWS renamed
// HEADLINES with a new URL, then MOVIE renamed into NEWS's old name; ARTIST
// and BOOK swapped; CODE renamed ZETA and a new CODE added; IMAGE added.
// google, read in lower case, is not edited;
// NEWS carries a stray value and subkey, UNREAD and EMPTY are never shown,
// and LATE is written by another program after the load.
class InterruptedSave : public StoreTest {
protected:
    void PrepareEditedRows()
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrlPath);
        for (const char* name : {"ALBUM", "ARTIST", "BOOK", "CODE", "google", "MOVIE", "NEWS"})
            StorePrefix(name, (std::string("http://old/") + name).c_str(), std::strcmp(name, "google") != 0);
        CreateTestKey((PrefixPath("NEWS") + "\\stray").c_str(), "below a prefix");
        ::RegSetKeyValueA(HKEY_CURRENT_USER, PrefixPath("NEWS").c_str(), "stray", REG_SZ, "x", 2);
        StoreNumberAsUrl("UNREAD");
        StorePrefix("EMPTY", "");

        Load();
        Remove("ALBUM");
        Rename("NEWS", "HEADLINES");
        Set("HEADLINES", "http://new/NEWS");
        Rename("MOVIE", "NEWS");
        Rename("ARTIST", "SWAP");
        Rename("BOOK", "ARTIST");
        Rename("SWAP", "BOOK");
        Rename("CODE", "ZETA");
        Set("CODE", "http://new/CODE");
        Set("IMAGE", "http://i/%s");
        StorePrefix("LATE", "http://late/%s", false);  // its values would show a write
    }

    // Each prefix the key held and the rows kept is there under its old or
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
        // A new subkey is whole, or has no URL the browser would use.
        for (const char* name : {"IMAGE", "HEADLINES", "ZETA", "~ARTIST", "~BOOK"}) {
            auto made = stored.find(name);
            EXPECT_TRUE(made == stored.end() || made->second.url == "<missing>" || made->second.hasTheFiveValues)
                << name << " at call " << at;
        }
        EXPECT_EQ(stored["google"].valueCount, 1u) << "call " << at;
        EXPECT_EQ(stored["UNREAD"].urlType, DWORD(REG_DWORD)) << "call " << at;
        EXPECT_EQ(stored.count("EMPTY"), 1u) << "call " << at;
        EXPECT_EQ(stored["LATE"].url, "http://late/%s") << "call " << at;
        EXPECT_EQ(stored["LATE"].valueCount, 1u) << "call " << at;
    }
};

} // namespace

TEST_F(InterruptedSave, EveryStoppedOrFailingCallOfASaveLosesNothing)
{
    CPrefixStore::Report report;
    auto run = [&] { report = Save(); };
    auto check = [&](unsigned at, LONG fault) {
        ExpectNothingLost(at, fault);
        if (fault == kStop)
            return;  // the process is gone
        // Nothing reported is the work done; a failure comes with its error.
        if (report.failures.empty())
            ExpectKeyHoldsTheRows({"UNREAD", "EMPTY", "LATE"});
        for (const Failure& failure : report.failures)  // a URL gone reads as another program's change
            EXPECT_TRUE(failure.error != ERROR_SUCCESS || failure.step == Failure::Changed) << "call " << at;

        EXPECT_TRUE(Save().failures.empty()) << "call " << at;  // a retry completes the work
        ExpectKeyHoldsTheRows({"UNREAD", "EMPTY", "LATE"});
    };
    unsigned positions = SweepFaults({kStop, ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND},
                                     [&] { PrepareEditedRows(); }, run, check);
    std::printf("save: %u stop and failure positions tried\n", positions);
    EXPECT_GT(positions, 100u);

    // What a save wrote, a later one may delete again, although the load
    // passed over UNREAD.
    PrepareEditedRows();
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows({"UNREAD", "EMPTY", "LATE"});
    Remove("GOOGLE");
    Remove("IMAGE");
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows({"UNREAD", "EMPTY", "LATE"});
}
