#include "framework/Dialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

// The main dialog's template with no handlers of its own.
class BareDialog : public CDialog {
public:
    BareDialog() : CDialog(IDD_MAIN) {}

    bool PreTranslateMessage(MSG* message) override
    {
        ++m_pretranslated;
        return CDialog::PreTranslateMessage(message);
    }

    int m_pretranslated = 0;
};

void CALLBACK PressEscape(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = ::FindWindowA(nullptr, "Quillory");
    if (dialog != nullptr)
        ::PostMessageA(::GetDlgItem(dialog, IDC_PREFIX_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
}

} // namespace

TEST(DialogUpdatePass, DisablesOnlyPushButtonsWithoutAnyHandler)
{
    ::InitCommonControls();
    BareDialog dialog;
    ASSERT_TRUE(dialog.Create());
    for (int id : {IDC_ADD, IDC_REMOVE})
        ::EnableWindow(::GetDlgItem(dialog.m_hWnd, id), TRUE);

    dialog.UpdateDialogControls(&dialog, false);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_ADD)));

    dialog.UpdateDialogControls(&dialog, true);
    for (int id : {IDC_ADD, IDC_REMOVE, IDC_APPLY, IDC_ONLINE})
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, id))) << id;
    // OK and Cancel have the dialog class's own handlers; the rest are no buttons.
    for (int id : {IDOK, IDCANCEL, IDC_PREFIX_LIST, IDC_PREFIX_EDIT, IDC_URL_COMBO})
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, id))) << id;
}

TEST(DialogModalLoop, PreTranslatesEveryMessageAndEndsOnEscape)
{
    ::InitCommonControls();
    BareDialog dialog;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &PressEscape);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ::KillTimer(nullptr, timer);
    EXPECT_GT(dialog.m_pretranslated, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // destroyed when the loop ended
}
