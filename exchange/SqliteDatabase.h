#pragma once

#include "framework/String.h"

#include <string>

struct sqlite3;

// One SQLite connection, closed with the object.
class CSqliteDatabase {
public:
    CSqliteDatabase() = default;
    ~CSqliteDatabase();
    CSqliteDatabase(const CSqliteDatabase&) = delete;
    CSqliteDatabase& operator=(const CSqliteDatabase&) = delete;

    // SQLITE_OK, or the extended error code; `flags` are SQLite's open
    // flags.
    int Open(const std::wstring& path, int flags);
    void Close();
    sqlite3* Get() const { return m_database; }

    // A result code in words, for a person told why a file was not read.
    static CString ErrorText(int result);

private:
    sqlite3* m_database = nullptr;
};
