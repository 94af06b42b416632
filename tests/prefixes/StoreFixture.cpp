#include "tests/prefixes/StoreFixture.h"

#include "prefixes/PrefixCase.h"

#include <algorithm>

CPrefixStore::Report StoreTest::Load()
{
    m_store = CPrefixStore();
    m_shown.clear();
    m_edited.clear();
    std::vector<PrefixRow> rows;
    CPrefixStore::Report report = m_store.Load(rows);
    for (const PrefixRow& row : rows)
        Show(row);
    return report;
}

void StoreTest::Show(const PrefixRow& row)
{
    if (!row.prefix.IsEmpty())
        m_shown[std::string(UpperCasePrefix(row.prefix))] = std::string(row.url);
}

void StoreTest::Set(const char* prefix, const char* url)
{
    std::string upper(UpperCasePrefix(prefix));
    m_store.Stored().Set(upper.c_str(), url);
    m_shown[upper] = url;
    m_edited.insert(upper);
}

void StoreTest::Rename(const char* from, const char* to)
{
    std::string url = m_shown.at(from);
    PrefixRow uncovered = m_store.Stored().Rename(from, to, url.c_str());
    m_shown.erase(from);
    m_edited.erase(from);
    m_shown[to] = url;
    m_edited.insert(to);
    Show(uncovered);
}

void StoreTest::Remove(const char* prefix)
{
    m_shown.erase(prefix);
    m_edited.erase(prefix);
    Show(m_store.Stored().Remove(prefix));
}

StoreTest::Rows StoreTest::Shown() const
{
    Rows rows;
    for (const auto& row : m_shown)
        rows[Utf8FromProcessCodePage(row.first.c_str())] = Utf8FromProcessCodePage(row.second.c_str());
    return rows;
}

void StoreTest::ExpectKeyHoldsTheRows(const std::vector<std::string>& others) const
{
    auto stored = StoredPrefixes();
    for (const auto& row : m_shown) {
        std::string prefix = Utf8FromProcessCodePage(row.first.c_str());
        auto entry = std::find_if(stored.begin(), stored.end(), [&](const auto& subkey) {
            return SameKeyName(subkey.first, prefix);
        });
        ASSERT_NE(entry, stored.end()) << prefix;
        EXPECT_EQ(entry->second.url, Utf8FromProcessCodePage(row.second.c_str())) << prefix;
        if (m_edited.count(row.first) != 0)
            EXPECT_TRUE(entry->second.hasTheFiveValues) << prefix;
        else
            EXPECT_EQ(entry->second.valueCount, 1u) << prefix;
        stored.erase(entry);
    }
    for (const std::string& other : others)
        EXPECT_EQ(stored.erase(other), 1u) << other;
    EXPECT_TRUE(stored.empty()) << stored.begin()->first;
}

std::string StoreTest::Describe(Failure::Step step, const std::string& subkey, DWORD error)
{
    const char* const steps[] = {"read", "keep", "write", "delete"};
    return std::string(steps[step]) + " " + subkey + " " + std::to_string(error);
}

std::vector<std::string> StoreTest::Described(const CPrefixStore::Report& report)
{
    std::vector<std::string> described;
    for (const Failure& failure : report.failures)
        described.push_back(Describe(failure.step, Utf8FromProcessCodePage(failure.subkey), failure.error));
    return described;
}
