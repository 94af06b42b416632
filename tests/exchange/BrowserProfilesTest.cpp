#include "exchange/ConfinedVfs.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteStatement.h"
#include "text/String.h"

#include "tests/support/BrowserProfiles.h"
#include "tests/support/HostileProfiles.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// This executable runs in code page 1252: é is one byte here, and no
// Cyrillic letter can be held.

namespace {

using Reason = CFoundShortcuts::Reason;
using Pairs = std::vector<std::pair<std::string, std::string>>;
const Reason kShown = CFoundShortcuts::kReasonCount;

CFoundShortcuts Read(CBrowserProfile::Kind kind, const std::wstring& database)
{
    CFoundShortcuts found;
    CProfileReader::Read(CBrowserProfile{kind, "Test: Profile", database}, found);
    return found;
}

Pairs ShortcutsOf(const CFoundShortcuts& found)
{
    Pairs shortcuts;
    for (const CShortcut& shortcut : found.Shortcuts()) {
        EXPECT_STREQ(shortcut.source, "Test: Profile");
        shortcuts.emplace_back(static_cast<const char*>(shortcut.prefix), static_cast<const char*>(shortcut.url));
    }
    return shortcuts;
}

// The reasons counted, for each row: the shown ones as kShown.
std::vector<int> CountsOf(const CFoundShortcuts& found)
{
    std::vector<int> counts;
    for (int reason = 0; reason < CFoundShortcuts::kReasonCount; ++reason)
        counts.push_back(found.LeftOut(static_cast<Reason>(reason)));
    counts.push_back(static_cast<int>(found.Shortcuts().size()));
    return counts;
}

// The private copies a read makes in the temporary folder, if any are left.
bool CopiesLeft()
{
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW((std::wstring(temporary) + L"quillory-" +
                                      std::to_wstring(::GetCurrentProcessId()) + L"-*").c_str(), &found);
    ::FindClose(search);
    return search != INVALID_HANDLE_VALUE;
}

} // namespace

// What the user made stays, Chrome's parameters made plain; built-in engines
// and starter packs, inactive ones, POST, no search term, other schemes and
// parameters only Chrome fills in are counted out. What a column the older
// schema lacks would tell is simply not known there.
TEST(ChromiumKeywords, TheUsersOwnSearchesInEitherSchema)
{
    using F = CFoundShortcuts;
    struct Case {
        ChromiumKeyword row;
        const char* url;  // as found, where shown
        Reason current;
        std::optional<Reason> older = std::nullopt;  // where not the current schema's
    };
    const Case cases[] = {
        {{"wiki", "https://w/index.php?search={searchTerms}"}, "https://w/index.php?search=%s", kShown},
        {{"g", "{google:baseURL}search?q={searchTerms}&{google:RLZ}{google:originalQueryForSuggestion}"
               "ie={inputEncoding}"}, "https://www.google.com/search?q=%s&ie=UTF-8", kShown},
        {{"google.com", "{google:baseURL}search?q={searchTerms}", 1}, "", F::kBuiltIn},
        {{"@gemini", "https://gemini/app?q={searchTerms}", 0, 4}, "https://gemini/app?q=%s", F::kBuiltIn, kShown},
        {{"post", "https://x/?q={searchTerms}", 0, 0, 1, "q={searchTerms}"}, "", F::kNoSearchTerm},
        {{"home", "https://x/home"}, "", F::kNoSearchTerm},
        {{"ftp", "ftp://x/{searchTerms}"}, "", F::kNotWebAddress},
        {{"page", "https://x/?q={searchTerms}&p={startPage?}"}, "", F::kBrowserParameter},
        {{"off", "https://off/?q={searchTerms}", 0, 0, 2}, "https://off/?q=%s", F::kInactive, kShown},
        // Added by the browser, untouched.
        {{"site.example", "https://site/?q={searchTerms}", 0, 0, 0, "", 1}, "", F::kInactive},
        {{"turned.on", "https://on/?q={searchTerms}", 0, 0, 1, "", 1}, "https://on/?q=%s", kShown, F::kInactive},
        {{"unset", "https://unset/?q={searchTerms}", 0, 0, 0}, "https://unset/?q=%s", kShown},
        {{"\xC3\xA9t\xC3\xA9", "HTTPS://\xC3\xA9.x/?q={searchTerms}"}, "HTTPS://\xE9.x/?q=%s", kShown},
        {{"\xD0\xBF\xD0\xBE\xD0\xB8\xD1\x81\xD0\xBA", "https://x/?q={searchTerms}"}, "", F::kUnreadableText},
        // What Chromium writes for a %S bookmark it imported; a brace of the
        // address does not hide or make a parameter.
        {{"raw", "https://raw/?q={google:unescapedSearchTerms}"}, "https://raw/?q=%s", kShown},
        {{"hidden", "https://x/{google:a{searchTerms}}"}, "", F::kBrowserParameter},
        {{"braces", "https://x/{{searchTerms}"}, "https://x/{%s", kShown},
        // No text, or no word one can type before a query.
        {{"bad\xFF", "https://x/?q={searchTerms}"}, "", F::kUnreadableText},
        {{"ok", "https://x/?q=\xC3{searchTerms}"}, "", F::kUnreadableText},
        {{"two words", "https://x/?q={searchTerms}"}, "", F::kInvalidPrefix},
        {{"tab\tbed", "https://x/?q={searchTerms}"}, "", F::kInvalidPrefix},
        {{"nb\xC2\xA0sp", "https://x/?q={searchTerms}"}, "", F::kInvalidPrefix},
    };
    TempFolder folder;
    for (ChromiumSchema schema : {ChromiumSchema::Current, ChromiumSchema::Older}) {
        const bool current = schema == ChromiumSchema::Current;
        std::vector<ChromiumKeyword> rows;
        Pairs shown;
        std::vector<int> counts(CFoundShortcuts::kReasonCount + 1);
        for (const Case& c : cases) {
            rows.push_back(c.row);
            Reason reason = current ? c.current : c.older.value_or(c.current);
            ++counts[reason];
            std::wstring keyword = Wide(c.row.keyword);
            if (reason == kShown)
                shown.emplace_back(std::string(keyword.begin(), keyword.end()), c.url);  // Latin-1 is 1252 here
        }
        WriteWebData(folder.Path() + L"\\Web Data", rows, schema);
        CFoundShortcuts found = Read(CBrowserProfile::kChromium, folder.Path() + L"\\Web Data");
        EXPECT_TRUE(found.UnreadProfiles().empty());
        EXPECT_EQ(ShortcutsOf(found), shown) << current;
        EXPECT_EQ(CountsOf(found), counts) << current;
    }
}

// Keyword bookmarks: the address with %s (or %S, the query as typed), and
// no POST data; a keyword that is no text, or no word one can type, is
// counted out.
TEST(FirefoxKeywords, KeywordSearchesWithTheQueryInTheAddress)
{
    TempFolder folder;
    const std::wstring database = LeaveFirefoxProfile(
        folder.Path(), {{"wiki", "https://w/Special:Search?search=%s"}, {"raw", "https://x/?q=%S&p=%s"},
                        {"post", "https://x/?q=%s", "q=%s"}, {"plain", "https://x/plain"},
                        {"js", "javascript:alert('%s')"}, {"\xC3\xA9t\xC3\xA9", "http://\xC3\xA9.x/%s"},
                        {"bad\xC0\xAF", "https://x/%s"}, {"new\nline", "https://x/%s"}});
    CFoundShortcuts found = Read(CBrowserProfile::kFirefox, database);
    EXPECT_EQ(ShortcutsOf(found), (Pairs{{"wiki", "https://w/Special:Search?search=%s"},
                                         {"raw", "https://x/?q=%s&p=%s"},
                                         {"\xE9t\xE9", "http://\xE9.x/%s"}}));
    EXPECT_EQ(CountsOf(found), (std::vector<int>{0, 0, 2, 1, 0, 1, 1, 3}));
}

// A profile is read whole from a private copy or not at all: one a browser
// holds in exclusive locking mode, with its newest rows still only in the
// log, or in the middle of a transaction, is read past it; one locked, cut
// off or foreign is named with the reason. The originals stay byte for byte.
TEST(ProfileReader, ReadsPastABrowserAndSkipsWhatItCannotRead)
{
    TempFolder folder;
    const std::wstring webData = folder.Path() + L"\\Web Data";
    const std::wstring places = folder.Path() + L"\\places.sqlite";
    sqlite3* holder = nullptr;  // another program's connection
    HANDLE locked = INVALID_HANDLE_VALUE;
    auto hold = [&](const std::wstring& path, const char* sql) {
        ::sqlite3_open16(path.c_str(), &holder);
        ASSERT_EQ(::sqlite3_exec(holder, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    };
    auto chromium = [&] { WriteWebData(webData, {{"wiki", "https://w/?q={searchTerms}"}}); };
    auto firefox = [&] { WritePlaces(places, {{"wiki", "https://w/?q=%s"}}); };
    struct Case {
        const char* what;
        CBrowserProfile::Kind kind;
        std::function<void()> write, hold;
        size_t shortcuts;
        std::optional<std::string> reason;  // none: read
    };
    const Case cases[] = {
        {"exclusive lock after a write", CBrowserProfile::kChromium, chromium,
         [&] { hold(webData, "PRAGMA locking_mode = EXCLUSIVE; INSERT INTO keywords (short_name, keyword,"
                             " favicon_url, url) VALUES ('n', 'new', '', 'https://n/?q={searchTerms}')"); },
         2, std::nullopt},
        {"in the middle of a transaction", CBrowserProfile::kChromium, chromium,
         [&] { hold(webData, "PRAGMA cache_size = 1; BEGIN; DELETE FROM keywords;"
                             " UPDATE meta SET value = hex(randomblob(3000));"); },
         1, std::nullopt},
        {"exclusive lock, the newest rows only in the log", CBrowserProfile::kFirefox, firefox,
         [&] { hold(places, "PRAGMA locking_mode = EXCLUSIVE; PRAGMA wal_autocheckpoint = 0;"
                            " INSERT INTO moz_places (id, url) VALUES (99, 'https://n/%s');"
                            " INSERT INTO moz_keywords (keyword, place_id) VALUES ('new', 99);"); },
         2, std::nullopt},
        {"open with no sharing at all", CBrowserProfile::kChromium, chromium,
         [&] { locked = ::CreateFileW(webData.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr); },
         0, SystemErrorText(ERROR_SHARING_VIOLATION)},  // the system's words, ending the dialog's sentence
        {"cut off", CBrowserProfile::kChromium,
         [&] { chromium(); WriteFileBytes(webData, ReadFileBytes(webData).substr(0, 5000)); }, [] {}, 0,
         "the file is damaged or is not a database"},
        {"not a database", CBrowserProfile::kFirefox, [&] { WriteFileBytes(places, "[Profile0]\r\n"); }, [] {}, 0,
         "the file is damaged or is not a database"},
        {"another browser's database", CBrowserProfile::kChromium,
         [&] { firefox(); ::CopyFileW(places.c_str(), webData.c_str(), FALSE); }, [] {}, 0,
         "the database is not of a kind Quillory can read"},
    };
    for (const Case& c : cases) {
        c.write();
        c.hold();
        const std::wstring& database = c.kind == CBrowserProfile::kChromium ? webData : places;
        auto bytes = [&] {
            return ReadFileBytes(database) + ReadFileBytes(database + L"-wal") + ReadFileBytes(database + L"-journal");
        };
        const std::string before = bytes();
        CFoundShortcuts found = Read(c.kind, database);
        EXPECT_EQ(found.Shortcuts().size(), c.shortcuts) << c.what;
        EXPECT_EQ(found.UnreadProfiles().size(), c.reason ? 1u : 0u) << c.what;
        if (c.reason && !found.UnreadProfiles().empty()) {
            EXPECT_EQ(std::string(found.UnreadProfiles()[0].reason), *c.reason) << c.what;
        }
        EXPECT_FALSE(CopiesLeft()) << c.what;
        EXPECT_EQ(bytes(), before) << c.what;
        if (locked != INVALID_HANDLE_VALUE)
            ::CloseHandle(locked);
        locked = INVALID_HANDLE_VALUE;
        ::sqlite3_close(holder);
        holder = nullptr;
    }
    // Copies a process left when it ended badly go with the next import;
    // no other folder does.
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    const std::wstring leftover = MakeFolders(temporary, L"quillory-4294967292-1");
    const std::wstring other = MakeFolders(temporary, L"quillory-notes-1");
    WriteFileBytes(leftover + L"\\database", "history");
    CFoundShortcuts none;
    CProfileReader::Read(std::vector<CBrowserProfile>(), none);
    EXPECT_EQ(::GetFileAttributesW(leftover.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(::RemoveDirectoryW(other.c_str()));
    EXPECT_EQ(::GetFileAttributesW(folder.Path().c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

// Profiles made to stall a reader, fill the disk or reach outside: each is
// named with its reason, and the one beside them is still read. No file
// outside the copies is touched, not even one a journal names as its
// super-journal for the rollback to delete.
TEST(ProfileReader, HostileProfilesAreNamedAndTheOthersStillRead)
{
    TempFolder folder;
    const std::wstring elsewhere = folder.Path() + L"\\notes.txt";
    WriteFileBytes(elsewhere, "keep me");
    std::vector<CBrowserProfile> profiles;
    Pairs unread;
    for (const HostileProfile& hostile : HostileProfiles()) {
        const std::wstring database = folder.Make(std::to_wstring(profiles.size())) +
                                      (hostile.chromium ? L"\\Web Data" : L"\\places.sqlite");
        hostile.write(database, elsewhere);
        profiles.push_back({hostile.chromium ? CBrowserProfile::kChromium : CBrowserProfile::kFirefox,
                            hostile.what, database});
        if (hostile.reason != nullptr)
            unread.emplace_back(hostile.what, hostile.reason);
    }
    CFoundShortcuts found;
    CProfileReader::Read(profiles, found);
    Pairs named;
    for (const CFoundShortcuts::Unread& profile : found.UnreadProfiles())
        named.emplace_back(static_cast<const char*>(profile.source), static_cast<const char*>(profile.reason));
    EXPECT_EQ(named, unread);
    ASSERT_EQ(found.Shortcuts().size(), 1u);
    EXPECT_STREQ(found.Shortcuts()[0].url, "https://w/?q=%s");
    EXPECT_EQ(ReadFileBytes(elsewhere), "keep me");
    EXPECT_FALSE(CopiesLeft());
}

// Whatever a file's views or columns ask, a statement ends within its
// steps and memory; through a copy's file layer SQLite reaches no file but
// the copy's own, and may not grow them past the spare bytes.
TEST(SqliteDatabase, StatementsStayWithinTheirBounds)
{
    TempFolder folder;
    const std::wstring database = folder.Path() + L"\\database", other = folder.Path() + L"\\other";
    WriteWebData(database, {});
    const std::string elsewhere(other.begin(), other.end());
    const struct {
        bool copy;  // or a database in memory
        std::string sql;
        int result;
    } cases[] = {
        {false, "WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM r) SELECT count(*) FROM r",
         SQLITE_INTERRUPT},
        {false, "SELECT length(randomblob(100000000))", SQLITE_NOMEM},
        {true, "VACUUM INTO '" + elsewhere + "'", SQLITE_CANTOPEN},
        {true, "INSERT INTO keywords (short_name, keyword, favicon_url, url) VALUES ('k', 'k', '', zeroblob(20000))",
         SQLITE_FULL},
    };
    for (const auto& c : cases) {
        CConfinedVfs files(database, 4096);
        CSqliteDatabase connection;
        ASSERT_EQ(connection.Open(c.copy ? database : L":memory:", SQLITE_OPEN_READWRITE,
                                  c.copy ? files.Name() : nullptr),
                  SQLITE_OK);
        CSqliteStatement statement(connection, c.sql.c_str());
        EXPECT_EQ(statement.Step() & 0xFF, c.result) << c.sql;
    }
    EXPECT_EQ(::GetFileAttributesW(other.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Where each browser keeps its profiles, in the order the import offers
// them (Firefox's: what an installation starts with, then the default),
// named as the browser names them.
TEST(ProfileFinder, FindsEveryBrowsersProfilesInOrder)
{
    TempFolder root;
    const std::wstring local = root.Make(L"Local"), roaming = root.Make(L"Roaming");
    const std::wstring chrome = local + L"\\Google\\Chrome\\User Data\\";
    const std::wstring firefox = roaming + L"\\Mozilla\\Firefox\\";
    const std::wstring elsewhere = root.Make(L"Elsewhere\\ff");
    for (const wchar_t* profile : {L"Google\\Chrome\\User Data\\Default", L"Google\\Chrome\\User Data\\Profile 10",
                                   L"Google\\Chrome\\User Data\\Profile 2", L"Google\\Chrome\\User Data\\Profile 1",
                                   L"Google\\Chrome\\User Data\\System Profile", L"Google\\Chrome\\User Data\\Zed",
                                   L"Microsoft\\Edge\\User Data\\Default", L"BraveSoftware\\Brave-Browser\\User Data\\Default",
                                   L"Vivaldi\\User Data\\Default", L"Chromium\\User Data\\Default"})
        WriteFileBytes(root.Make(std::wstring(L"Local\\") + profile) + L"\\Web Data", "");
    root.Make(L"Local\\Google\\Chrome\\User Data\\Empty");  // no Web Data: no profile
    WriteFileBytes(chrome + L"Local State", R"({"profile": {"info_cache": {"Default": {"name": "Person 1"},
        "Profile 1": {"name": "Travail \u00e9t\u00e9"}, "Profile 2": {"name": 2}, "Zed": {"name": ""}}}})");
    // Edge has no Local State, Brave's is cut off, Vivaldi's of another shape.
    WriteFileBytes(local + L"\\BraveSoftware\\Brave-Browser\\User Data\\Local State", "{\"profile\": {");
    WriteFileBytes(local + L"\\Vivaldi\\User Data\\Local State", R"({"profile": []})");
    // Chromium's nested deeper than any browser's: taken as broken, its name unread.
    WriteFileBytes(local + L"\\Chromium\\User Data\\Local State",
                   R"({"profile": {"info_cache": {"Default": {"name": "Deep"}}}, "x": )" + std::string(70, '[') +
                       std::string(70, ']') + "}");
    for (const std::wstring& profile : {root.Make(L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default"),
                                        root.Make(L"Roaming\\Mozilla\\Firefox\\Profiles\\b.default-release"), elsewhere})
        WriteFileBytes(profile + L"\\places.sqlite", "");
    root.Make(L"Roaming\\Mozilla\\Firefox\\Profiles\\c.empty");
    WriteFileBytes(root.Path() + L"\\secret.txt", "no database");  // named by a path that holds a NUL
    WriteFileBytes(firefox + L"profiles.ini",
                   "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n\r\n"
                   "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/b.default-release\r\n\r\n"
                   "[Profile2]\r\nName=elsewhere\r\nIsRelative=0\r\nDefault=1\r\nPath=" +
                       std::string(elsewhere.begin(), elsewhere.end()) +
                       "\r\n\r\n[Profile3]\r\nName=empty\r\nIsRelative=1\r\nPath=Profiles/c.empty\r\n\r\n"
                       "[Profile4]\r\nName=secret\r\nIsRelative=0\r\nPath=" +
                       std::string(root.Path().begin(), root.Path().end()) + "\\secret.txt" + '\0' + "\r\n\r\n"
                       "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n\r\n"
                       "[Install308046B0AF4A39CB]\r\nDefault=Profiles/b.default-release\r\nLocked=1\r\n");

    std::vector<std::pair<std::string, std::wstring>> found;
    for (const CBrowserProfile& profile : CProfileFinder::Find(local, roaming))
        found.emplace_back(static_cast<const char*>(profile.name), profile.database);
    const std::vector<std::pair<std::string, std::wstring>> expected = {
        {"Google Chrome: Person 1", chrome + L"Default\\Web Data"},
        {"Google Chrome: Travail \xE9t\xE9", chrome + L"Profile 1\\Web Data"},
        {"Google Chrome: Profile 2", chrome + L"Profile 2\\Web Data"},
        {"Google Chrome: Profile 10", chrome + L"Profile 10\\Web Data"},
        {"Google Chrome: Zed", chrome + L"Zed\\Web Data"},
        {"Microsoft Edge: Default", local + L"\\Microsoft\\Edge\\User Data\\Default\\Web Data"},
        {"Brave: Default", local + L"\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Web Data"},
        {"Vivaldi: Default", local + L"\\Vivaldi\\User Data\\Default\\Web Data"},
        {"Chromium: Default", local + L"\\Chromium\\User Data\\Default\\Web Data"},
        {"Mozilla Firefox: default-release", firefox + L"Profiles\\b.default-release\\places.sqlite"},
        {"Mozilla Firefox: elsewhere", elsewhere + L"\\places.sqlite"},
        {"Mozilla Firefox: default", firefox + L"Profiles\\a.default\\places.sqlite"},
    };
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(CProfileFinder::Find(L"", L"").empty());
}
