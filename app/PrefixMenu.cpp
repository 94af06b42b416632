#include "app/PrefixMenu.h"

#include "app/PrefixListCtrl.h"
#include "framework/Menu.h"
#include "prefixes/SearchQuery.h"
#include "res/resource.h"

#include <shellapi.h>

#include <string>

const char CPrefixMenu::kTryQuery[] = "quillory test";

CPrefixMenu::CPrefixMenu(const CWnd& owner, CPrefixListCtrl& list) : m_owner(owner), m_list(list)
{
}

void CPrefixMenu::Track(int row, POINT point) const
{
    if (point.x == -1 && point.y == -1)
        point = KeyboardPoint(row);
    CMenu menu;
    if (!menu.LoadMenu(IDR_PREFIX_MENU))
        return;
    HMENU popup = menu.GetSubMenu(0);
    for (UINT command : {ID_PREFIX_RENAME, ID_PREFIX_REMOVE, ID_PREFIX_TRY_SEARCH})
        ::EnableMenuItem(popup, command, MF_BYCOMMAND | (row == -1 ? MF_GRAYED : MF_ENABLED));
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0,
                     m_owner.m_hWnd, nullptr);
}

POINT CPrefixMenu::KeyboardPoint(int row) const
{
    POINT point = {0, 0};
    RECT label = {};
    if (row != -1 && m_list.EnsureVisible(row) && m_list.GetItemRect(row, &label, LVIR_LABEL))
        point = {label.left, label.bottom};
    ::ClientToScreen(m_list.m_hWnd, &point);
    return point;
}

void CPrefixMenu::TrySearch(int row) const
{
    if (row == -1)
        return;
    CPrefixListCtrl::Row chosen = m_list.GetRow(row);
    CString url = CSearchQuery::Expand(chosen.url, kTryQuery);
    // A URL can come from anywhere, an imported file too: nothing but a web
    // address goes to the shell, which would start a program as readily.
    if (!CSearchQuery::IsWebAddress(url)) {
        m_owner.MessageBox(FormattedText(IDS_NOT_WEB_ADDRESS, chosen.prefix, url).c_str(),
                           LoadText(IDS_APP_TITLE), MB_OK | MB_ICONWARNING);
        return;
    }
    ::ShellExecuteA(m_owner.m_hWnd, "open", url, nullptr, nullptr, SW_SHOW);
}
