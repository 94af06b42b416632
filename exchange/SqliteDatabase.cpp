#include "exchange/SqliteDatabase.h"

#include "exchange/TextEncoding.h"
#include "res/resource.h"

#include <sqlite3.h>

CSqliteDatabase::~CSqliteDatabase()
{
    Close();
}

int CSqliteDatabase::Open(const std::wstring& path, int flags)
{
    Close();
    int result = ::sqlite3_open_v2(Utf8FromWide(path).c_str(), &m_database, flags, nullptr);
    if (result != SQLITE_OK)
        result = m_database != nullptr ? ::sqlite3_extended_errcode(m_database) : result;
    if (m_database != nullptr)
        ::sqlite3_extended_result_codes(m_database, 1);
    return result;
}

void CSqliteDatabase::Close()
{
    // Statements are finalized by their own objects first; v2 would keep a
    // connection with one open alive rather than fail.
    ::sqlite3_close_v2(m_database);
    m_database = nullptr;
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
    default: {
        CString text;  // with SQLite's own words, which are English
        AfxFormatString1(text, IDS_DATABASE_OTHER, ::sqlite3_errstr(result));
        return text;
    }
    }
    return LoadText(id);
}
