#include "tests/support/BrowserProfiles.h"

#include <sqlite3.h>

#include <fstream>
#include <iterator>
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
    "CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,"
    " frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,"
    " recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, block_until_ms INTEGER,"
    " block_pages_until_ms INTEGER, UNIQUE (prefix, host) );"
    "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
    " rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,"
    " typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date"
    " INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0"
    " NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER"
    " REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency"
    " INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
    " parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,"
    " dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0,"
    " syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
    "CREATE TABLE moz_keywords (  id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE,"
    " place_id INTEGER, post_data TEXT);"
    "CREATE UNIQUE INDEX moz_keywords_placepostdata_uniqueindex ON moz_keywords (place_id,"
    " post_data);"
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES"
    " (1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________');";

void Check(int result, sqlite3* database, const char* what)
{
    if (result != SQLITE_OK && result != SQLITE_DONE)
        throw std::runtime_error(std::string(what) + ": " + ::sqlite3_errmsg(database));
}

// Opens (creating) a database, runs the statements, and inserts each row
// through `insert` with its texts and numbers bound in order.
class Writer {
public:
    explicit Writer(const std::wstring& path)
    {
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
    int id = 10;
    for (const FirefoxKeyword& row : rows) {
        ++id;
        database.Insert("INSERT INTO moz_places (id, url, guid, url_hash, foreign_count)"
                        " VALUES (?, ?, 'guid' || ?, 0, 1)",
                        {std::to_string(id), row.url, std::to_string(id)}, {});
        database.Insert("INSERT INTO moz_bookmarks (type, fk, parent, position, title, guid)"
                        " VALUES (1, ?, 2, 0, ?, 'bm' || ?)",
                        {std::to_string(id), row.keyword, std::to_string(id)}, {});
        database.Insert("INSERT INTO moz_keywords (keyword, place_id, post_data) VALUES (?, ?, NULLIF(?, ''))",
                        {row.keyword, std::to_string(id), row.postData}, {});
    }
    database.Run("COMMIT");
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring WideOf(const std::string& utf8)
{
    int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

TempFolder::TempFolder()
{
    static int made = 0;
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    m_path = std::wstring(temporary) + L"quillory-test-" + std::to_wstring(::GetCurrentProcessId()) +
             L"-" + std::to_wstring(++made);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

namespace {

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                RemoveTree(folder + L"\\" + name);
            else
                ::DeleteFileW((folder + L"\\" + name).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

std::wstring TempFolder::Make(const std::wstring& relative) const
{
    return MakeFolders(m_path, relative);
}

std::wstring MakeFolders(const std::wstring& root, const std::wstring& relative)
{
    std::wstring path = root;
    for (size_t start = 0; start <= relative.size();) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        path += L"\\" + relative.substr(start, end - start);
        ::CreateDirectoryW(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        files.push_back(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            for (const std::wstring& below : FilesBelow(folder + L"\\" + name))
                files.push_back(name + L"\\" + below);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return files;
}
