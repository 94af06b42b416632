#include "registry/RegistryKey.h"

#include "tests/support/RegistryFailure.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

using Tessaly::CRegistryKey;

namespace {

const char kFetchLocation[] = "CRegistryKey::SubkeyIterator::GetSubkeyInfo()";

class SubkeyIteration : public RegistryTest {
protected:
    static CRegistryKey Open(const char* path)
    {
        return CRegistryKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, nullptr);
    }

    static std::vector<std::string> Names(const CRegistryKey& key)
    {
        std::vector<std::string> names;
        for (auto it = key.BeginSubkeyIteration(); it != key.EndSubkeyIteration(); ++it)
            names.push_back(it.GetName());
        return names;
    }
};

} // namespace

TEST_F(SubkeyIteration, AKeyWithoutSubkeysEndsAtOnceAndHoldsNoCount)
{
    RegistryCallLayer calls;
    auto key = std::make_unique<CRegistryKey>(Open(""));
    CRegistryKey::SubkeyIterator begin = key->BeginSubkeyIteration();
    EXPECT_TRUE(begin == key->EndSubkeyIteration());
    key.reset();
    EXPECT_EQ(calls.OpenHandleCount(), 0u);  // the iterator kept nothing open
}

TEST_F(SubkeyIteration, WalksInTheRegistrysOrderThenStaysAtTheEnd)
{
    for (const char* name : {"b", "a", "c"})
        CreateTestKey(name);
    CRegistryKey key = Open("");
    EXPECT_EQ(Names(key), (std::vector<std::string>{"a", "b", "c"}));

    auto it = key.BeginSubkeyIteration();
    ++it, ++it, ++it;
    EXPECT_TRUE(it == key.EndSubkeyIteration());
    ++it;
    EXPECT_TRUE(it == key.EndSubkeyIteration());
}

TEST_F(SubkeyIteration, EqualityIsSameHolderAndSamePosition)
{
    CreateTestKey("a");
    CreateTestKey("b");
    CRegistryKey key = Open("");
    CRegistryKey copy = key;
    CRegistryKey separate = Open("");

    auto first = key.BeginSubkeyIteration();
    auto second = copy.BeginSubkeyIteration();
    EXPECT_TRUE(first == second);
    ++first, ++second;
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(key.BeginSubkeyIteration() != first);
    EXPECT_TRUE(separate.BeginSubkeyIteration() != key.BeginSubkeyIteration());
    ++first, ++second;
    auto other = separate.BeginSubkeyIteration();
    ++other, ++other;
    EXPECT_TRUE(first == other);  // all ends are equal
}

TEST_F(SubkeyIteration, ALongerSubkeyThatAppearsLaterIsFetchedWhole)
{
    CreateTestKey("a");
    CreateTestKey("b");
    CRegistryKey key = Open("");
    auto it = key.BeginSubkeyIteration();
    const std::string longName = "z" + std::string(200, 'q');
    CreateTestKey(longName.c_str());
    RegistryCallLayer calls;
    ++it, ++it;
    EXPECT_EQ(it.GetName(), longName);
    EXPECT_EQ(calls.CallsTo("RegQueryInfoKeyA"), 1u);
}

TEST_F(SubkeyIteration, TooSmallThenNoSubkeysAtAllEndsTheWalk)
{
    CreateTestKey("a");
    CRegistryKey key = Open("");
    auto it = key.BeginSubkeyIteration();
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, "a"), 0);
    RegistryCallLayer calls;
    calls.FailCall(1, ERROR_MORE_DATA);  // the fetch, as if a longer name had come
    ++it;
    EXPECT_TRUE(it == key.EndSubkeyIteration());
}

TEST_F(SubkeyIteration, ARegistryThatNeverStopsAskingForMoreRoomFailsTheFetch)
{
    CreateTestKey("a");
    CreateTestKey("b");
    CRegistryKey key = Open("");
    auto it = key.BeginSubkeyIteration();
    RegistryCallLayer calls;
    calls.FailEveryCallTo("RegEnumKeyExA", ERROR_MORE_DATA);
    ExpectRegistryFailure([&] { ++it; }, kFetchLocation, DWORD(ERROR_MORE_DATA));
}

TEST_F(SubkeyIteration, AFailedFetchKeepsTheHolderAndPosition)
{
    CreateTestKey("a");
    CreateTestKey("b");
    CRegistryKey key = Open("");
    auto it = key.BeginSubkeyIteration();
    auto before = it;
    RegistryCallLayer calls;
    calls.FailCall(1, ERROR_ACCESS_DENIED);
    ExpectRegistryFailure([&] { ++it; }, kFetchLocation, DWORD(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(it == before);
    EXPECT_STREQ(it.GetName(), "a");
}

TEST_F(SubkeyIteration, AnIteratorThatCannotStartGivesItsCountBack)
{
    CreateTestKey("a");
    const LONG refused = ERROR_ACCESS_DENIED;
    for (const char* failing : {"RegQueryInfoKeyA", "RegEnumKeyExA"}) {
        RegistryCallLayer calls;
        {
            CRegistryKey key = Open("");
            calls.FailEveryCallTo(failing, refused);
            try {
                key.BeginSubkeyIteration();
                FAIL() << failing;
            } catch (const CRegistryKey::Exception& e) {
                EXPECT_STREQ(e.GetLocation(), failing == std::string("RegQueryInfoKeyA")
                                                  ? "CRegistryKey::SubkeyIterator::SubkeyIterator()"
                                                  : kFetchLocation);
            }
        }
        EXPECT_EQ(calls.OpenHandleCount(), 0u) << failing;
    }
}

TEST_F(SubkeyIteration, AssignmentSharesTheSourcesCountAndCopiesItsPlace)
{
    CreateTestKey("a");
    CreateTestKey("b", "B");
    RegistryCallLayer calls;
    {
        auto key = std::make_unique<CRegistryKey>(Open(""));
        auto source = key->BeginSubkeyIteration();
        ++source;
        CRegistryKey::SubkeyIterator target = CRegistryKey::EndSubkeyIteration();
        target = source;
        target = target;
        key.reset();
        source = CRegistryKey::EndSubkeyIteration();
        EXPECT_EQ(calls.OpenHandleCount(), 1u);  // target still walks the key
        EXPECT_STREQ(target.GetName(), "b");
        EXPECT_STREQ(static_cast<const char*>(target.OpenKey(KEY_READ).QueryValue("")), "B");
    }
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
    EXPECT_EQ(calls.RepeatedCloseCount(), 0u);
}

// In code page 932 a character takes up to two bytes: names are fetched
// whole, and a name the code page cannot hold is told apart. CTest runs
// this test with LC_ALL=ja_JP.UTF-8, which gives Wine's code page 932.
TEST_F(SubkeyIteration, NamesLongerInBytesThanInCharactersAreFetchedWhole)
{
    ASSERT_EQ(::GetACP(), 932u);
    for (const char* name : {"検索", "ĀBC", "日本語の検索窓"})
        CreateTestKey(name);  // as Unicode, like any other program
    CRegistryKey key = Open("");
    std::vector<std::pair<std::string, bool>> walked;
    for (auto it = key.BeginSubkeyIteration(); it != key.EndSubkeyIteration(); ++it)
        walked.emplace_back(Utf8FromProcessCodePage(it.GetName()), it.IsNameExact());
    EXPECT_EQ(walked, (std::vector<std::pair<std::string, bool>>{
                          {"?BC", false}, {"日本語の検索窓", true}, {"検索", true}}));
}
