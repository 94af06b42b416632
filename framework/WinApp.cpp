#include "framework/WinApp.h"

#include <windows.h>

CWinApp* CWinApp::s_app = nullptr;

CWinApp::CWinApp()
{
    s_app = this;
}

CWinApp::~CWinApp()
{
    s_app = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

// The program's entry point; it lives here, beside the application class,
// so that linking the application object brings it in.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* app = CWinApp::Get();
    if (app == nullptr)
        return 1;
    app->InitInstance();
    return 0;
}
