#pragma once

#include "exchange/FoundShortcuts.h"

class CSqliteDatabase;

// The site searches of a Chromium-family profile (Chrome, Edge, Brave,
// Vivaldi, Chromium): the `keywords` table of its Web Data database.
class CChromiumKeywords {
public:
    // Adds the searches the user made to `found`, and counts the rest.
    // SQLITE_OK, or the error that stopped the read.
    static int Read(const CSqliteDatabase& database, const CString& source,
                        CFoundShortcuts& found);
};
