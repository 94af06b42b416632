#pragma once

#include "framework/Wnd.h"

// A combo box, driven by its ANSI messages.
class CComboBox : public CWnd {
public:
    // The index of the new list entry, or CB_ERR / CB_ERRSPACE.
    int AddString(const char* text);
};
