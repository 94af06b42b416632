#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent);

protected:
    bool OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
