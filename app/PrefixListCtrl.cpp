#include "app/PrefixListCtrl.h"

#include "prefixes/PrefixCase.h"
#include "prefixes/ReportText.h"
#include "prefixes/SearchUrlCatalog.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CPrefixListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CPrefixListCtrl, CListCtrl)
END_MESSAGE_MAP()

namespace {

struct DefaultPrefix {
    const char* prefix;
    const char* catalogLabel;
};
const DefaultPrefix kDefaults[] = {
    {"GOOGLE", "Web Search: Google"},
    {"ARTIST", "Music: All Music Guide - Artist"},
    {"ALBUM", "Music: All Music Guide - Album"},
    {"MOVIE", "Movies: Internet Movie Database"},
    {"IMAGE", "Images: Google Images"},
    {"NEWS", "News: Google - News"},
    {"USENET", "Usenet Groups: Google - Groups"},
};

// The URL column takes the width the prefix column leaves, so that the
// columns fill the list exactly, with its vertical scroll bar or without:
// as the bar comes and goes, the list's client area changes size, and no
// horizontal bar comes with it to cover the last row.
LRESULT CALLBACK FitColumnsOnSize(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_SIZE) {
        const int rest = LOWORD(lParam) - ListView_GetColumnWidth(list, CPrefixListCtrl::kPrefixColumn);
        if (rest > 0 && rest != ListView_GetColumnWidth(list, CPrefixListCtrl::kUrlColumn))
            ListView_SetColumnWidth(list, CPrefixListCtrl::kUrlColumn, rest);
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(list, FitColumnsOnSize, 0);
    }
    return result;
}

} // namespace

void CPrefixListCtrl::InitColumns()
{
    // Drawn once for both columns instead of after each: a quarter of a
    // millisecond less at every start. Turning drawing on shows a window,
    // so a hidden list is left as it is.
    bool visible = (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible)
        SendMessage(WM_SETREDRAW, FALSE);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    InsertColumnAt96Dpi(kPrefixColumn, LoadText(IDS_COLUMN_PREFIX), LVCFMT_LEFT, 65);
    InsertColumnAt96Dpi(kUrlColumn, LoadText(IDS_COLUMN_URL), LVCFMT_LEFT, 290);
    ::SetWindowSubclass(m_hWnd, FitColumnsOnSize, 0, 0);
    if (visible) {
        SendMessage(WM_SETREDRAW, TRUE);
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    // The table starts here, on a new control: no row of an earlier one.
    m_rowOf.clear();
    m_bModified = false;
}

int CPrefixListCtrl::FindPrefix(const char* prefix) const
{
    auto found = m_rowOf.find(prefix);
    if (found == m_rowOf.end())
        return -1;
    return found->second;
}

void CPrefixListCtrl::IndexInsertedRow(int item, const char* prefix)
{
    for (auto& row : m_rowOf) {
        if (row.second >= item)
            ++row.second;
    }
    m_rowOf[prefix] = item;
}

void CPrefixListCtrl::IndexRemovedRow(int item, const char* prefix)
{
    m_rowOf.erase(prefix);
    for (auto& row : m_rowOf) {
        if (row.second > item)
            --row.second;
    }
}

void CPrefixListCtrl::InsertInOrder(const std::vector<Row>& rows)
{
    // The sorted control puts a row before the first one that does not
    // compare less (CompareInListOrder): among rows that compare equal, the one
    // inserted last comes first. Over rows in that order the place is where
    // a merge puts it; a rename may have left them out of order, and then
    // only the control's own search gives its places.
    const size_t existing = m_rowOf.size();
    bool inOrder = static_cast<int>(existing) == GetItemCount();
    std::vector<std::wstring> names(inOrder ? existing : 0);
    std::vector<std::string> existingNames(names.size());
    for (const auto& row : m_rowOf) {
        size_t item = static_cast<size_t>(row.second);
        inOrder = inOrder && item < existing;
        if (!inOrder)
            break;
        names[item] = Tessaly::Widen(row.first.c_str());
        existingNames[item] = row.first;
    }
    for (size_t i = 1; inOrder && i < names.size(); ++i)
        inOrder = CompareInListOrder(names[i - 1], names[i]) <= 0;
    if (!inOrder) {
        for (const Row& row : rows)
            SetRow(row.prefix, row.url);
        return;
    }
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    {
        std::vector<std::wstring> added;
        added.reserve(rows.size());
        for (const Row& row : rows)
            added.push_back(Tessaly::Widen(row.prefix));
        // Rows read from the key mostly come in that order already: one
        // comparison each tells, instead of a sort's many.
        bool sorted = true;
        for (size_t i = 1; sorted && i < added.size(); ++i)
            sorted = CompareInListOrder(added[i - 1], added[i]) < 0;
        if (!sorted) {
            std::sort(order.begin(), order.end(), [&](size_t left, size_t right) {
                int compared = CompareInListOrder(added[left], added[right]);
                return compared < 0 || (compared == 0 && left > right);
            });
        }
        names.insert(names.end(), added.begin(), added.end());
    }
    // Inserted at their places without the sort style and with drawing off,
    // each insert is a few microseconds instead of most of one.
    SendMessage(WM_SETREDRAW, FALSE);
    LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style & ~LVS_SORTASCENDING);
    std::vector<std::string> placed;  // every row's prefix, in the control's order
    placed.reserve(names.size());
    size_t next = 0;
    for (size_t i : order) {
        while (next < existing && CompareInListOrder(names[next], names[existing + i]) < 0)
            placed.push_back(existingNames[next++]);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(placed.size());
        item.pszText = const_cast<char*>(static_cast<const char*>(rows[i].prefix));  // only read
        if (InsertItem(item) == -1)
            continue;
        SetItemText(item.iItem, kUrlColumn, rows[i].url);
        placed.push_back(static_cast<const char*>(rows[i].prefix));
    }
    while (next < existing)
        placed.push_back(existingNames[next++]);
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    m_rowOf.clear();
    m_rowOf.reserve(placed.size());
    for (size_t item = 0; item < placed.size(); ++item)
        m_rowOf.emplace(std::move(placed[item]), static_cast<int>(item));
}

int CPrefixListCtrl::AddOrUpdatePrefixes(const std::vector<Row>& rows)
{
    return AddOrUpdateRows(rows, true);
}

int CPrefixListCtrl::AddOrUpdateRows(const std::vector<Row>& rows, bool byUser)
{
    std::vector<Row> added;
    std::unordered_map<std::string, size_t> addedAt;
    int taken = 0;
    for (const Row& row : rows) {
        CString upper;
        if (!byUser)
            upper = CPrefixRules::Shown(row.prefix);
        else if (MakeRow(row.prefix, row.url, upper) != CPrefixRules::kPrefix)
            continue;
        ++taken;
        if (byUser)
            m_store.Stored().Set(upper, row.url);
        int item = FindPrefix(upper);
        if (item != -1) {
            SetItemText(item, kUrlColumn, row.url);
            continue;
        }
        auto at = addedAt.emplace(static_cast<const char*>(upper), added.size());
        if (at.second)
            added.push_back({upper, row.url});
        else
            added[at.first->second].url = row.url;  // the later one, as an update
    }
    if (taken != 0)
        m_bModified = true;
    if (!added.empty())
        InsertInOrder(added);
    return taken;
}

CPrefixListCtrl::Row CPrefixListCtrl::GetRow(int item) const
{
    return {GetItemText(item, kPrefixColumn), GetItemText(item, kUrlColumn)};
}

std::vector<CPrefixListCtrl::Row> CPrefixListCtrl::GetRows() const
{
    std::vector<Row> rows;
    for (int item = 0; item < GetItemCount(); ++item)
        rows.push_back(GetRow(item));
    return rows;
}

CString CPrefixListCtrl::GetUrl(const char* prefix) const
{
    int item = FindPrefix(prefix);
    return item == -1 ? CString() : GetItemText(item, kUrlColumn);
}

bool CPrefixListCtrl::WouldChange(const char* prefix, const char* url) const
{
    int item = FindPrefix(prefix);
    const CString now = item == -1 ? CString() : GetItemText(item, kUrlColumn);
    return CPrefixRules::Changes(item == -1 ? nullptr : &now, url);
}

CPrefixRules::Verdict CPrefixListCtrl::Judge(const char* prefix, const char* url) const
{
    CString upper;
    return MakeRow(prefix, url, upper);
}

CPrefixRules::Verdict CPrefixListCtrl::MakeRow(const char* prefix, const char* url, CString& upper) const
{
    return CPrefixRules::MakeRow(prefix, url, [this](const CString& name) { return FindPrefix(name) != -1; },
                                 upper);
}

bool CPrefixListCtrl::AddOrUpdatePrefix(const char* prefix, const char* url)
{
    int item = AddOrUpdateRow(prefix, url);
    if (item != -1)
        m_store.Stored().Set(GetItemText(item, kPrefixColumn), url);
    return item != -1;
}

int CPrefixListCtrl::AddOrUpdateRow(const char* prefix, const char* url)
{
    CString upper;
    return MakeRow(prefix, url, upper) == CPrefixRules::kPrefix ? SetRow(upper, url) : -1;
}

int CPrefixListCtrl::SetRow(const char* upper, const char* url)
{
    int item = FindPrefix(upper);
    if (item == -1) {
        LVITEMA row = {};
        row.mask = LVIF_TEXT | LVIF_STATE;
        row.iItem = 0;  // the sorted control moves it to its place
        row.state = 0;
        row.stateMask = LVIS_SELECTED;
        row.pszText = const_cast<char*>(upper);  // only read
        item = InsertItem(row);
        if (item == -1)
            return -1;
        IndexInsertedRow(item, upper);
    }
    SetItemText(item, kUrlColumn, url);
    m_bModified = true;
    return item;
}

void CPrefixListCtrl::RenamePrefix(int item, const char* newPrefix)
{
    if (item < 0 || item >= GetItemCount())
        return;
    CString upper;
    CPrefixRules::Verdict verdict = CPrefixRules::MakeName(newPrefix, upper);
    CString old = GetItemText(item, kPrefixColumn);
    if (verdict != CPrefixRules::kPrefix || upper == old || FindPrefix(upper) != -1)
        return;

    SetItemText(item, kPrefixColumn, upper);
    // The control keeps a text it compares equal to the new one (CompareInListOrder):
    // the index follows what the row holds.
    CString now = GetItemText(item, kPrefixColumn);
    if (now != old) {
        m_rowOf.erase(static_cast<const char*>(old));
        m_rowOf[static_cast<const char*>(now)] = item;
    }
    Row uncovered = m_store.Stored().Rename(old, now, GetItemText(item, kUrlColumn));
    // Deselecting and reselecting raises two item-changed notifications, so
    // the dialog refills its fields with the new prefix.
    SetItemState(item, 0, LVIS_SELECTED);
    SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    ShowUncovered(uncovered);
    m_bModified = true;
}

void CPrefixListCtrl::ShowUncovered(const Row& stored)
{
    if (!stored.prefix.IsEmpty())
        AddOrUpdateRows({stored}, false);
}

void CPrefixListCtrl::RemovePrefix(const char* prefix)
{
    CString upper = UpperCasePrefix(prefix);
    if (!RemoveRow(upper))
        return;
    ShowUncovered(m_store.Stored().Remove(upper));
    m_bModified = true;
}

bool CPrefixListCtrl::RemoveRow(const char* prefix)
{
    int item = FindPrefix(prefix);
    if (item == -1 || !DeleteItem(item))
        return false;
    IndexRemovedRow(item, prefix);
    return true;
}

void CPrefixListCtrl::ShowReport(const CPrefixStore::Report& report) const
{
    for (const std::string& message : CReportText::Messages(report))
        MessageBox(message.c_str(), LoadText(IDS_ERROR), MB_OK | MB_ICONHAND);
}

void CPrefixListCtrl::ApplyUpdate(const CStoredPrefixes::Update& update)
{
    AddOrUpdateRows(update.set, false);
    for (const CString& prefix : update.removed)
        RemoveRow(prefix);
}

void CPrefixListCtrl::LoadPrefixes()
{
    std::vector<Row> rows;
    CPrefixStore::Report report = m_store.Load(rows);
    AddOrUpdateRows(rows, false);
    ShowReport(report);
    // What was passed over is not in the table: nothing there differs from
    // what could be read.
    if (report.walked)
        m_bModified = false;
}

bool CPrefixListCtrl::RefreshPrefixes()
{
    CStoredPrefixes::Update update;
    if (!m_store.Refresh(update))
        return false;
    bool modified = m_bModified;
    ApplyUpdate(update);
    m_bModified = modified;
    return true;
}

void CPrefixListCtrl::AddDefaultPrefixes()
{
    CSearchUrlCatalog catalog;
    for (const DefaultPrefix& entry : kDefaults)
        AddOrUpdatePrefix(entry.prefix, catalog.Lookup(entry.catalogLabel));
}

bool CPrefixListCtrl::SavePrefixes()
{
    if (DWORD error = m_backups.BeforeFirstSave())
        MessageBox(CPrefixBackups::FailureText(error).c_str(), LoadText(IDS_ERROR), MB_OK | MB_ICONWARNING);
    CPrefixStore::Report report = m_store.Save();
    ShowReport(report);
    // After a failure the key does not hold the table: Apply stays enabled.
    m_bModified = !report.failures.empty();
    return report.failures.empty();
}
