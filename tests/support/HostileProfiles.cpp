#include "tests/support/HostileProfiles.h"

#include "tests/support/BrowserProfiles.h"

namespace {

const char kForeign[] = "the database is not of a kind Quillory can read";
const char kTooLarge[] = "the database is larger than 90 MB";
const std::vector<ChromiumKeyword> kWiki = {{"wiki", "https://w/?q={searchTerms}"}};

std::string Repeated(const std::string& text, int count)
{
    std::string repeated;
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

} // namespace

const std::vector<HostileProfile>& HostileProfiles()
{
    static const std::vector<HostileProfile> profiles = {
        {"keywords, a view that never ends", true,
         [](const std::wstring& path, const std::wstring&) {
             RunSql(path, "CREATE VIEW keywords AS WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM r)"
                          " SELECT 'k' || i AS keyword, 'https://k/{searchTerms}' AS url FROM r ORDER BY i DESC");
         }, kForeign},
        {"moz_keywords, a view of a cross join of 10^12 rows", false,
         [](const std::wstring& path, const std::wstring&) {
             WritePlaces(path, {});
             RunSql(path, "DROP TABLE moz_keywords; INSERT INTO moz_places (url) WITH RECURSIVE r(i) AS (SELECT 1"
                          " UNION ALL SELECT i + 1 FROM r WHERE i < 1000) SELECT 'https://x/' || i || '?q=%s' FROM r;"
                          " CREATE VIEW moz_keywords AS SELECT a.id, 'k' || b.id AS keyword, c.id AS place_id,"
                          " NULL AS post_data FROM moz_places a, moz_places b, moz_places c, moz_places d"
                          " ORDER BY 2 DESC");
         }, kForeign},
        {"a URL the file works out", true,
         [](const std::wstring& path, const std::wstring&) {
             RunSql(path, "CREATE TABLE keywords (keyword TEXT, url TEXT AS ('https://' || keyword || "
                          "'/{searchTerms}')); INSERT INTO keywords (keyword) VALUES ('k');");
         }, kForeign},
        {"2 GB that take no room on disk", true,
         [](const std::wstring& path, const std::wstring&) {
             HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
             LARGE_INTEGER size = {};
             size.QuadPart = 2ll << 30;
             ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
             ::SetEndOfFile(file);
             ::CloseHandle(file);
         }, kTooLarge},
        {"a journal whose rollback makes the database 4 TB", true,
         [](const std::wstring& path, const std::wstring&) {
             WriteInterruptedWebData(path, kWiki);
             std::string journal = ReadFileBytes(path + L"-journal");
             journal.replace(16, 4, "\x7F\xFF\xFF\xFF");  // the page count before the transaction
             WriteFileBytes(path + L"-journal", journal);
         }, kTooLarge},
        {"a journal naming a file elsewhere", true,
         [](const std::wstring& path, const std::wstring& elsewhere) {
             WriteInterruptedWebData(path, kWiki);
             NameSuperJournal(path + L"-journal", std::string(elsewhere.begin(), elsewhere.end()));
         }, nullptr},
    };
    return profiles;
}

std::string BookmarksOfAmpersands(size_t n)
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<A HREF=\"https://x/?q=%s" + std::string(n, '&') +
           "\" SHORTCUTURL=k>";
}

std::string ChromiumUrlOfParameters(int n)
{
    return "https://x/?q=" + Repeated("{searchTerms}{google:RLZ}", n);
}

std::string ProfilesIniOfSections(int n)
{
    std::string ini;
    for (int i = 0; i < n; ++i)
        ini += "[Profile" + std::to_string(i) + "]\nPath=" + std::to_string(i) + "\n[Install" + std::to_string(i) +
               "]\nDefault=" + std::to_string(n - i) + "\n";
    return ini;
}

std::string ProfilesIniClimbing(int n)
{
    return "[Profile0]\nIsRelative=0\nPath=C:\\" + Repeated("..\\", n) + "\n";
}
