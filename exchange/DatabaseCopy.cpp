#include "exchange/DatabaseCopy.h"

#include "exchange/FileHandle.h"

#include <vector>

namespace {

DWORD CopyBytes(const std::wstring& from, const std::wstring& to)
{
    // The browser keeps writing while it runs; reading beside it is all it allows.
    CFileHandle source(::CreateFileW(from.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid())
        return ::GetLastError();
    CFileHandle target(::CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!target.IsValid())
        return ::GetLastError();
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr))
            return ::GetLastError();
        if (read == 0)
            return target.Close() ? 0 : ::GetLastError();
        DWORD written = 0;
        if (!::WriteFile(target.Get(), buffer.data(), read, &written, nullptr) || written != read)
            return ::GetLastError() != 0 ? ::GetLastError() : ERROR_WRITE_FAULT;
    }
}

} // namespace

CDatabaseCopy::~CDatabaseCopy()
{
    Remove();
}

DWORD CDatabaseCopy::Make(const std::wstring& database)
{
    Remove();
    static LONG made = 0;
    WCHAR temporary[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temporary) == 0)
        return ::GetLastError();
    // A folder of the same name may be left by a process that had this id
    // before and did not end well.
    std::wstring folder;
    for (int attempt = 0; folder.empty(); ++attempt) {
        std::wstring name = std::wstring(temporary) + L"quillory-" +
                            std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(::InterlockedIncrement(&made));
        if (::CreateDirectoryW(name.c_str(), nullptr))
            folder = name;
        else if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100)
            return ::GetLastError();
    }
    m_folder = folder;
    if (DWORD error = CopyBytes(database, Path()))
        return error;
    // The companions exist only while they hold something, or in some modes.
    for (const wchar_t* companion : {L"-wal", L"-journal"}) {
        DWORD error = CopyBytes(database + companion, Path() + companion);
        if (error != 0 && error != ERROR_FILE_NOT_FOUND)
            return error;
    }
    return 0;
}

void CDatabaseCopy::Remove()
{
    if (m_folder.empty())
        return;
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW((m_folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                ::DeleteFileW((m_folder + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(m_folder.c_str());
    m_folder.clear();
}
