#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

#include <string>

// A list-view control, driven by its ANSI messages.
class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)

public:
    DWORD GetExtendedStyle() const;
    void SetExtendedStyle(DWORD style);
    int InsertColumn(int column, const char* heading, int format, int width);
    // With the width in pixels at 96 DPI, as wide on every screen.
    int InsertColumnAt96Dpi(int column, const char* heading, int format, int width);

    int GetItemCount() const;
    int GetSelectedCount() const;
    // The first item after `start` (-1: from the top) with the LVNI_ flags, or -1.
    int GetNextItem(int start, UINT flags) const;
    // The rectangle of part of an item (LVIR_ flags), in client coordinates.
    bool GetItemRect(int item, RECT* rect, UINT code) const;
    bool EnsureVisible(int item);
    // Starts in-place editing of an item's label; the control must have the focus.
    void EditLabel(int item);
    // The edit box of the label being edited, or null.
    HWND GetEditControl() const;
    // Any length; the text is read again with more room until it fits.
    CString GetItemText(int item, int subItem) const;
    // The index where the control placed the item, or -1.
    int InsertItem(const LVITEMA& item);
    bool SetItemText(int item, int subItem, const char* text);
    bool SetItemState(int item, UINT state, UINT stateMask);
    // The check box of an item, with LVS_EX_CHECKBOXES.
    bool GetCheck(int item) const;
    bool SetCheck(int item, bool checked);
    bool DeleteItem(int item);

    DECLARE_MESSAGE_MAP()
};
