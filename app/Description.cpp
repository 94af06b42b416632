#include "app/Description.h"

#include "res/resource.h"

const int CDescription::kOnlineButton = IDC_ONLINE;

CString CDescription::For(HWND focus, HWND prefixEdit, HWND urlCombo, int code)
{
    UINT id = IDS_DESCRIPTION_GENERAL;
    if (code == kOnlineButton)
        id = IDS_DESCRIPTION_ONLINE;
    else if (focus != nullptr && focus == prefixEdit)
        id = IDS_DESCRIPTION_PREFIX;
    else if (focus != nullptr && ::GetParent(focus) == urlCombo)  // the combo box's own edit box
        id = IDS_DESCRIPTION_URL;
    return LoadText(id);
}

void CDescription::Show(CWnd box, const CString& text)
{
    if (box.m_hWnd != nullptr && box.GetWindowText() != text)
        box.SetWindowText(text);
}
