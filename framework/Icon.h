#pragma once

#include <windows.h>

// An icon of the program's resources, in the image for the size the system
// asks for (SM_CXICON, SM_CXSMICON, ...), destroyed with the object.
class CIcon {
public:
    CIcon(UINT resourceId, int widthMetric, int heightMetric);
    ~CIcon();
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;

    // Paints the icon in the middle of a minimised window, as its WM_PAINT.
    void PaintCentred(HWND window) const;

    HICON m_hIcon;
};
