#include "tests/support/BrowserProfiles.h"

#include <shellapi.h>
#include <shlobj.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

// The keywords table of Chromium 100, to which later versions added columns.
const char kKeywordsBefore104[] =
    "CREATE TABLE keywords (id INTEGER PRIMARY KEY,short_name VARCHAR NOT NULL,keyword VARCHAR "
    "NOT NULL,favicon_url VARCHAR NOT NULL,url VARCHAR NOT NULL,safe_for_autoreplace INTEGER,"
    "originating_url VARCHAR,date_created INTEGER DEFAULT 0,usage_count INTEGER DEFAULT 0,"
    "input_encodings VARCHAR,suggest_url VARCHAR,prepopulate_id INTEGER DEFAULT 0,"
    "created_by_policy INTEGER DEFAULT 0,last_modified INTEGER DEFAULT 0,sync_guid VARCHAR,"
    "alternate_urls VARCHAR,image_url VARCHAR,search_url_post_params VARCHAR,"
    "suggest_url_post_params VARCHAR,image_url_post_params VARCHAR,new_tab_url VARCHAR,"
    "last_visited INTEGER DEFAULT 0, created_from_play_api INTEGER DEFAULT 0";
const char kKeywordsAdded[] =
    ", is_active INTEGER DEFAULT 0, starter_pack_id INTEGER DEFAULT 0, enforced_by_policy INTEGER"
    " DEFAULT 0, featured_by_policy INTEGER DEFAULT 0, url_hash BLOB";
const char kMeta[] =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "INSERT INTO meta VALUES('version', '%1'), ('last_compatible_version', '%1');";
const char kPlaces[] =
    "PRAGMA page_size = 32768; PRAGMA journal_mode = WAL;"
    "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
    " rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,"
    " typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date"
    " INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0"
    " NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER"
    " REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency"
    " INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE moz_keywords (  id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE,"
    " place_id INTEGER, post_data TEXT);"
    "CREATE UNIQUE INDEX moz_keywords_placepostdata_uniqueindex ON moz_keywords (place_id,"
    " post_data);";

void Check(int result, sqlite3* database, const char* what)
{
    if (result != SQLITE_OK && result != SQLITE_DONE)
        throw std::runtime_error(std::string(what) + ": " + ::sqlite3_errmsg(database));
}

// Opens (creating) a database, runs the statements, and inserts each row
// through `insert` with its texts and numbers bound in order.
class Writer {
public:
    explicit Writer(const std::wstring& path, bool fresh = true)
    {
        if (fresh)
            ::DeleteFileW(path.c_str());
        Check(::sqlite3_open16(path.c_str(), &m_database), m_database, "open");
    }
    ~Writer() { ::sqlite3_close(m_database); }

    void Run(const char* sql) { Check(::sqlite3_exec(m_database, sql, nullptr, nullptr, nullptr), m_database, sql); }
    void Insert(const std::string& sql, const std::vector<std::string>& texts, const std::vector<int>& numbers)
    {
        sqlite3_stmt* statement = nullptr;
        Check(::sqlite3_prepare_v2(m_database, sql.c_str(), -1, &statement, nullptr), m_database, sql.c_str());
        int index = 1;
        for (const std::string& text : texts)
            ::sqlite3_bind_text(statement, index++, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        for (int number : numbers)
            ::sqlite3_bind_int(statement, index++, number);
        int result = ::sqlite3_step(statement);
        ::sqlite3_finalize(statement);
        Check(result, m_database, sql.c_str());
    }
    sqlite3* Get() const { return m_database; }

private:
    sqlite3* m_database = nullptr;
};

} // namespace

void WriteWebData(const std::wstring& path, const std::vector<ChromiumKeyword>& rows, ChromiumSchema schema)
{
    Writer database(path);
    const bool current = schema == ChromiumSchema::Current;
    std::string meta = kMeta;
    for (size_t at = meta.find("%1"); at != std::string::npos; at = meta.find("%1"))
        meta.replace(at, 2, current ? "158" : "100");
    database.Run("PRAGMA page_size = 2048;");
    database.Run((meta + kKeywordsBefore104 + (current ? kKeywordsAdded : "") + ");").c_str());
    database.Run("BEGIN");
    for (const ChromiumKeyword& row : rows) {
        std::vector<std::string> texts = {row.keyword, row.keyword, row.url, row.postParams};
        if (current)
            database.Insert("INSERT INTO keywords (short_name, keyword, favicon_url, url, search_url_post_params,"
                            " prepopulate_id, safe_for_autoreplace, starter_pack_id, is_active, url_hash)"
                            " VALUES (?, ?, '', ?, ?, ?, ?, ?, ?, x'00')",
                            texts, {row.prepopulateId, row.addedByBrowser, row.starterPackId, row.isActive});
        else
            database.Insert("INSERT INTO keywords (short_name, keyword, favicon_url, url, search_url_post_params,"
                            " prepopulate_id, safe_for_autoreplace) VALUES (?, ?, '', ?, ?, ?, ?)",
                            texts, {row.prepopulateId, row.addedByBrowser});
    }
    database.Run("COMMIT");
}

void WritePlaces(const std::wstring& path, const std::vector<FirefoxKeyword>& rows, bool inLog)
{
    for (const wchar_t* companion : {L"-wal", L"-shm"})
        ::DeleteFileW((path + companion).c_str());
    Writer database(path);
    database.Run(kPlaces);
    if (inLog) {
        // Closing leaves the log as it is, as a browser that is still running would.
        database.Run("PRAGMA wal_autocheckpoint = 0;");
        ::sqlite3_db_config(database.Get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    database.Run("BEGIN");
    for (const FirefoxKeyword& row : rows) {
        database.Insert("INSERT INTO moz_places (url, guid, foreign_count) VALUES (?, ?, 1)", {row.url, row.keyword}, {});
        database.Insert("INSERT INTO moz_keywords (keyword, place_id, post_data)"
                        " VALUES (?, last_insert_rowid(), NULLIF(?, ''))",
                        {row.keyword, row.postData}, {});
    }
    database.Run("COMMIT");
}

void WriteInterruptedWebData(const std::wstring& path, const std::vector<ChromiumKeyword>& rows)
{
    // Held by a connection whose changes spill into the file, copied, and let go.
    const std::wstring held = path + L".held";
    WriteWebData(held, rows);
    {
        Writer holder(held, false);
        holder.Run("PRAGMA cache_size = 1; BEGIN; DELETE FROM keywords; UPDATE meta SET value = hex(zeroblob(3000));");
        for (const wchar_t* companion : {L"", L"-journal"})
            ::CopyFileW((held + companion).c_str(), (path + companion).c_str(), FALSE);
    }
    ::DeleteFileW(held.c_str());
}

void NameSuperJournal(const std::wstring& journal, const std::string& superJournal)
{
    auto big32 = [](unsigned value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    unsigned sum = 0;
    for (char c : superJournal)
        sum += static_cast<unsigned>(c);
    const unsigned lockPage = 0x40000000u / 2048 + 1;  // in the databases made here
    std::ofstream(journal.c_str(), std::ios::binary | std::ios::app)
        << big32(lockPage) << superJournal << big32(static_cast<unsigned>(superJournal.size())) << big32(sum)
        << "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7";
}

void RunSql(const std::wstring& path, const std::string& sql)
{
    Writer(path, false).Run(sql.c_str());
}

std::wstring LeaveChromeProfile(const std::wstring& localAppData, const std::vector<ChromiumKeyword>& rows)
{
    const std::wstring userData = MakeFolders(localAppData, L"Google\\Chrome\\User Data");
    WriteFileBytes(userData + L"\\Local State", R"({"profile": {"info_cache": {"Default": {"name": "Person 1"}}}})");
    const std::wstring database = MakeFolders(userData, L"Default") + L"\\Web Data";
    WriteWebData(database, rows);
    return database;
}

std::wstring LeaveFirefoxProfile(const std::wstring& roamingAppData, const std::vector<FirefoxKeyword>& rows,
                                 bool inLog)
{
    const std::wstring firefox = MakeFolders(roamingAppData, L"Mozilla\\Firefox");
    WriteFileBytes(firefox + L"\\profiles.ini",
                   "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/q.default-release\r\n\r\n"
                   "[Install308046B0AF4A39CB]\r\nDefault=Profiles/q.default-release\r\nLocked=1\r\n");
    const std::wstring database = MakeFolders(firefox, L"Profiles\\q.default-release") + L"\\places.sqlite";
    WritePlaces(database, rows, inLog);
    return database;
}

TempFolder::TempFolder()
{
    // A name a process of the same id left behind is passed over.
    static int made = 0;
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    do
        m_path = std::wstring(temporary) + L"quillory-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++made);
    while (!::CreateDirectoryW(m_path.c_str(), nullptr) && ::GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder()
{
    std::wstring paths = m_path + L'\0';  // a list, ended by an empty name
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.c_str();
    operation.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&operation);
}

std::wstring TempFolder::Make(const std::wstring& relative) const
{
    return MakeFolders(m_path, relative);
}

std::wstring MakeFolders(const std::wstring& root, const std::wstring& relative)
{
    const std::wstring path = root + L"\\" + relative;
    ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return path;
}
