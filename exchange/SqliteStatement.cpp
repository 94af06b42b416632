#include "exchange/SqliteStatement.h"

#include "exchange/SqliteDatabase.h"

#include <sqlite3.h>

CSqliteStatement::CSqliteStatement(const CSqliteDatabase& database, const char* sql)
{
    m_prepared = ::sqlite3_prepare_v2(database.Get(), sql, -1, &m_statement, nullptr);
    if (m_prepared != SQLITE_OK && database.Get() != nullptr)
        m_prepared = ::sqlite3_extended_errcode(database.Get());
}

CSqliteStatement::~CSqliteStatement()
{
    ::sqlite3_finalize(m_statement);
}

int CSqliteStatement::Step()
{
    if (m_statement == nullptr)
        return m_prepared;
    int result = ::sqlite3_step(m_statement);
    if (result != SQLITE_ROW && result != SQLITE_DONE)
        result = ::sqlite3_extended_errcode(::sqlite3_db_handle(m_statement));
    return result;
}

std::string CSqliteStatement::Text(int column) const
{
    const unsigned char* text = ::sqlite3_column_text(m_statement, column);
    if (text == nullptr)
        return std::string();
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(::sqlite3_column_bytes(m_statement, column)));
}

std::int64_t CSqliteStatement::Integer(int column) const
{
    return ::sqlite3_column_int64(m_statement, column);
}
