#include "tests/prefixes/StoreFixture.h"

#include "tests/support/RegistryCallLayer.h"

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using PrefixStore = StoreTest;

const DWORD kNotText = ERROR_INVALID_DATA;

} // namespace

// A new account has no key, nor the browser's key above it: no prefixes,
// and a save makes it, again after another program deleted it; removals
// from a key that is gone are done. Any other failure to open it is told.
TEST_F(PrefixStore, AMissingKeyHoldsNoPrefixesAndASaveMakesIt)
{
    EXPECT_TRUE(Load().failures.empty());
    EXPECT_TRUE(Shown().empty());
    Set("NEWS", "http://n/%s");
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows();

    const char browserKey[] = "Software\\Microsoft\\Internet Explorer";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, browserKey);
    Remove("NEWS");
    Set("ALBUM", "http://a/%s");
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, browserKey);
    Remove("ALBUM");
    EXPECT_TRUE(Save().failures.empty());

    RegistryCallLayer calls;
    calls.FailNthCallTo("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Described(Load()), (Strings{Describe(Failure::Read, "", ERROR_ACCESS_DENIED)}));
}

TEST_F(PrefixStore, NamesAreUpperCasedAndTextsKeptAsStored)
{
    StorePrefix("google", "http://www.google.com/search?q=%s");
    StorePrefix("EMPTY", "");
    StorePrefix("PATH", "");
    const wchar_t expandable[] = L"http://%HOST%/?q=%s";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath("PATH")).c_str(), L"", REG_EXPAND_SZ,
                      expandable, sizeof expandable);

    EXPECT_TRUE(Load().failures.empty());
    EXPECT_EQ(Shown(), (Rows{{"GOOGLE", "http://www.google.com/search?q=%s"},
                             {"PATH", "http://%HOST%/?q=%s"}}));

    // A row given the text it has is no edit: the save makes no call.
    Set("GOOGLE", "http://www.google.com/search?q=%s");
    {
        RegistryCallLayer calls;
        EXPECT_TRUE(Save().failures.empty());
        EXPECT_EQ(calls.CallCount(), 0u);
    }

    // An edited row goes into its subkey as spelled there; the rest stay.
    Set("GOOGLE", "http://g/%s");
    EXPECT_TRUE(Save().failures.empty());
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.count("GOOGLE"), 0u);
    EXPECT_EQ(stored["PATH"].urlType, DWORD(REG_EXPAND_SZ));
    ExpectKeyHoldsTheRows({"EMPTY"});  // EMPTY never shown
}

TEST_F(PrefixStore, RowsAreWrittenInOrderWithTheValuesInTheirOrder)
{
    CreateTestKey(kSearchUrlPath);
    Load();
    Set("NEWS", "http://n/%s");
    Set("ALBUM", "http://a/%s");
    RegistryCallLayer calls;
    Save();
    EXPECT_EQ(calls.CreatedKeys(), (Strings{"ALBUM", "NEWS"}));
    const Strings oneRow = {"+", "&", "%", " ", ""};  // a new subkey's URL last
    Strings twoRows = oneRow;
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
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrlPath);
        for (int i = 0; i < count; ++i)
            StorePrefix("P" + std::to_string(i), "http://x/%s");
        Load();
        Set("P5", "http://changed/%s");  // the rest stay as stored
        Rename("P6", "SIX");
        Remove("P7");
        Set("NEW", "http://new/%s");
        RegistryCallLayer layer;
        EXPECT_TRUE(Save().failures.empty());
        calls.push_back(layer.CallCount());
    }
    EXPECT_EQ(calls[0], calls[1]);
    ExpectKeyHoldsTheRows();  // SIX and NEW whole, P6 and P7 gone
}

// A subkey that cannot be read is passed over and reported, and no save
// deletes it or writes a row over it: it holds a prefix the user has never
// seen.
TEST_F(PrefixStore, UnreadableSubkeysAreSkippedReportedAndNeverWrittenOver)
{
    StorePrefix("NOURL", nullptr);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath("NOURL")).c_str(), L"other", REG_SZ, L"x", 4);
    StoreNumberAsUrl("NUMBER");
    StoreNumberAsUrl("TAKEN");
    StorePrefix("ALPHA", "http://a/%s");
    StorePrefix("ZULU", "http://z/%s");

    EXPECT_EQ(Described(Load()), (Strings{Describe(Failure::Read, "NOURL", ERROR_FILE_NOT_FOUND),
                                          Describe(Failure::Read, "NUMBER", kNotText),
                                          Describe(Failure::Read, "TAKEN", kNotText)}));
    EXPECT_EQ(Shown(), (Rows{{"ALPHA", "http://a/%s"}, {"ZULU", "http://z/%s"}}));

    Remove("ALPHA");
    Set("taken", "http://t/%s");
    EXPECT_EQ(Described(Save()), (Strings{Describe(Failure::Keep, "TAKEN", ERROR_ALREADY_EXISTS)}));
    EXPECT_EQ(StoredPrefixes()["TAKEN"].urlType, DWORD(REG_DWORD));

    Remove("TAKEN");
    EXPECT_TRUE(Save().failures.empty());  // and on every later save
    ExpectKeyHoldsTheRows({"NOURL", "NUMBER", "TAKEN"});  // ALPHA gone
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
        StorePrefix(prefix.first, prefix.second.c_str(), false);  // a write would add values
    StorePrefix("ABC", "http://real-abc/%s");  // what ĀBC's narrow name would open
    StorePrefix("café", "http://café.fr/?q=%s");
    StorePrefix("WHAT?", "http://w/?q=%s&x=?");
    // Left by another program; their names are not in 1252 either.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath("WHAT?")).c_str(), L"\u03A9", REG_SZ,
                      L"x", 4);
    CreateTestKey((PrefixPath("WHAT?") + "\\Ж").c_str());

    EXPECT_EQ(Described(Load()),
              (Strings{Describe(Failure::Read, "RF", kNotText),
                       Describe(Failure::Read, "ABC", ERROR_NO_UNICODE_TRANSLATION),
                       Describe(Failure::Read, "?????", ERROR_NO_UNICODE_TRANSLATION)}));
    EXPECT_EQ(Shown(), (Rows{{"ABC", "http://real-abc/%s"},
                             {"CAFÉ", "http://café.fr/?q=%s"},
                             {"WHAT?", "http://w/?q=%s&x=?"}}));

    Set("abc", "http://new/%s");
    Set("what?", "http://w/?q=%s&x=!");  // written whole, strays gone
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows({"RF", "ПОИСК", "ĀBC"});
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
        EXPECT_EQ(Described(Load()), (Strings{Describe(Failure::Read, "", ERROR_ACCESS_DENIED)}));
    }
    EXPECT_EQ(Shown(), (Rows{{"A", "http://x/%s"}}));
    Set("A", "http://a/%s");
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows({"B", "C"});  // untouched
}

TEST_F(PrefixStore, ARowThatCannotBeWrittenDoesNotStopTheOthers)
{
    CreateTestKey(kSearchUrlPath);
    Load();
    for (const char* prefix : {"A", "B", "C"})
        Set(prefix, "http://x/%s");
    {
        RegistryCallLayer calls;
        calls.FailNthCallTo("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(Described(Save()), (Strings{Describe(Failure::Write, "A", ERROR_ACCESS_DENIED)}));
    }
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.count("A"), 0u);
    EXPECT_TRUE(stored["B"].hasTheFiveValues);
    EXPECT_TRUE(stored["C"].hasTheFiveValues);
}

TEST_F(PrefixStore, ASubkeyThatCannotBeDeletedDoesNotStopTheOthers)
{
    for (const char* name : {"A", "B", "C"})
        StorePrefix(name, "http://old/%s");
    Load();
    Remove("A");
    Remove("B");
    {
        RegistryCallLayer calls;
        calls.FailNthCallTo("RegDeleteKeyA", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(Described(Save()), (Strings{Describe(Failure::Delete, "A", ERROR_ACCESS_DENIED)}));
    }
    ExpectKeyHoldsTheRows({"A"});  // the one that failed; C never written
}

// Another program's prefix without every value the browser needs, or one
// a stopped save left without its URL: named, the first shown; a save of
// either, its URL unchanged, makes it whole.
TEST_F(PrefixStore, IncompletePrefixesAreNamedAndASaveMakesThemWhole)
{
    StorePrefix("HALF", "http://h/%s", false);
    CreateTestKey(PrefixPath("BARE").c_str());
    StorePrefix("WHOLE", "http://w/%s");
    EXPECT_EQ(Described(Load()), (Strings{Describe(Failure::Incomplete, "HALF", ERROR_SUCCESS),
                                          Describe(Failure::Incomplete, "BARE", ERROR_SUCCESS)}));
    EXPECT_EQ(Shown(), (Rows{{"HALF", "http://h/%s"}, {"WHOLE", "http://w/%s"}}));
    Set("HALF", "http://h/%s");
    Set("BARE", "http://b/%s");
    EXPECT_TRUE(Save().failures.empty());
    ExpectKeyHoldsTheRows();
    EXPECT_TRUE(Load().failures.empty());
}

// Other processes at work while the table is open: a prefix made since is
// found when named; one changed since is neither renamed away nor deleted,
// and is named.
TEST_F(PrefixStore, APrefixAnotherProcessChangedIsNotLost)
{
    StorePrefix("A0", "http://a/%s");
    StorePrefix("C0", "http://c/%s");
    Load();
    StorePrefix("LATE", "http://late/%s");
    Remove("LATE");
    Rename("A0", "B0");
    Remove("C0");
    StorePrefix("A0", "http://a2/%s");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath("C0")).c_str(), L"");  // being written anew
    EXPECT_EQ(Described(Save()), (Strings{Describe(Failure::Changed, "A0", ERROR_SUCCESS),
                                          Describe(Failure::Changed, "C0", ERROR_SUCCESS)}));
    EXPECT_EQ(StoredNames(), (Strings{"A0", "C0"}));
    EXPECT_EQ(StoredPrefixes()["A0"].url, "http://a2/%s");

    // Two swapped: the one changed is not set aside over its change.
    StorePrefix("B0", "http://b/%s");
    Load();
    Rename("A0", "X");
    Rename("B0", "A0");
    Rename("X", "B0");
    StorePrefix("A0", "http://a3/%s");
    EXPECT_EQ(Described(Save()), (Strings{Describe(Failure::Write, "A0", ERROR_ALREADY_EXISTS),
                                          Describe(Failure::Changed, "A0", ERROR_SUCCESS)}));
    EXPECT_EQ(StoredPrefixes()["A0"].url, "http://a3/%s");
}
