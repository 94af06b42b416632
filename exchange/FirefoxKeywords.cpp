#include "exchange/FirefoxKeywords.h"

#include "exchange/KeywordUrl.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteStatement.h"
#include "exchange/TextEncoding.h"

#include <sqlite3.h>

int CFirefoxKeywords::Read(const CSqliteDatabase& database, const CString& source,
                               CFoundShortcuts& found)
{
    int result = database.FindPlainTable("moz_keywords");
    if (result == SQLITE_OK)
        result = database.FindPlainTable("moz_places");
    if (result != SQLITE_OK)
        return result;
    CSqliteStatement rows(database,
                          "SELECT k.keyword, p.url, k.post_data FROM moz_keywords k "
                          "JOIN moz_places p ON p.id = k.place_id ORDER BY k.id");
    while ((result = rows.Step()) == SQLITE_ROW) {
        std::wstring keyword, url;
        CFoundShortcuts::Reason reason = CFoundShortcuts::kReasonCount;
        if (!rows.Text(2).empty())
            reason = CFoundShortcuts::kNoSearchTerm;  // sent by POST, not in the address
        else if (!FromUtf8(rows.Text(0), keyword) || !FromUtf8(rows.Text(1), url))
            reason = CFoundShortcuts::kUnreadableText;
        if (reason != CFoundShortcuts::kReasonCount || !CKeywordUrl::FromFirefox(url, reason))
            found.LeaveOut(reason);
        else
            found.Add(keyword, url, source);
    }
    return result == SQLITE_DONE ? SQLITE_OK : result;
}
