#pragma once

#include "framework/CmdTarget.h"

class CWnd;

// The application. The program defines exactly one, as a global object;
// the entry point runs its InitInstance and then exits.
class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns false when the application has nothing more to do.
    virtual bool InitInstance();

    static CWinApp* Get() { return s_app; }

    CWnd* m_pMainWnd = nullptr;

private:
    static CWinApp* s_app;
};
