#pragma once

#include "framework/Wnd.h"
#include "text/String.h"

#include <windows.h>

// The texts of the dialog's description box: one for the field in use,
// one for the "Online Resources..." button under the mouse, and one for
// the rest.
class CDescription {
public:
    // The code that asks for the button's text.
    static const int kOnlineButton;

    // For the window with the focus (null: none), given the two fields;
    // code kOnlineButton wins over the focus.
    static CString For(HWND focus, HWND prefixEdit, HWND urlCombo, int code);
    // In the box, when it is there; a text equal to the one shown is not
    // written again, so that it does not flicker.
    static void Show(CWnd box, const CString& text);
};
