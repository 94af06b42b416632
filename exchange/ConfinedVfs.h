#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

// The files SQLite may touch while it reads a private copy: the copy and
// its journal, write-ahead log and shared memory, nothing else. A journal
// names its super-journal by any path, and SQLite deletes that file when
// it rolls back; to a connection opened here no file outside the copy
// exists, cannot be opened and cannot be deleted, so such a journal is
// taken as stale, as SQLite takes one whose super-journal is gone. No
// temporary file is made either (temporary storage stays in memory), and
// what SQLite writes, rolling a journal back, may not grow the copy's files
// past `spareBytes` in all. Registered under a name of its own while the
// object lives; every connection opened with it must close first.
class CConfinedVfs {
public:
    CConfinedVfs(const std::wstring& database, sqlite3_int64 spareBytes);
    ~CConfinedVfs();
    CConfinedVfs(const CConfinedVfs&) = delete;
    CConfinedVfs& operator=(const CConfinedVfs&) = delete;

    // For sqlite3_open_v2, which fails when it could not be registered.
    const char* Name() const { return m_name.c_str(); }

    // Whether a file of this name is one of the copy's.
    bool Allows(const char* path) const;
    // Books a write that grows a file by `bytes`; false when the spare
    // bytes do not cover it.
    bool Grow(sqlite3_int64 bytes);
    sqlite3_vfs* Inner() const { return m_inner; }

private:
    sqlite3_vfs m_vfs = {};
    sqlite3_vfs* m_inner;
    std::string m_name;
    std::vector<std::wstring> m_files;
    sqlite3_int64 m_spare;
    bool m_registered = false;
};
