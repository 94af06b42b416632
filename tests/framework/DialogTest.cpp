#include "framework/Dialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

// One of the program's templates with no handlers of its own.
class BareDialog : public CDialog {
public:
    explicit BareDialog(UINT templateId = IDD_MAIN, HWND parent = nullptr)
        : CDialog(templateId, parent) {}

    bool PreTranslateMessage(MSG* message) override
    {
        ++m_pretranslated;
        return CDialog::PreTranslateMessage(message);
    }

    int m_pretranslated = 0;
};

HWND s_owner = nullptr;
bool s_shownOverDisabledOwner = false;

void CALLBACK PressEscape(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = ::FindWindowA(nullptr, "About Quillory");  // finds a hidden one too
    if (dialog == nullptr)
        return;
    s_shownOverDisabledOwner = ::IsWindowVisible(dialog) && !::IsWindowEnabled(s_owner) &&
                               ::GetWindow(dialog, GW_OWNER) == s_owner;
    ::PostMessageA(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
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

// A template that is not visible by itself is shown, over its disabled
// owner, and gone when DoModal returns, with the owner enabled again.
TEST(DialogModalLoop, ShowsTheDialogOverItsDisabledOwnerAndEndsOnEscape)
{
    ::InitCommonControls();
    s_owner = ::CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                300, nullptr, nullptr, nullptr, nullptr);
    BareDialog dialog(IDD_ABOUTBOX, s_owner);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &PressEscape);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(s_shownOverDisabledOwner);
    EXPECT_TRUE(::IsWindowEnabled(s_owner));
    EXPECT_GT(dialog.m_pretranslated, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // destroyed when the loop ended
    ::DestroyWindow(s_owner);
}
