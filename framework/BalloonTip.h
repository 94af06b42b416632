#pragma once

#include "framework/Wnd.h"

#include <string>

// A balloon pointing at a field, saying why its text cannot be taken, as
// Windows says it of a file name. The tip window is made when first shown
// and goes with this object or with the field's dialog.
class CBalloonTip {
public:
    CBalloonTip() = default;
    ~CBalloonTip();
    CBalloonTip(const CBalloonTip&) = delete;
    CBalloonTip& operator=(const CBalloonTip&) = delete;

    // Below the field, until hidden; one field only.
    void Show(const CWnd& field, const char* text);
    void Hide();

private:
    HWND m_hWnd = nullptr;
    HWND m_field = nullptr;
    std::string m_text;  // shown now; empty when hidden
};
