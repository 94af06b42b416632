#include "app/SearchPrefixApp.h"

#include "app/SearchPrefixDlg.h"

#include <commctrl.h>

CSearchPrefixApp theApp;

bool CSearchPrefixApp::InitInstance()
{
    ::InitCommonControls();
    CWinApp::InitInstance();

    CSearchPrefixDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();  // committing happened, or not, inside the dialog
    m_pMainWnd = nullptr;
    return false;
}
