#include "exchange/ProfileReader.h"

#include "exchange/ChromiumKeywords.h"
#include "exchange/ConfinedVfs.h"
#include "exchange/DatabaseCopy.h"
#include "exchange/FirefoxKeywords.h"
#include "exchange/SqliteDatabase.h"
#include "res/resource.h"
#include "text/String.h"

#include <sqlite3.h>

#include <string>

namespace {

// The reason ends a sentence of the dialog's.
CString SystemText(DWORD error)
{
    return error == ERROR_FILE_TOO_LARGE ? LoadText(IDS_DATABASE_TOO_LARGE) : CString(SystemErrorText(error).c_str());
}

int ReadDatabase(const CBrowserProfile& profile, const CDatabaseCopy& copy, int flags,
                 CFoundShortcuts& found)
{
    CConfinedVfs files(copy.Path(), copy.SpareBytes());  // outlives the connection
    CSqliteDatabase database;
    int result = database.Open(copy.Path(), flags, files.Name());
    if (result != SQLITE_OK)
        return result;
    return profile.kind == CBrowserProfile::kChromium
               ? CChromiumKeywords::Read(database, profile.name, found)
               : CFirefoxKeywords::Read(database, profile.name, found);
}

CString ReadCopy(const CBrowserProfile& profile, CFoundShortcuts& found)
{
    CDatabaseCopy copy;  // outlives the connection, which may add files to its folder
    if (DWORD error = copy.Make(profile.database))
        return SystemText(error);
    CFoundShortcuts read;
    int result = ReadDatabase(profile, copy, SQLITE_OPEN_READONLY, read);
    if (result == SQLITE_READONLY_ROLLBACK) {
        // Copied in the middle of a transaction: its journal must be rolled
        // back first, which takes writing. The copy is ours to write.
        read = CFoundShortcuts();
        result = ReadDatabase(profile, copy, SQLITE_OPEN_READWRITE, read);
    }
    if (result != SQLITE_OK)
        return CSqliteDatabase::ErrorText(result);
    found.Take(read);
    return CString();
}

} // namespace

void CProfileReader::Read(const std::vector<CBrowserProfile>& profiles, CFoundShortcuts& found)
{
    CDatabaseCopy::RemoveLeftovers();
    for (const CBrowserProfile& profile : profiles)
        Read(profile, found);
}

void CProfileReader::Read(const CBrowserProfile& profile, CFoundShortcuts& found)
{
    CFoundShortcuts read;
    read.CountProfile();
    CString reason = ReadCopy(profile, read);
    if (reason.IsEmpty()) {
        found.Take(read);
        return;
    }
    found.CountProfile();
    found.AddUnread(profile.name, reason);
}
