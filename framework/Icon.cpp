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
