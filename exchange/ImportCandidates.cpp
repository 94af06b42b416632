#include "exchange/ImportCandidates.h"

#include "prefixes/PrefixRules.h"
#include "res/resource.h"

#include <set>
#include <utility>

namespace {

struct LeftOutText {
    CFoundShortcuts::Reason reason;
    UINT one;
    UINT many;
};
const LeftOutText kLeftOut[] = {
    {CFoundShortcuts::kBuiltIn, IDS_BUILT_IN_ONE, IDS_BUILT_IN_MANY},
    {CFoundShortcuts::kInactive, IDS_INACTIVE_ONE, IDS_INACTIVE_MANY},
    {CFoundShortcuts::kNoSearchTerm, IDS_NO_SEARCH_TERM_ONE, IDS_NO_SEARCH_TERM_MANY},
    {CFoundShortcuts::kNotWebAddress, IDS_NOT_WEB_ONE, IDS_NOT_WEB_MANY},
    {CFoundShortcuts::kBrowserParameter, IDS_BROWSER_PARAMETER_ONE, IDS_BROWSER_PARAMETER_MANY},
    {CFoundShortcuts::kUnreadableText, IDS_UNREADABLE_TEXT_ONE, IDS_UNREADABLE_TEXT_MANY},
    {CFoundShortcuts::kInvalidPrefix, IDS_INVALID_PREFIX_ONE, IDS_INVALID_PREFIX_MANY},
};

} // namespace

CImportCandidates::CImportCandidates(CFoundShortcuts found, const Changes& changes)
    : m_found(std::move(found))
{
    std::set<std::string> seen;
    for (const CShortcut& shortcut : m_found.Shortcuts()) {
        CString prefix;
        if (CPrefixRules::MakeName(shortcut.prefix, prefix) != CPrefixRules::kPrefix) {
            m_found.LeaveOut(CFoundShortcuts::kInvalidPrefix);
            continue;
        }
        bool first = seen.insert(static_cast<const char*>(prefix)).second;
        m_rows.push_back({prefix, shortcut.url, shortcut.source, first && changes(prefix, shortcut.url)});
    }
    SortInListOrder(m_rows, [](const Row& row) { return row.prefix; });
}

std::string CImportCandidates::Summary(bool withUnread) const
{
    std::string text;
    if (m_rows.empty()) {
        const std::string profiles = Counted(m_found.ProfileCount(), IDS_PROFILES_ONE, IDS_PROFILES_MANY);
        text = m_found.ProfileCount() == 0 ? std::string(LoadText(IDS_NO_PROFILES))
                                           : FormattedText(IDS_NOTHING_FOUND, profiles.c_str());
    }
    std::string leftOut;
    for (const LeftOutText& item : kLeftOut) {
        int count = m_found.LeftOut(item.reason);
        if (count != 0)
            leftOut += (leftOut.empty() ? "" : std::string(LoadText(IDS_LIST_SEPARATOR))) +
                       Counted(count, item.one, item.many);
    }
    if (!leftOut.empty())
        text += (text.empty() ? "" : " ") + FormattedText(IDS_NOT_SHOWN, leftOut.c_str());
    for (const CFoundShortcuts::Unread& unread : m_found.UnreadProfiles()) {
        if (withUnread)
            text += (text.empty() ? "" : " ") + FormattedText(IDS_COULD_NOT_READ_PROFILE, unread.source, unread.reason);
    }
    return text;
}

std::string CImportCandidates::ImportedText(int imported)
{
    return FormattedText(IDS_IMPORTED, Counted(imported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str());
}
