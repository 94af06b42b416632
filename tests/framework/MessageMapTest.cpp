#include "framework/CmdUI.h"
#include "framework/ListCtrl.h"
#include "framework/Wnd.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

class BaseWindow : public CWnd {
public:
    std::vector<std::string> calls;

protected:
    void OnClick() { calls.push_back("base click"); }
    void OnOther() { calls.push_back("base other"); }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam)
    {
        calls.push_back("private");
        return static_cast<LRESULT>(wParam + lParam);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWindow, CWnd)
    ON_BN_CLICKED(10, OnClick)
    ON_BN_CLICKED(11, OnOther)
    ON_MESSAGE(WM_APP + 1, OnPrivate)
END_MESSAGE_MAP()

class DerivedWindow : public BaseWindow {
private:
    void OnClick() { calls.push_back("derived click"); }
    void OnChanged(NMHDR* header, LRESULT* result)
    {
        calls.push_back("changed " + std::to_string(header->idFrom));
        *result = 7;
    }
    void OnUpdate(CCmdUI* update) { calls.push_back("update " + std::to_string(update->m_nID)); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWindow, BaseWindow)
    ON_BN_CLICKED(10, OnClick)
    ON_NOTIFY(LVN_ITEMCHANGED, 1000, OnChanged)
    ON_UPDATE_COMMAND_UI(3, OnUpdate)
END_MESSAGE_MAP()

LRESULT Send(CWnd& window, UINT message, WPARAM wParam, LPARAM lParam, bool* handled)
{
    LRESULT result = -1;
    *handled = window.OnWndMsg(message, wParam, lParam, &result);
    return result;
}

} // namespace

TEST(EventTable, TheDerivedRowWinsAndTheBaseTableAnswersTheRest)
{
    DerivedWindow window;
    bool handled = false;
    Send(window, WM_COMMAND, MAKEWPARAM(10, BN_CLICKED), 0, &handled);
    EXPECT_TRUE(handled);
    Send(window, WM_COMMAND, MAKEWPARAM(11, BN_CLICKED), 0, &handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Send(window, WM_APP + 1, 2, 3, &handled), 5);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"derived click", "base other", "private"}));
}

TEST(EventTable, NotificationsMatchTheirCodeAndControl)
{
    DerivedWindow window;
    NMHDR header = {nullptr, 1000, LVN_ITEMCHANGED};
    bool handled = false;
    EXPECT_EQ(Send(window, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&header), &handled), 7);
    EXPECT_TRUE(handled);

    header.idFrom = 1001;
    Send(window, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&header), &handled);
    EXPECT_FALSE(handled);
    Send(window, WM_COMMAND, MAKEWPARAM(10, EN_SETFOCUS), 0, &handled);
    EXPECT_FALSE(handled);
    Send(window, WM_APP + 2, 0, 0, &handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"changed 1000"}));
}

TEST(EventTable, CommandUpdateRequestsReachOnlyTheirRows)
{
    DerivedWindow window;
    CCmdUI update(3, CWnd());
    EXPECT_TRUE(window.OnCmdMsg(3, CN_UPDATE_COMMAND_UI, &update));
    CCmdUI other(1002, CWnd());
    EXPECT_FALSE(window.OnCmdMsg(1002, CN_UPDATE_COMMAND_UI, &other));
    EXPECT_TRUE(window.OnCmdMsg(10, BN_CLICKED, nullptr));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"update 3", "derived click"}));
}

TEST(CommandUpdate, EnablesAndCaptionsItsControl)
{
    HWND button = ::CreateWindowExA(0, "BUTTON", "Add", WS_POPUP | BS_PUSHBUTTON, 0, 0, 50, 20,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    CCmdUI update(1002, CWnd(button));
    update.Enable(false);
    EXPECT_FALSE(::IsWindowEnabled(button));
    update.SetText("Update");
    char caption[16] = {};
    ::GetWindowTextA(button, caption, sizeof caption);
    EXPECT_STREQ(caption, "Update");
    ::DestroyWindow(button);
}

// A window class knows its name and its base, as MFC's runtime classes do.
TEST(RuntimeClass, NamesTheClassAndItsBase)
{
    CListCtrl list;
    const CRuntimeClass* runtimeClass = list.GetRuntimeClass();
    EXPECT_STREQ(runtimeClass->m_lpszClassName, "CListCtrl");
    EXPECT_EQ(runtimeClass->m_pBaseClass, RUNTIME_CLASS(CWnd));
    EXPECT_TRUE(list.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(CWnd().IsKindOf(RUNTIME_CLASS(CListCtrl)));
}
