#include "prefixes/PrefixTable.h"

#include "prefixes/PrefixCase.h"

namespace {

using Result = CPrefixTable::Result;

Result Judged(CPrefixRules::Verdict why)
{
    return {why == CPrefixRules::kPrefix ? Result::kDone : Result::kRefused, why};
}

} // namespace

CPrefixStore::Report CPrefixTable::Load()
{
    std::vector<Row> rows;
    CPrefixStore::Report report = m_store.Load(rows);
    m_rows.clear();
    for (const Row& row : rows)
        Show(row);
    return report;
}

void CPrefixTable::Show(const Row& stored)
{
    if (!stored.prefix.IsEmpty())
        m_rows[static_cast<const char*>(CPrefixRules::Shown(stored.prefix))] = stored.url;
}

std::vector<CPrefixTable::Row> CPrefixTable::InListOrder(const std::map<std::string, CString>& rows)
{
    std::vector<Row> listed;
    listed.reserve(rows.size());
    for (const auto& row : rows)
        listed.push_back({row.first.c_str(), row.second});
    SortInListOrder(listed, [](const Row& row) { return row.prefix; });
    return listed;
}

bool CPrefixTable::WouldChange(const char* prefix, const char* url) const
{
    auto row = m_rows.find(static_cast<const char*>(UpperCasePrefix(prefix)));
    return CPrefixRules::Changes(row == m_rows.end() ? nullptr : &row->second, url);
}

Result CPrefixTable::AddOrUpdatePrefix(const char* prefix, const char* url)
{
    CString upper;
    auto holds = [this](const CString& name) { return m_rows.count(static_cast<const char*>(name)) != 0; };
    Result result = Judged(CPrefixRules::MakeRow(prefix, url, holds, upper));
    if (!result.Done())
        return result;
    m_rows[static_cast<const char*>(upper)] = url;
    m_store.Stored().Set(upper, url);
    return result;
}

std::map<std::string, CString>::iterator CPrefixTable::Find(const char* prefix)
{
    const CString upper = UpperCasePrefix(prefix);
    auto row = m_rows.find(static_cast<const char*>(upper));
    PrefixRow stored;
    if (row == m_rows.end() && m_store.LookUp(upper, stored)) {
        Show(stored);
        row = m_rows.find(static_cast<const char*>(upper));
    }
    return row;
}

Result CPrefixTable::RenamePrefix(const char* from, const char* to)
{
    auto row = Find(from);
    if (row == m_rows.end())
        return {Result::kNoSuchPrefix, CPrefixRules::kPrefix};
    CString upper;
    Result result = Judged(CPrefixRules::MakeName(to, upper));
    if (row->first == static_cast<const char*>(upper))
        return {Result::kDone, CPrefixRules::kPrefix};  // its own name: nothing to do
    if (!result.Done())
        return result;
    if (Find(upper) != m_rows.end())
        return {Result::kPrefixTaken, CPrefixRules::kPrefix};
    const CString old = row->first.c_str();
    const CString url = row->second;
    m_rows.erase(row);
    m_rows[static_cast<const char*>(upper)] = url;
    Show(m_store.Stored().Rename(old, upper, url));
    return result;
}

Result CPrefixTable::RemovePrefix(const char* prefix)
{
    auto row = Find(prefix);
    if (row == m_rows.end())
        return {Result::kNoSuchPrefix, CPrefixRules::kPrefix};
    const CString upper = row->first.c_str();
    m_rows.erase(row);
    Show(m_store.Stored().Remove(upper));
    return {Result::kDone, CPrefixRules::kPrefix};
}
