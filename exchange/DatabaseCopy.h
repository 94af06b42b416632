#pragma once

#include <string>

#include <windows.h>

// A private copy of a database that another program may have open: the
// file with its write-ahead log and rollback journal, so that the copy
// holds the newest committed changes, in a folder of its own in the
// temporary folder. The originals are only ever read, with every sharing
// mode allowed, and never locked; the folder goes with the object, with
// whatever SQLite added to it. The folder's files never hold more than
// kMaxBytes together: a larger database is not copied.
class CDatabaseCopy {
public:
    static const LONGLONG kMaxBytes = 90ll << 20;  // as IDS_DATABASE_TOO_LARGE says

    CDatabaseCopy() = default;
    ~CDatabaseCopy();
    CDatabaseCopy(const CDatabaseCopy&) = delete;
    CDatabaseCopy& operator=(const CDatabaseCopy&) = delete;

    // 0, ERROR_FILE_TOO_LARGE, or the error that stopped the copy.
    DWORD Make(const std::wstring& database);
    // The copy of the database file.
    std::wstring Path() const { return m_folder + L"\\database"; }
    // What the folder's files may still grow by.
    LONGLONG SpareBytes() const { return m_spare; }

    // Removes the copies of processes that ended without removing them:
    // they may hold a whole browsing history.
    static void RemoveLeftovers();

private:
    DWORD CopyOnce(const std::wstring& database);
    void Remove();

    std::wstring m_folder;
    LONGLONG m_spare = 0;
};
