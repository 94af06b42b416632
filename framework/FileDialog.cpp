#include "framework/FileDialog.h"

#include <algorithm>

namespace {

// Room for a long path in UTF-8.
const size_t kPathRoom = 32768;

} // namespace

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                         DWORD flags, const char* filter, HWND parent)
    : m_open(openFileDialog), m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_filter(filter ? filter : ""), m_path(kPathRoom, '\0')
{
    std::replace(m_filter.begin(), m_filter.end(), '|', '\0');
    if (fileName != nullptr)
        m_path.assign(fileName, fileName + std::min(std::char_traits<char>::length(fileName),
                                                    kPathRoom - 1));
    m_path.resize(kPathRoom, '\0');
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.lpstrFile = m_path.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_path.size());
    m_ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY;
}

INT_PTR CFileDialog::DoModal()
{
    BOOL chosen = m_open ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
