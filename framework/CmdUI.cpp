#include "framework/CmdUI.h"

void CCmdUI::Enable(bool enable)
{
    if (m_other.IsWindowEnabled() == enable)
        return;
    // A disabled control keeps no focus, and the platform passes it on to
    // nothing: keystrokes would go nowhere. The next tab stop takes it.
    if (!enable && CWnd::GetFocus().m_hWnd == m_other.m_hWnd)
        m_other.GetParent().SendMessage(WM_NEXTDLGCTL, 0, FALSE);
    m_other.EnableWindow(enable);
}

void CCmdUI::SetText(const char* text)
{
    CString current;
    m_other.GetWindowText(current);
    if (current != text)
        m_other.SetWindowText(text);
}
