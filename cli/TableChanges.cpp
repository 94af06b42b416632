#include "cli/TableChanges.h"

#include "res/resource.h"

CTableChanges::CTableChanges(const Rows& before, const Rows& after, const std::set<std::string>& taken)
{
    for (const PrefixRow& row : CPrefixTable::InListOrder(after)) {
        auto was = before.find(static_cast<const char*>(row.prefix));
        if (was == before.end())
            m_added.push_back(row);
        else if (was->second != row.url)
            m_changed.push_back(row);
        else
            m_same += taken.count(was->first);
    }
    for (const PrefixRow& row : CPrefixTable::InListOrder(before)) {
        if (after.count(static_cast<const char*>(row.prefix)) == 0)
            m_removed.push_back(row);
    }
}

std::string CTableChanges::Counts(int skipped, bool removals) const
{
    std::vector<std::pair<UINT, size_t>> counts = {{IDS_CLI_N_ADDED, m_added.size()},
                                                   {IDS_CLI_N_CHANGED, m_changed.size()},
                                                   {IDS_CLI_N_SAME, m_same},
                                                   {IDS_CLI_N_SKIPPED, static_cast<size_t>(skipped)}};
    if (removals)
        counts.push_back({IDS_CLI_N_REMOVED, m_removed.size()});
    const std::string separator = static_cast<const char*>(LoadText(IDS_LIST_SEPARATOR));
    std::string text;
    for (const auto& count : counts)
        text += (text.empty() ? "" : separator) + FormattedText(count.first, std::to_string(count.second).c_str());
    return text;
}
