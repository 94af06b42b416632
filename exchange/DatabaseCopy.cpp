#include "exchange/DatabaseCopy.h"

#include "exchange/FileHandle.h"

#include <cstring>
#include <vector>

namespace {

const wchar_t* const kCompanions[] = {L"-wal", L"-journal"};
const int kCopyAttempts = 3;

std::wstring TemporaryFolder()
{
    WCHAR temporary[MAX_PATH + 1] = {};
    return ::GetTempPathW(MAX_PATH + 1, temporary) != 0 ? temporary : L"";
}

// Takes what it copies from `spare`; a file larger than that, by its size
// or by what it holds when read, is not copied.
DWORD CopyBytes(const std::wstring& from, const std::wstring& to, LONGLONG& spare)
{
    // The browser keeps writing while it runs; reading beside it is all it allows.
    CFileHandle source(::CreateFileW(from.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid())
        return ::GetLastError();
    // Asked first: a sparse file takes little room but would be written whole.
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(source.Get(), &size))
        return ::GetLastError();
    if (size.QuadPart > spare)
        return ERROR_FILE_TOO_LARGE;
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
        if (read > spare)
            return ERROR_FILE_TOO_LARGE;
        spare -= read;
        DWORD written = 0;
        if (!::WriteFile(target.Get(), buffer.data(), read, &written, nullptr) || written != read)
            return ::GetLastError() != 0 ? ::GetLastError() : ERROR_WRITE_FAULT;
    }
}

// A rollback journal written in a transaction over several databases ends
// with the name of its super-journal, which SQLite consults and deletes when
// it rolls back: a path anywhere, written by whoever wrote the journal. The
// copy forgets it (the eight bytes that mark it), so that its rollback
// restores the state before the transaction, which is whole whichever way
// the other databases went, and looks at nothing outside the copy.
const unsigned char kJournalMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};

DWORD ForgetSuperJournal(const std::wstring& journal)
{
    CFileHandle file(::CreateFileW(journal.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file.IsValid())
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : ::GetLastError();
    LARGE_INTEGER size = {}, end = {};
    unsigned char mark[sizeof kJournalMagic] = {};
    DWORD done = 0;
    if (!::GetFileSizeEx(file.Get(), &size))
        return ::GetLastError();
    end.QuadPart = size.QuadPart - static_cast<LONGLONG>(sizeof mark);
    if (size.QuadPart < 16 || !::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.Get(), mark, sizeof mark, &done, nullptr) || done != sizeof mark ||
        std::memcmp(mark, kJournalMagic, sizeof mark) != 0)
        return 0;
    std::memset(mark, 0, sizeof mark);
    if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) ||
        !::WriteFile(file.Get(), mark, sizeof mark, &done, nullptr) || !file.Close())
        return ::GetLastError();
    return 0;
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
    m_spare = kMaxBytes;
    if (DWORD error = CopyBytes(database, Path(), m_spare))
        return error;
    // The companions exist only while they hold something, or in some modes.
    for (const wchar_t* companion : kCompanions) {
        DWORD error = CopyBytes(database + companion, Path() + companion, m_spare);
        if (error != 0 && error != ERROR_FILE_NOT_FOUND)
            return error;
    }
    return ForgetSuperJournal(Path() + L"-journal");
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
