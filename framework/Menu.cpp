#include "framework/Menu.h"

#include "text/String.h"

CMenu::~CMenu()
{
    if (m_hMenu != nullptr)
        ::DestroyMenu(m_hMenu);
}

bool CMenu::LoadMenu(UINT resourceId)
{
    if (m_hMenu != nullptr)
        return false;
    m_hMenu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
    return m_hMenu != nullptr;
}

HMENU CMenu::GetSubMenu(int position) const
{
    return m_hMenu != nullptr ? ::GetSubMenu(m_hMenu, position) : nullptr;
}

void CMenu::AppendString(HMENU menu, UINT command, UINT textId)
{
    CString text = LoadText(textId);
    if (!text.IsEmpty())
        ::AppendMenuA(menu, MF_STRING, command, text);
}
