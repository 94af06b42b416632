#include "framework/DataExchange.h"

#include "framework/Wnd.h"

void DDX_Control(CDataExchange* exchange, int id, CWnd& control)
{
    if (control.m_hWnd == nullptr)
        control.Attach(::GetDlgItem(exchange->m_dialog.m_hWnd, id));
}
