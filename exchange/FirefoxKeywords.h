#pragma once

#include "exchange/FoundShortcuts.h"

class CSqliteDatabase;

// The keyword bookmarks of a Firefox profile: `moz_keywords` with the
// addresses in `moz_places`, in its places.sqlite database.
class CFirefoxKeywords {
public:
    // Adds the keyword searches to `found`, and counts the rest. SQLITE_OK,
    // or the error that stopped the read.
    static int Read(const CSqliteDatabase& database, const CString& source,
                        CFoundShortcuts& found);
};
