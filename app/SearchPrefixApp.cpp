#include "app/SearchPrefixApp.h"

#include "app/SearchPrefixDlg.h"
#include "app/SingleInstance.h"

#include <commctrl.h>

CSearchPrefixApp theApp;

bool CSearchPrefixApp::InitInstance()
{
    CSingleInstance instance;
    if (!instance.IsFirst()) {
        CSingleInstance::ShowFirst();
        return false;
    }
    ::InitCommonControls();
    CWinApp::InitInstance();

    CSearchPrefixDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();  // committing happened, or not, inside the dialog
    m_pMainWnd = nullptr;
    return false;
}
