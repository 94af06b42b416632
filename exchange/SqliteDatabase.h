#pragma once

#include "text/String.h"

#include <string>

struct sqlite3;

// One SQLite connection, closed with the object, for reading files that
// anyone may have made: its work, its memory and what it may write are
// bounded, so that no file makes a read take minutes or fill memory.
class CSqliteDatabase {
public:
    // Virtual machine steps one connection may take in all: a read of
    // Chromium's site searches takes nine a row, so this is some 110,000
    // rows, twenty times 5,000, and a read that long ends within a second.
    static const long long kMaxSteps = 1000000;
    // The heap all connections together may take.
    static const long long kMaxHeapBytes = 64ll << 20;

    CSqliteDatabase() = default;
    ~CSqliteDatabase();
    CSqliteDatabase(const CSqliteDatabase&) = delete;
    CSqliteDatabase& operator=(const CSqliteDatabase&) = delete;

    // SQLITE_OK, or the extended error code; `flags` are SQLite's open
    // flags, `vfs` the name of the file layer (null: the system's).
    int Open(const std::wstring& path, int flags, const char* vfs = nullptr);
    void Close();
    sqlite3* Get() const { return m_database; }

    // A result code in words, for a person told why a file was not read.
    static CString ErrorText(int result);

    // SQLITE_OK when the database holds a table of this name that is no
    // view, no virtual table and has no generated column, so that reading
    // it runs no expression the file holds; SQLITE_ERROR when it does not;
    // otherwise the error that stopped the look.
    int FindPlainTable(const char* name) const;

private:
    static int CountSteps(void* database);

    sqlite3* m_database = nullptr;
    long long m_steps = 0;
};
