#pragma once

#include "framework/DataExchange.h"
#include "framework/Wnd.h"

// A dialog box made from a template in the program's resources. Its
// messages go through the event table; a message with no row gets the
// dialog manager's default handling (so Cancel, Escape and the close box end
// the dialog through OnCancel).
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Shows the dialog, with its owner disabled, and runs its own message
    // loop until EndDialog; returns, once the dialog is gone, the value given
    // to EndDialog, or -1 if it could not be shown.
    INT_PTR DoModal();
    // Creates the dialog without a loop of its own; the caller pumps
    // messages through ProcessMessage. For driving a live dialog in tests.
    bool Create();
    void EndDialog(int result);
    bool HasEnded() const { return m_ended; }
    int GetResult() const { return m_result; }

    // One message of the loop: pre-translation first, then the usual
    // translation and dispatch if it was not taken.
    void ProcessMessage(MSG& message);
    // One turn of the modal loop: every message waiting, then a wait of at
    // most `timeout` ms for the next one or for the loop event, whose
    // handler runs then. False once WM_QUIT has come; it is posted again
    // for the loop outside.
    bool RunLoopOnce(DWORD timeout);
    // An event the modal loop waits on besides messages, or null for none.
    void SetLoopEvent(HANDLE event) { m_loopEvent = event; }
    virtual bool PreTranslateMessage(MSG* message);

    // The command-update pass over the dialog's controls: each control's
    // update handler in `target` runs; a push button with neither an update
    // nor a command handler is disabled when asked.
    void UpdateDialogControls(CCmdTarget* target, bool disableIfNoHandler);

    // The dialog manager's default handling of the message being handled.
    LRESULT Default();
    bool IsIconic() const;

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    virtual void OnOK();
    virtual void OnCancel();
    // The loop event has been set; runs between messages, never inside a
    // handler and never in a modal loop other than this dialog's.
    virtual void OnLoopEvent();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_parent;
    bool m_modal = false;  // inside DoModal's loop
    bool m_ended = false;
    int m_result = -1;
    HANDLE m_loopEvent = nullptr;
    MSG m_current = {};  // the message being handled, for Default
};
