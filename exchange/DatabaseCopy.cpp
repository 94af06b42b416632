#include "exchange/DatabaseCopy.h"

#include "exchange/FileHandle.h"

#include <vector>

namespace {

const wchar_t* const kCompanions[] = {L"-wal", L"-journal"};
const int kCopyAttempts = 3;

std::wstring TemporaryFolder()
{
    WCHAR temporary[MAX_PATH + 1] = {};
    return ::GetTempPathW(MAX_PATH + 1, temporary) != 0 ? temporary : L"";
}

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

// The size and last write of the database and its companions, asked of the
// files themselves: a folder's entry may lag behind a file that is open.
std::wstring Stamp(const std::wstring& database)
{
    std::wstring stamp;
    for (const wchar_t* companion : {L"", kCompanions[0], kCompanions[1]}) {
        CFileHandle file(::CreateFileW((database + companion).c_str(), 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION info = {};
        if (file.IsValid() && ::GetFileInformationByHandle(file.Get(), &info))
            stamp += std::to_wstring(info.nFileSizeHigh) + L":" + std::to_wstring(info.nFileSizeLow) +
                     L":" + std::to_wstring(info.ftLastWriteTime.dwHighDateTime) + L":" +
                     std::to_wstring(info.ftLastWriteTime.dwLowDateTime);
        stamp += L";";
    }
    return stamp;
}

void RemoveFolder(const std::wstring& folder)
{
    for (const WIN32_FIND_DATAW& found : FindFiles(folder + L"\\*")) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
}

bool IsRunning(DWORD process)
{
    HANDLE handle = ::OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle == nullptr)
        return ::GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
    bool running = ::WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    ::CloseHandle(handle);
    return running;
}

} // namespace

CDatabaseCopy::~CDatabaseCopy()
{
    Remove();
}

DWORD CDatabaseCopy::Make(const std::wstring& database)
{
    // The files are copied one after another while the browser may commit:
    // a copy counts once the originals stayed as they were throughout it.
    for (int attempt = 1;; ++attempt) {
        const std::wstring before = Stamp(database);
        DWORD error = CopyOnce(database);
        if (error != 0 || attempt == kCopyAttempts || Stamp(database) == before)
            return error;
    }
}

DWORD CDatabaseCopy::CopyOnce(const std::wstring& database)
{
    Remove();
    static LONG made = 0;
    const std::wstring temporary = TemporaryFolder();
    if (temporary.empty())
        return ::GetLastError();
    // A folder of the same name may be left by a process that had this id
    // before and did not end well.
    std::wstring folder;
    for (int attempt = 0; folder.empty(); ++attempt) {
        std::wstring name = temporary + L"quillory-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
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
    for (const wchar_t* companion : kCompanions) {
        DWORD error = CopyBytes(database + companion, Path() + companion);
        if (error != 0 && error != ERROR_FILE_NOT_FOUND)
            return error;
    }
    return 0;
}

void CDatabaseCopy::Remove()
{
    if (!m_folder.empty())
        RemoveFolder(m_folder);
    m_folder.clear();
}

void CDatabaseCopy::RemoveLeftovers()
{
    const std::wstring temporary = TemporaryFolder();
    for (const WIN32_FIND_DATAW& found : FindFiles(temporary + L"quillory-*-*")) {
        // quillory-PROCESS-NUMBER, of a process that is gone.
        const std::wstring name = found.cFileName;
        const size_t dash = name.find(L'-', 9);
        auto digits = [&](size_t from, size_t to) {
            return from < to && name.find_first_not_of(L"0123456789", from) >= to;
        };
        bool copy = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                    dash != std::wstring::npos && digits(9, dash) && digits(dash + 1, name.size());
        DWORD process = copy ? static_cast<DWORD>(std::wcstoul(name.c_str() + 9, nullptr, 10)) : 0;
        if (copy && process != ::GetCurrentProcessId() && !IsRunning(process))
            RemoveFolder(temporary + name);
    }
}
