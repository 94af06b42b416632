#pragma once

#include "text/String.h"

#include <string>
#include <vector>

#include <windows.h>
#include <commdlg.h>

// The system's Open and Save As dialogs. The filter is written as pairs of
// "label|pattern|", as in MFC.
class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                DWORD flags, const char* filter, HWND parent);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK once the user chose a file; IDCANCEL when cancelled or when the
    // dialog could not be shown.
    INT_PTR DoModal();
    CString GetPathName() const { return m_path.data(); }
    // The file type chosen, counted from 1 in the filter's order.
    int GetFilterIndex() const { return static_cast<int>(m_ofn.nFilterIndex); }

private:
    bool m_open;
    std::string m_defaultExtension;
    std::string m_filter;
    std::vector<char> m_path;
    OPENFILENAMEA m_ofn = {};
};
