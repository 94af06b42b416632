#include "tests/prefixes/StoreFixture.h"

#include "prefixes/PrefixCase.h"

#include <algorithm>

CPrefixStore::Report StoreTest::Load()
{
    m_table = CPrefixTable();
    m_edited.clear();
    return m_table.Load();
}

void StoreTest::Set(const char* prefix, const char* url)
{
    EXPECT_TRUE(m_table.AddOrUpdatePrefix(prefix, url).Done()) << prefix;
    m_edited.insert(std::string(UpperCasePrefix(prefix)));
}

void StoreTest::Rename(const char* from, const char* to)
{
    EXPECT_TRUE(m_table.RenamePrefix(from, to).Done()) << from;
    m_edited.erase(from);
    m_edited.insert(std::string(UpperCasePrefix(to)));
}

void StoreTest::Remove(const char* prefix)
{
    EXPECT_TRUE(m_table.RemovePrefix(prefix).Done()) << prefix;
    m_edited.erase(prefix);
}

StoreTest::Rows StoreTest::Shown() const
{
    Rows rows;
    for (const auto& row : m_table.Rows())
        rows[Utf8FromProcessCodePage(row.first.c_str())] = Utf8FromProcessCodePage(row.second);
    return rows;
}

void StoreTest::ExpectKeyHoldsTheRows(const std::vector<std::string>& others) const
{
    auto stored = StoredPrefixes();
    for (const auto& row : m_table.Rows()) {
        std::string prefix = Utf8FromProcessCodePage(row.first.c_str());
        auto entry = std::find_if(stored.begin(), stored.end(), [&](const auto& subkey) {
            return SameKeyName(subkey.first, prefix);
        });
        ASSERT_NE(entry, stored.end()) << prefix;
        EXPECT_EQ(entry->second.url, Utf8FromProcessCodePage(row.second)) << prefix;
        EXPECT_TRUE(entry->second.hasTheFiveValues || m_edited.count(row.first) == 0) << prefix;
        stored.erase(entry);
    }
    for (const std::string& other : others)
        EXPECT_EQ(stored.erase(other), 1u) << other;
    EXPECT_TRUE(stored.empty()) << stored.begin()->first;
}

std::string StoreTest::Describe(Failure::Step step, const std::string& subkey, DWORD error)
{
    const char* const steps[] = {"read", "incomplete", "keep", "write", "delete", "changed"};
    return std::string(steps[step]) + " " + subkey + " " + std::to_string(error);
}

std::vector<std::string> StoreTest::Described(const CPrefixStore::Report& report)
{
    std::vector<std::string> described;
    for (const Failure& failure : report.failures)
        described.push_back(Describe(failure.step, Utf8FromProcessCodePage(failure.subkey), failure.error));
    return described;
}
