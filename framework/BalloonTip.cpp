#include "framework/BalloonTip.h"

#include <commctrl.h>

namespace {

TTTOOLINFOA ToolOf(HWND field, const char* text)
{
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = field;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = const_cast<char*>(text);  // only read
    return tool;
}

} // namespace

CBalloonTip::~CBalloonTip()
{
    if (::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CBalloonTip::Show(const CWnd& field, const char* text)
{
    TTTOOLINFOA tool = ToolOf(field.m_hWnd, text);
    if (!::IsWindow(m_hWnd)) {
        // Owned by the field's dialog, which takes it along when it goes;
        // made again for a dialog made again.
        m_text.clear();
        m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                   field.m_hWnd, nullptr, nullptr, nullptr);
        ::SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        // Long reasons wrap, as wide on every screen.
        ::SendMessageA(m_hWnd, TTM_SETMAXTIPWIDTH, 0, ::MulDiv(300, field.GetDpi(), 96));
        m_field = field.m_hWnd;
    } else if (m_text == text) {
        return;
    }
    ::SendMessageA(m_hWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    RECT box = {};
    ::GetWindowRect(field.m_hWnd, &box);
    ::SendMessageA(m_hWnd, TTM_TRACKPOSITION, 0, MAKELPARAM((box.left + box.right) / 2, box.bottom));
    ::SendMessageA(m_hWnd, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    m_text = text;
}

void CBalloonTip::Hide()
{
    if (m_text.empty() || !::IsWindow(m_hWnd))
        return;
    TTTOOLINFOA tool = ToolOf(m_field, "");
    ::SendMessageA(m_hWnd, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    m_text.clear();
}
