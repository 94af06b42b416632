#pragma once

#include <string>
#include <vector>

#include <windows.h>

// A file handle, closed on every way out.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // False when closing failed, which for a file written may mean lost data.
    bool Close()
    {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle);
    }

private:
    HANDLE m_handle;
};

// What a search pattern (a folder and wildcards) finds, "." and ".." too.
inline std::vector<WIN32_FIND_DATAW> FindFiles(const std::wstring& pattern)
{
    std::vector<WIN32_FIND_DATAW> files;
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do
        files.push_back(found);
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return files;
}
