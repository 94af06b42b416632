#include "exchange/SqliteDatabase.h"

#include "exchange/SqliteStatement.h"
#include "exchange/TextEncoding.h"
#include "res/resource.h"

#include <sqlite3.h>

#include <string>

namespace {

const int kStepsPerCount = 1000;

} // namespace

CSqliteDatabase::~CSqliteDatabase()
{
    Close();
}

int CSqliteDatabase::Open(const std::wstring& path, int flags, const char* vfs)
{
    Close();
    ::sqlite3_hard_heap_limit64(kMaxHeapBytes);
    int result = ::sqlite3_open_v2(Utf8FromWide(path).c_str(), &m_database, flags, vfs);
    if (result != SQLITE_OK)
        result = m_database != nullptr ? ::sqlite3_extended_errcode(m_database) : result;
    if (m_database == nullptr)
        return result;
    ::sqlite3_extended_result_codes(m_database, 1);
    // Reading writes nothing back: not the log into the database on closing,
    // and no function with side effects from a view or column of the file.
    ::sqlite3_db_config(m_database, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    ::sqlite3_db_config(m_database, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    m_steps = 0;
    ::sqlite3_progress_handler(m_database, kStepsPerCount, CountSteps, this);
    return result;
}

void CSqliteDatabase::Close()
{
    // Statements are finalized by their own objects first; v2 would keep a
    // connection with one open alive rather than fail.
    ::sqlite3_close_v2(m_database);
    m_database = nullptr;
}

int CSqliteDatabase::CountSteps(void* database)
{
    CSqliteDatabase& self = *static_cast<CSqliteDatabase*>(database);
    self.m_steps += kStepsPerCount;
    return self.m_steps > kMaxSteps ? 1 : 0;  // non-zero interrupts the statement
}

int CSqliteDatabase::FindPlainTable(const char* name) const
{
    // Our own names only: nothing of the file's is put in the statements.
    // A virtual table has no root page.
    CSqliteStatement table(*this, ("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND rootpage > 0"
                                   " AND name = '" + std::string(name) + "' COLLATE NOCASE").c_str());
    int result = table.Step();
    if (result != SQLITE_ROW)
        return result;
    if (table.Integer(0) == 0)
        return SQLITE_ERROR;
    CSqliteStatement columns(*this, ("PRAGMA table_xinfo(\"" + std::string(name) + "\")").c_str());
    while ((result = columns.Step()) == SQLITE_ROW) {
        if (columns.Integer(6) != 0)  // hidden: generated
            return SQLITE_ERROR;
    }
    return result == SQLITE_DONE ? SQLITE_OK : result;
}

CString CSqliteDatabase::ErrorText(int result)
{
    UINT id = 0;
    switch (result & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        id = IDS_DATABASE_DAMAGED;
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        id = IDS_DATABASE_LOCKED;
        break;
    case SQLITE_ERROR:  // a table or column missing
        id = IDS_DATABASE_FOREIGN;
        break;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        id = IDS_DATABASE_UNREADABLE;
        break;
    case SQLITE_FULL:  // a journal that would grow the copy past its bound
        id = IDS_DATABASE_TOO_LARGE;
        break;
    case SQLITE_INTERRUPT:  // the steps ran out
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
        id = IDS_DATABASE_TOO_COSTLY;
        break;
    default: {
        CString text;  // with SQLite's own words, which are English
        AfxFormatString1(text, IDS_DATABASE_OTHER, ::sqlite3_errstr(result));
        return text;
    }
    }
    return LoadText(id);
}
