#pragma once

#include "framework/WinApp.h"

// Quillory: runs the prefix dialog once, then ends.
class CSearchPrefixApp : public CWinApp {
public:
    bool InitInstance() override;
};
