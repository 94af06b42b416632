#pragma once

#include "framework/CmdTarget.h"
#include "text/String.h"

#include <windows.h>

// A window, by its handle. The object does not own the window: copies refer
// to the same window, and destroying the object leaves the window alone.
class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND GetSafeHwnd() const { return m_hWnd; }
    // Binds this object to an existing window; false if it is bound already.
    bool Attach(HWND hWnd);
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(const char* text);
    void GetWindowText(CString& text) const;
    CString GetWindowText() const;
    bool EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    // A message box owned by this window; the button chosen (IDOK, ...).
    int MessageBox(const char* text, const char* caption, UINT style) const;

    // The dots per inch the window is drawn at.
    int GetDpi() const;
    // Centres the window on its owner (or, without one, on the work area),
    // kept within the work area of the owner's monitor.
    void CenterWindow();

    // Null windows when there is no such item, focus or parent.
    CWnd GetDlgItem(int id) const;
    CWnd GetParent() const;
    static CWnd GetFocus();

    // Looks the message up in the event table and runs its handler;
    // false when no row matches.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND m_hWnd = nullptr;

    DECLARE_MESSAGE_MAP()
};
