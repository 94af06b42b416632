#pragma once

class CWnd;

// Carries a dialog's data exchange: binding its controls to member objects.
class CDataExchange {
public:
    explicit CDataExchange(CWnd& dialog) : m_dialog(dialog) {}
    CWnd& m_dialog;
};

// Binds control `id` of the dialog to `control`, once.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
