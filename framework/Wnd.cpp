#include "framework/Wnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

bool CWnd::Attach(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr)
        return false;
    m_hWnd = hWnd;
    return true;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
}

void CWnd::SetWindowText(const char* text)
{
    ::SetWindowTextA(m_hWnd, text);
}

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    int copied = ::GetWindowTextA(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer(copied);
}

CString CWnd::GetWindowText() const
{
    CString text;
    GetWindowText(text);
    return text;
}

bool CWnd::EnableWindow(bool enable)
{
    return ::EnableWindow(m_hWnd, enable) != FALSE;
}

bool CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd) != FALSE;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT style) const
{
    return ::MessageBoxA(m_hWnd, text, caption, style);
}

int CWnd::GetDpi() const
{
    // Windows 10 1607 and later draw each window at its monitor's DPI;
    // before, every window has the system's.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr)
        return static_cast<int>(getDpiForWindow(m_hWnd));
    HDC dc = ::GetDC(m_hWnd);
    int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(m_hWnd, dc);
    return dpi;
}

void CWnd::CenterWindow()
{
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(owner != nullptr ? owner : m_hWnd,
                                          MONITOR_DEFAULTTONEAREST),
                      &monitor);
    RECT area = monitor.rcWork;
    RECT around = area;
    if (owner != nullptr)
        ::GetWindowRect(owner, &around);
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int left = (around.left + around.right - width) / 2;
    int top = (around.top + around.bottom - height) / 2;
    left = std::max<int>(area.left, std::min<int>(left, area.right - width));
    top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd CWnd::GetDlgItem(int id) const
{
    return CWnd(::GetDlgItem(m_hWnd, id));
}

CWnd CWnd::GetParent() const
{
    return CWnd(::GetParent(m_hWnd));
}

CWnd CWnd::GetFocus()
{
    return CWnd(::GetFocus());
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* entry = nullptr;
    if (message == WM_COMMAND) {
        entry = FindMessageEntry(message, HIWORD(wParam), LOWORD(wParam));
    } else if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        entry = FindMessageEntry(message, header->code, static_cast<UINT>(header->idFrom));
    } else {
        entry = FindMessageEntry(message, 0, 0);
    }
    if (entry == nullptr)
        return false;
    *result = entry->pfn(this, wParam, lParam);
    return true;
}
