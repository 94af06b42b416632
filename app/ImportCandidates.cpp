#include "app/ImportCandidates.h"

#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixListCtrl.h"
#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>

namespace {

struct LeftOutText {
    CFoundShortcuts::Reason reason;
    const char* one;
    const char* many;
};
const LeftOutText kLeftOut[] = {
    {CFoundShortcuts::kBuiltIn, "built-in search engine", "built-in search engines"},
    {CFoundShortcuts::kInactive, "inactive shortcut", "inactive shortcuts"},
    {CFoundShortcuts::kNoSearchTerm, "search without a search term or sent by POST",
     "searches without a search term or sent by POST"},
    {CFoundShortcuts::kNotWebAddress, "shortcut that opens no http or https address",
     "shortcuts that open no http or https address"},
    {CFoundShortcuts::kBrowserParameter, "search with a parameter only its browser fills in",
     "searches with parameters only their browser fills in"},
    {CFoundShortcuts::kUnreadableText, "shortcut with characters this system cannot show",
     "shortcuts with characters this system cannot show"},
    {CFoundShortcuts::kInvalidPrefix, "keyword that cannot be a prefix",
     "keywords that cannot be prefixes"},
};

const char kWhereLooked[] =
    "Quillory looks in the profiles of Google Chrome, Microsoft Edge, Brave, Vivaldi, "
    "Chromium and Mozilla Firefox.";

} // namespace

std::string CImportCandidates::Counted(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

CImportCandidates::CImportCandidates(CFoundShortcuts found, const CPrefixListCtrl& table)
    : m_found(std::move(found))
{
    std::set<std::string> seen;
    for (const CShortcut& shortcut : m_found.Shortcuts()) {
        CString prefix = UpperCasePrefix(shortcut.prefix);
        if (!CPrefixListCtrl::IsValidPrefix(prefix)) {
            m_found.LeaveOut(CFoundShortcuts::kInvalidPrefix);
            continue;
        }
        bool first = seen.insert(static_cast<const char*>(prefix)).second;
        int row = table.FindPrefix(prefix);
        bool changes = row == -1 || table.GetItemText(row, CPrefixListCtrl::kUrlColumn) != shortcut.url;
        m_rows.push_back({prefix, shortcut.url, shortcut.source, first && changes});
    }
    std::vector<std::wstring> names;
    for (const Row& row : m_rows)
        names.push_back(Tessaly::Widen(row.prefix));
    std::vector<size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t left, size_t right) {
        return ::lstrcmpW(names[left].c_str(), names[right].c_str()) < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (size_t i : order)
        sorted.push_back(m_rows[i]);
    m_rows.swap(sorted);
}

std::string CImportCandidates::Summary() const
{
    std::string text;
    if (m_rows.empty()) {
        text = m_found.ProfileCount() == 0
                   ? std::string("No browser profiles were found for this user. ") + kWhereLooked
                   : "No search shortcuts to import were found in " +
                         Counted(m_found.ProfileCount(), "browser profile.", "browser profiles.");
    }
    std::string leftOut;
    for (const LeftOutText& item : kLeftOut) {
        int count = m_found.LeftOut(item.reason);
        if (count != 0)
            leftOut += (leftOut.empty() ? "" : ", ") + Counted(count, item.one, item.many);
    }
    if (!leftOut.empty())
        text += (text.empty() ? "" : " ") + std::string("Not shown: ") + leftOut + ".";
    for (const CFoundShortcuts::Unread& unread : m_found.UnreadProfiles())
        text += (text.empty() ? "" : " ") + std::string("Could not read ") +
                static_cast<const char*>(unread.source) + ": " + static_cast<const char*>(unread.reason) + ".";
    return text;
}
