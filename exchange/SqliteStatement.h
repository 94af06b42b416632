#pragma once

#include <cstdint>
#include <string>

struct sqlite3_stmt;
class CSqliteDatabase;

// One prepared statement, finalized with the object.
class CSqliteStatement {
public:
    CSqliteStatement(const CSqliteDatabase& database, const char* sql);
    ~CSqliteStatement();
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;

    // SQLITE_OK when prepared, or the extended error code.
    int PrepareResult() const { return m_prepared; }
    // SQLITE_ROW, SQLITE_DONE, or the extended error code.
    int Step();
    // A column of the current row: text as UTF-8, "" for NULL.
    std::string Text(int column) const;
    std::int64_t Integer(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_prepared = 0;
};
