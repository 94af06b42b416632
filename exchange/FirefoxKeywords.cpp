#include "exchange/FirefoxKeywords.h"

#include "exchange/KeywordUrl.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteStatement.h"
#include "exchange/TextEncoding.h"

#include <sqlite3.h>

int CFirefoxKeywords::Read(const CSqliteDatabase& database, const CString& source,
                               CFoundShortcuts& found)
{
    CSqliteStatement rows(database,
                          "SELECT k.keyword, p.url, k.post_data FROM moz_keywords k "
                          "JOIN moz_places p ON p.id = k.place_id ORDER BY k.id");
    int result;
    while ((result = rows.Step()) == SQLITE_ROW) {
        std::wstring url = WideFromUtf8(rows.Text(1));
        CFoundShortcuts::Reason reason = CFoundShortcuts::kNoSearchTerm;
        if (!rows.Text(2).empty() || !CKeywordUrl::FromFirefox(url, reason))
            found.LeaveOut(reason);  // POST data counts as no search term in the address
        else
            found.Add(WideFromUtf8(rows.Text(0)), url, source);
    }
    return result == SQLITE_DONE ? SQLITE_OK : result;
}
