#include "exchange/ChromiumKeywords.h"

#include "exchange/KeywordUrl.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteStatement.h"
#include "exchange/TextEncoding.h"

#include <sqlite3.h>

#include <set>
#include <string>

namespace {

// Chromium's ActiveStatus: kUnspecified, kTrue, kFalse.
const std::int64_t kUnspecified = 0;
const std::int64_t kFalse = 2;

// What Chromium lists as inactive shortcuts: turned off, or added by the
// browser from a site the user visited (safe for the browser to replace,
// as the user never touched it) and never turned on.
bool IsInactive(std::int64_t active, std::int64_t addedByBrowser)
{
    return active == kFalse || (addedByBrowser != 0 && active == kUnspecified);
}

// The table's columns: they come and go between browser versions.
int ReadColumns(const CSqliteDatabase& database, std::set<std::string>& columns)
{
    CSqliteStatement info(database, "PRAGMA table_info(keywords)");
    int result;
    while ((result = info.Step()) == SQLITE_ROW)
        columns.insert(info.Text(1));
    return result == SQLITE_DONE ? SQLITE_OK : result;
}

} // namespace

int CChromiumKeywords::Read(const CSqliteDatabase& database, const CString& source,
                                CFoundShortcuts& found)
{
    std::set<std::string> columns;
    int result = database.FindPlainTable("keywords");
    if (result == SQLITE_OK)
        result = ReadColumns(database, columns);
    if (result == SQLITE_OK && (columns.count("keyword") == 0 || columns.count("url") == 0))
        result = SQLITE_ERROR;  // no site searches of any version
    if (result != SQLITE_OK)
        return result;
    auto column = [&](const char* name, const char* otherwise) {
        return std::string(columns.count(name) != 0 ? name : otherwise);
    };
    const std::string sql = "SELECT keyword, url, " + column("prepopulate_id", "0") + ", " +
                            column("starter_pack_id", "0") + ", " + column("is_active", "0") +
                            ", " + column("search_url_post_params", "''") + ", " +
                            column("safe_for_autoreplace", "0") + " FROM keywords ORDER BY rowid";
    CSqliteStatement rows(database, sql.c_str());
    while ((result = rows.Step()) == SQLITE_ROW) {
        std::wstring keyword, url;
        CFoundShortcuts::Reason reason = CFoundShortcuts::kReasonCount;
        if (rows.Integer(2) != 0 || rows.Integer(3) != 0)
            reason = CFoundShortcuts::kBuiltIn;
        else if (IsInactive(rows.Integer(4), rows.Integer(6)))
            reason = CFoundShortcuts::kInactive;
        else if (!rows.Text(5).empty())
            reason = CFoundShortcuts::kNoSearchTerm;  // sent by POST
        else if (!FromUtf8(rows.Text(0), keyword) || !FromUtf8(rows.Text(1), url))
            reason = CFoundShortcuts::kUnreadableText;
        if (reason != CFoundShortcuts::kReasonCount || !CKeywordUrl::FromChromium(url, reason))
            found.LeaveOut(reason);
        else
            found.Add(keyword, url, source);
    }
    return result == SQLITE_DONE ? SQLITE_OK : result;
}
