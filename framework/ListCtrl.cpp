#include "framework/ListCtrl.h"

#include "registry/ProcessCodePage.h"

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

int CListCtrl::InsertColumnAt96Dpi(int column, const char* heading, int format, int width)
{
    return InsertColumn(column, heading, format, ::MulDiv(width, GetDpi(), 96));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

int CListCtrl::GetSelectedCount() const
{
    return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT));
}

int CListCtrl::GetNextItem(int start, UINT flags) const
{
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
}

void CListCtrl::EditLabel(int item)
{
    SendMessage(LVM_EDITLABELA, item);
}

HWND CListCtrl::GetEditControl() const
{
    return reinterpret_cast<HWND>(SendMessage(LVM_GETEDITCONTROL));
}

bool CListCtrl::GetItemRect(int item, RECT* rect, UINT code) const
{
    rect->left = static_cast<LONG>(code);
    return SendMessage(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(rect)) != 0;
}

bool CListCtrl::EnsureVisible(int item)
{
    return SendMessage(LVM_ENSUREVISIBLE, item, FALSE) != 0;
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    // A text cut short ends at a character boundary, which in a multi-byte
    // code page may lie up to one character before the end of the room: only
    // a text that left room for one more character of any size is whole.
    const int slack = static_cast<int>(Tessaly::MaxBytesPerCharacter());
    CString text;
    LVITEMA request = {};
    request.iSubItem = subItem;
    for (int room = 256;; room *= 2) {
        request.cchTextMax = room;
        // The buffer keeps a zero of its own after the room, for a control
        // that fills the room without one.
        request.pszText = text.GetBuffer(room);
        int length = static_cast<int>(
            SendMessage(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request)));
        if (length < room - slack) {
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

bool CListCtrl::GetCheck(int item) const
{
    LRESULT state = SendMessage(LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;  // image 1 unchecked, 2 checked
}

bool CListCtrl::SetCheck(int item, bool checked)
{
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool CListCtrl::DeleteItem(int item)
{
    return SendMessage(LVM_DELETEITEM, item) != FALSE;
}

