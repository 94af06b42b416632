#pragma once

#include "framework/Wnd.h"

// One control's command-update request: the handler that answers it sets
// the control's enabled state and text through this object.
class CCmdUI {
public:
    CCmdUI(UINT id, CWnd control) : m_nID(id), m_other(control) {}

    void Enable(bool enable = true);
    // Writes the text only when it differs, so the control does not flicker.
    void SetText(const char* text);

    UINT m_nID;
    CWnd m_other;  // the control being updated
};
