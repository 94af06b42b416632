#include "framework/ListCtrl.h"

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BEGIN_MESSAGE_MAP(CListCtrl, CWnd)
END_MESSAGE_MAP()

DWORD CListCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

void CListCtrl::SetExtendedStyle(DWORD style)
{
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width)
{
    LVCOLUMNA info = {};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    info.fmt = format;
    info.cx = width;
    info.pszText = const_cast<char*>(heading);  // only read by the control
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

int CListCtrl::GetSelectedCount() const
{
    return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT));
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    CString text;
    LVITEMA request = {};
    request.iSubItem = subItem;
    for (int room = 256;; room *= 2) {
        request.cchTextMax = room;
        request.pszText = text.GetBuffer(room - 1);
        int length = static_cast<int>(
            SendMessage(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request)));
        if (length < room - 1) {
            text.ReleaseBuffer(length);
            return text;
        }
    }
}

int CListCtrl::InsertItem(const LVITEMA& item)
{
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int item, int subItem, const char* text)
{
    LVITEMA request = {};
    request.iSubItem = subItem;
    request.pszText = const_cast<char*>(text);  // only read by the control
    return SendMessage(LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request)) != FALSE;
}

bool CListCtrl::SetItemState(int item, UINT state, UINT stateMask)
{
    LVITEMA request = {};
    request.state = state;
    request.stateMask = stateMask;
    return SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&request)) != FALSE;
}

bool CListCtrl::DeleteItem(int item)
{
    return SendMessage(LVM_DELETEITEM, item) != FALSE;
}
