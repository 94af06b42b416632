#pragma once

#include "framework/Wnd.h"

// An edit box; the program needs no more of it than its window text.
class CEdit : public CWnd {
};
