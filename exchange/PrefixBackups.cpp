#include "exchange/PrefixBackups.h"

#include "exchange/ByteFile.h"
#include "exchange/KnownFolder.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixStore.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace {

const wchar_t kNameStart[] = L"SearchUrl-";
const wchar_t kMark[] = L"; Quillory backup: ";

// FNV-1a: enough to tell a file cut short or edited by hand, which no
// one forges.
unsigned long Check(const std::string& bytes)
{
    unsigned long hash = 2166136261u;
    for (unsigned char c : bytes)
        hash = ((hash ^ c) * 16777619u) & 0xFFFFFFFFu;
    return hash;
}

std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The last line: how many prefixes, and the check of every byte before it.
std::string Trailer(size_t prefixes, const std::string& before)
{
    wchar_t line[80];
    std::swprintf(line, 80, L"%ls%u prefixes, check %08lx\r\n", kMark, static_cast<unsigned>(prefixes),
                  Check(before));
    return Utf16(line);
}

// A name that sorts by the time, in UTC, and that no other backup has: the
// process and a count of its own tell apart two made in one millisecond.
std::wstring NewName()
{
    static std::atomic<unsigned> made(0);
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    wchar_t name[96];
    std::swprintf(name, 96, L"%ls%04u%02u%02uT%02u%02u%02u.%03uZ-%010lu-%010u.reg", kNameStart, now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  ::GetCurrentProcessId(), ++made);
    return name;
}

// When a backup of that name was made, in local time.
bool TimeOf(const std::wstring& name, SYSTEMTIME& local)
{
    SYSTEMTIME utc = {};
    unsigned year, month, day, hour, minute, second, millisecond;
    if (std::swscanf(name.c_str() + std::wcslen(kNameStart), L"%4u%2u%2uT%2u%2u%2u.%3uZ", &year, &month, &day,
                     &hour, &minute, &second, &millisecond) != 7)
        return false;
    utc = {static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day), static_cast<WORD>(hour),
           static_cast<WORD>(minute), static_cast<WORD>(second), static_cast<WORD>(millisecond)};
    return ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) != FALSE;
}

} // namespace

std::wstring CPrefixBackups::UserFolder()
{
    const std::wstring local = CKnownFolder::GetPath(FOLDERID_LocalAppData);
    return local.empty() ? std::wstring() : local + L"\\Quillory\\Backups";
}

CPrefixBackups::CPrefixBackups(std::wstring folder) : m_folder(std::move(folder))
{
}

std::string CPrefixBackups::FailureText(DWORD error)
{
    return FormattedText(IDS_BACKUP_FAILED, Tessaly::Narrow(UserFolder()).c_str(), CByteFile::ErrorText(error).c_str());
}

CPrefixBackups::Changes CPrefixBackups::Compare(const std::vector<PrefixRow>& now,
                                                const std::vector<PrefixRow>& backup)
{
    std::map<std::string, std::string> rows;
    for (const PrefixRow& row : now)
        rows[static_cast<const char*>(UpperCasePrefix(row.prefix))] = static_cast<const char*>(row.url);
    Changes changes;
    for (const PrefixRow& row : backup) {
        auto found = rows.find(static_cast<const char*>(UpperCasePrefix(row.prefix)));
        if (found == rows.end())
            ++changes.added;
        else
            changes.changed += found->second != static_cast<const char*>(row.url) ? 1 : 0;
    }
    changes.removed = Removed(now, backup).size();
    return changes;
}

std::vector<CString> CPrefixBackups::Removed(const std::vector<PrefixRow>& now, const std::vector<PrefixRow>& backup)
{
    std::set<std::string> kept;
    for (const PrefixRow& row : backup)
        kept.insert(static_cast<const char*>(UpperCasePrefix(row.prefix)));
    std::vector<CString> removed;
    for (const PrefixRow& row : now) {
        if (kept.count(static_cast<const char*>(UpperCasePrefix(row.prefix))) == 0 && !KeptByRestore(row.prefix))
            removed.push_back(row.prefix);
    }
    return removed;
}

bool CPrefixBackups::KeptByRestore(const char* prefix)
{
    return std::strpbrk(prefix, "\r\n") != nullptr;
}

std::string CPrefixBackups::Format(const std::vector<PrefixRow>& rows)
{
    CPrefixFile file;
    for (const PrefixRow& row : rows)
        file.Add(row.prefix, row.url);  // a name another program gave a line break cannot be carried
    std::string bytes = file.Format();
    return bytes + Trailer(file.GetEntries().size(), bytes);
}

DWORD CPrefixBackups::BeforeFirstSave()
{
    if (m_done)
        return 0;
    m_done = true;
    if (m_folder.empty())
        return ERROR_PATH_NOT_FOUND;
    std::vector<PrefixRow> rows;
    CPrefixStore store;
    const CPrefixStore::Report report = store.Load(rows);
    if (!report.walked)
        return report.failures.empty() ? ERROR_READ_FAULT : report.failures.front().error;
    const std::string bytes = Format(rows);
    const std::vector<std::wstring> names = Names();
    std::string newest;
    if (!names.empty() && CByteFile::Read(m_folder + L"\\" + names.front(), newest) == 0 && newest == bytes)
        return 0;
    ::CreateDirectoryW(m_folder.substr(0, m_folder.rfind(L'\\')).c_str(), nullptr);
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    const std::wstring name = NewName();
    if (DWORD error = CByteFile::Write(m_folder + L"\\" + name, bytes))
        return error;
    // The oldest others go; the one just made stays, even when a clock set
    // back or a file dated ahead sorts it among them.
    for (size_t i = kKept - 1; i < names.size(); ++i)
        ::DeleteFileW((m_folder + L"\\" + names[i]).c_str());
    return 0;
}

// The backups' names, newest first.
std::vector<std::wstring> CPrefixBackups::Names() const
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((m_folder + L"\\" + kNameStart + L"*.reg").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    SYSTEMTIME time;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && TimeOf(found.cFileName, time))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end(), std::greater<std::wstring>());
    return names;
}

std::vector<CPrefixBackups::Backup> CPrefixBackups::List() const
{
    std::vector<Backup> backups;
    for (const std::wstring& name : Names()) {
        Backup backup;
        if (Read(m_folder + L"\\" + name, backup) && TimeOf(name, backup.time))
            backups.push_back(std::move(backup));
    }
    return backups;
}

bool CPrefixBackups::Read(const std::wstring& path, Backup& backup)
{
    backup = Backup();
    backup.path = path;
    std::string bytes;
    if (CByteFile::Read(path, bytes) != 0) {
        backup.unusable = IDS_BACKUP_UNREADABLE;
        return true;
    }
    CPrefixFile file;
    const bool parsed = file.Parse(bytes);
    if (parsed && file.GetEntries().empty() && file.GetSkippedCount() > 0 &&
        bytes.find(Utf16(L"Internet Explorer\\SearchUrl")) == std::string::npos)
        return false;  // another key's
    const size_t trailer = bytes.rfind(Utf16(kMark));
    const bool whole = parsed && trailer != std::string::npos && trailer % 2 == 0 &&
                       file.GetSkippedCount() == 0 &&
                       bytes.compare(trailer, std::string::npos,
                                     Trailer(file.GetEntries().size(), bytes.substr(0, trailer))) == 0;
    if (!whole) {
        backup.unusable = IDS_BACKUP_DAMAGED;
        return true;
    }
    for (const CShortcut& entry : file.GetEntries())
        backup.rows.push_back({entry.prefix, entry.url});
    return true;
}
