#include "prefixes/PrefixListCtrl.h"

#include "prefixes/PrefixCase.h"

#include <vector>

IMPLEMENT_DYNAMIC(CPrefixListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CPrefixListCtrl, CListCtrl)
END_MESSAGE_MAP()

namespace {

const int kLongestKeyName = 255;  // characters

} // namespace

bool CPrefixListCtrl::IsValidPrefix(const char* prefix, UINT codePage)
{
    if (prefix == nullptr || *prefix == '\0')
        return false;
    // Judged on the characters the registry will see: in a double-byte code
    // page a trail byte may have the value of a backslash.
    int length = ::MultiByteToWideChar(codePage, 0, prefix, -1, nullptr, 0) - 1;
    if (length <= 0 || length > kLongestKeyName)
        return false;
    std::vector<WCHAR> wide(static_cast<size_t>(length) + 1);
    ::MultiByteToWideChar(codePage, 0, prefix, -1, wide.data(), length + 1);
    for (WCHAR c : wide) {
        if (c == L'\\')
            return false;
    }
    return true;
}

void CPrefixListCtrl::InitColumns()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    // Widths in pixels at 96 DPI, as wide on every screen.
    int dpi = GetDpi();
    InsertColumn(kPrefixColumn, "Prefix", LVCFMT_LEFT, MulDiv(65, dpi, 96));
    InsertColumn(kUrlColumn, "URL", LVCFMT_LEFT, MulDiv(290, dpi, 96));
    m_bModified = false;
}

int CPrefixListCtrl::FindPrefix(const char* prefix) const
{
    for (int item = 0; item < GetItemCount(); ++item) {
        if (GetItemText(item, kPrefixColumn) == prefix)
            return item;
    }
    return -1;
}

CString CPrefixListCtrl::GetUrl(const char* prefix) const
{
    int item = FindPrefix(prefix);
    return item == -1 ? CString() : GetItemText(item, kUrlColumn);
}

bool CPrefixListCtrl::AddOrUpdatePrefix(const char* prefix, const char* url)
{
    return AddOrUpdateRow(prefix, url) != -1;
}

int CPrefixListCtrl::AddOrUpdateRow(const char* prefix, const char* url)
{
    CString upper = UpperCasePrefix(prefix);
    if (!IsValidPrefix(upper) || url == nullptr || *url == '\0')
        return -1;

    int item = FindPrefix(upper);
    if (item == -1) {
        LVITEMA row = {};
        row.mask = LVIF_TEXT | LVIF_STATE;
        row.iItem = 0;  // the sorted control moves it to its place
        row.state = 0;
        row.stateMask = LVIS_SELECTED;
        row.pszText = const_cast<char*>(static_cast<const char*>(upper));  // only read
        item = InsertItem(row);
        if (item == -1)
            return -1;
    }
    SetItemText(item, kUrlColumn, url);
    m_bModified = true;
    return item;
}

void CPrefixListCtrl::RenamePrefix(int item, const char* newPrefix)
{
    if (item < 0 || item >= GetItemCount())
        return;
    CString upper = UpperCasePrefix(newPrefix);
    CString old = GetItemText(item, kPrefixColumn);
    if (!IsValidPrefix(upper) || upper == old || FindPrefix(upper) != -1)
        return;

    SetItemText(item, kPrefixColumn, upper);
    // Until a save writes it anew, the prefix stays in the subkey it came from.
    auto renamed = m_renamedFrom.find(static_cast<const char*>(old));
    CString from = renamed != m_renamedFrom.end() ? renamed->second : old;
    if (renamed != m_renamedFrom.end())
        m_renamedFrom.erase(renamed);
    m_renamedFrom[static_cast<const char*>(upper)] = from;
    // Deselecting and reselecting raises two item-changed notifications, so
    // the dialog refills its fields with the new prefix.
    SetItemState(item, 0, LVIS_SELECTED);
    SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    m_bModified = true;
}

void CPrefixListCtrl::RemovePrefix(const char* prefix)
{
    CString upper = UpperCasePrefix(prefix);
    int item = FindPrefix(upper);
    if (item == -1)
        return;
    m_renamedFrom.erase(static_cast<const char*>(upper));
    DeleteItem(item);
    m_bModified = true;
}
