#include "framework/CmdUI.h"

void CCmdUI::Enable(bool enable)
{
    if (m_other.IsWindowEnabled() != enable)
        m_other.EnableWindow(enable);
}

void CCmdUI::SetText(const char* text)
{
    CString current;
    m_other.GetWindowText(current);
    if (current != text)
        m_other.SetWindowText(text);
}
