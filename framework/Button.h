#pragma once

#include "framework/Wnd.h"

// A push button; its caption and enabled state are those of any window.
class CButton : public CWnd {
};
