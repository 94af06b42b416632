#include "framework/Dialog.h"

#include "framework/CmdUI.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_BN_CLICKED(IDOK, OnOK)
    ON_BN_CLICKED(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// Messages whose answer is the dialog procedure's own return value rather
// than the DWLP_MSGRESULT slot.
bool AnswersDirectly(UINT message)
{
    switch (message) {
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

bool IsPushButton(HWND control)
{
    LRESULT code = ::SendMessageA(control, WM_GETDLGCODE, 0, 0);
    return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

} // namespace

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent)
{
}

CDialog::~CDialog()
{
    if (m_hWnd == nullptr)
        return;
    // The derived parts are gone: the window must not reach them any more.
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
}

bool CDialog::Create()
{
    HWND window = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                       m_parent, &DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

INT_PTR CDialog::DoModal()
{
    m_ended = false;
    m_result = -1;
    bool parentEnabled = m_parent != nullptr && ::IsWindowEnabled(m_parent);
    if (parentEnabled)
        ::EnableWindow(m_parent, FALSE);
    m_modal = true;
    if (Create()) {
        // As the dialog manager does for a modal box: shown once initialised,
        // whether or not its template says visible, unless it ended there.
        if (!m_ended)
            ::ShowWindow(m_hWnd, SW_SHOW);
        while (!m_ended && RunLoopOnce(INFINITE)) {
        }
    }
    m_modal = false;
    // The owner first, so that activation returns to it when the box goes.
    if (parentEnabled)
        ::EnableWindow(m_parent, TRUE);
    if (m_hWnd != nullptr) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        ::DestroyWindow(m_hWnd);
    }
    return m_result;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    if (!m_modal)  // the modal loop hides it once its owner is enabled again
        ::ShowWindow(m_hWnd, SW_HIDE);
}

void CDialog::ProcessMessage(MSG& message)
{
    if (PreTranslateMessage(&message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

bool CDialog::RunLoopOnce(DWORD timeout)
{
    MSG message;
    while (!m_ended && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        ProcessMessage(message);
    }
    if (m_ended)
        return true;
    // Wakes for any message that came after the queue was emptied.
    DWORD events = m_loopEvent != nullptr ? 1 : 0;
    DWORD woke = ::MsgWaitForMultipleObjects(events, &m_loopEvent, FALSE, timeout, QS_ALLINPUT);
    if (events != 0 && woke == WAIT_OBJECT_0)
        OnLoopEvent();
    return true;
}

bool CDialog::PreTranslateMessage(MSG* message)
{
    // Keyboard navigation, the default button, Escape; messages for other
    // windows go on to ordinary dispatch.
    return ::IsDialogMessageA(m_hWnd, message) != FALSE;
}

void CDialog::UpdateDialogControls(CCmdTarget* target, bool disableIfNoHandler)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id == 0 || id == 0xFFFF)
            continue;  // unnamed statics
        CCmdUI update(id, CWnd(child));
        if (target->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &update))
            continue;
        bool hasCommandHandler = target->FindMessageEntry(WM_COMMAND, BN_CLICKED, id) != nullptr;
        if (disableIfNoHandler && !hasCommandHandler && IsPushButton(child))
            update.Enable(false);
    }
}

LRESULT CDialog::Default()
{
    return ::DefWindowProcA(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

bool CDialog::IsIconic() const
{
    return ::IsIconic(m_hWnd) != FALSE;
}

bool CDialog::OnInitDialog()
{
    CDataExchange exchange(*this);
    DoDataExchange(&exchange);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnLoopEvent()
{
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;
    if (message == WM_NCDESTROY) {
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG previous = m_current;  // handlers may send messages that come back here
    m_current = {m_hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    bool handled = OnWndMsg(message, wParam, lParam, &result);
    m_current = previous;
    if (!handled)
        return FALSE;
    if (AnswersDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
