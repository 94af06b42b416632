#include "prefixes/PrefixTable.h"

#include "prefixes/PrefixCase.h"
#include "prefixes/SearchQuery.h"

CPrefixStore::Report CPrefixTable::Load()
{
    std::vector<Row> rows;
    CPrefixStore::Report report = m_store.Load(rows);
    // No key yet holds no prefixes: a save makes it.
    m_bKeyMissing = !report.walked && report.failures.size() == 1 &&
                    report.failures[0].error == ERROR_FILE_NOT_FOUND;
    if (m_bKeyMissing)
        report = CPrefixStore::Report();
    m_rows.clear();
    for (const Row& row : rows)
        Show(row);
    return report;
}

void CPrefixTable::Show(const Row& stored)
{
    // As the list takes a row: a name it would refuse is not shown.
    CString upper = UpperCasePrefix(stored.prefix);
    if (CPrefixStore::IsValidPrefix(upper) && CSearchQuery::IsUsableTemplate(stored.url))
        m_rows[static_cast<const char*>(upper)] = stored.url;
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
    return row == m_rows.end() || row->second != url;
}

CPrefixTable::Result CPrefixTable::AddOrUpdatePrefix(const char* prefix, const char* url)
{
    CString upper = UpperCasePrefix(prefix);
    if (!CPrefixStore::IsValidPrefix(upper))
        return kInvalidPrefix;
    if (!CSearchQuery::IsUsableTemplate(url))
        return kEmptyUrl;
    m_rows[static_cast<const char*>(upper)] = url;
    m_store.Stored().Set(upper, url);
    return kDone;
}

CPrefixTable::Result CPrefixTable::RenamePrefix(const char* from, const char* to)
{
    auto row = m_rows.find(static_cast<const char*>(UpperCasePrefix(from)));
    if (row == m_rows.end())
        return kNoSuchPrefix;
    CString upper = UpperCasePrefix(to);
    if (!CPrefixStore::IsValidPrefix(upper))
        return kInvalidPrefix;
    if (m_rows.count(static_cast<const char*>(upper)) != 0)
        return row->first == static_cast<const char*>(upper) ? kDone : kPrefixTaken;
    const CString old = row->first.c_str();
    const CString url = row->second;
    m_rows.erase(row);
    m_rows[static_cast<const char*>(upper)] = url;
    Show(m_store.Stored().Rename(old, upper, url));
    return kDone;
}

CPrefixTable::Result CPrefixTable::RemovePrefix(const char* prefix)
{
    CString upper = UpperCasePrefix(prefix);
    if (m_rows.erase(static_cast<const char*>(upper)) == 0)
        return kNoSuchPrefix;
    Show(m_store.Stored().Remove(upper));
    return kDone;
}
