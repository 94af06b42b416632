#include "framework/Icon.h"

CIcon::CIcon(UINT resourceId, int widthMetric, int heightMetric)
    : m_hIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                              MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                              ::GetSystemMetrics(widthMetric),
                                              ::GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR)))
{
}

CIcon::~CIcon()
{
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

void CIcon::PaintCentred(HWND window) const
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    ::SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(window, &client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(window, &paint);
}
