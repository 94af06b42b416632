#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"

#include "tests/support/BrowserProfiles.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// This executable runs in code page 1252: é is one byte here, and no
// Cyrillic letter can be held.

namespace {

using Reason = CFoundShortcuts::Reason;
using Shortcuts = std::vector<std::pair<std::string, std::string>>;

const char kSource[] = "Test: Profile";

Shortcuts ShortcutsOf(const CFoundShortcuts& found)
{
    Shortcuts shortcuts;
    for (const CShortcut& shortcut : found.Shortcuts()) {
        EXPECT_STREQ(shortcut.source, kSource);
        shortcuts.emplace_back(static_cast<const char*>(shortcut.prefix), static_cast<const char*>(shortcut.url));
    }
    return shortcuts;
}

CFoundShortcuts Read(CBrowserProfile::Kind kind, const std::wstring& database)
{
    CFoundShortcuts found;
    CProfileReader::Read(CBrowserProfile{kind, kSource, database}, found);
    return found;
}

// The private copies a read makes, in the temporary folder.
std::vector<std::wstring> CopiesLeft()
{
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    std::vector<std::wstring> left;
    const std::wstring mine = L"quillory-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (const std::wstring& name : FilesBelow(temporary)) {
        if (name.compare(0, mine.size(), mine) == 0)
            left.push_back(name);
    }
    return left;
}

} // namespace

// What a user made stays; built-in engines, starter packs, POST, no search
// term, other schemes and Chrome's own parameters are counted out. Every
// column the older schema lacks is simply not asked for.
TEST(ChromiumKeywords, TheUsersOwnSearchesInEitherSchema)
{
    struct Case {
        ChromiumKeyword row;
        const char* url;      // as found; null when left out
        Reason current;       // why it is left out, in each schema
        Reason older;
    };
    const Reason kShown = CFoundShortcuts::kReasonCount;
    const Case cases[] = {
        {{"wiki", "https://en.wikipedia.org/w/index.php?search={searchTerms}"},
         "https://en.wikipedia.org/w/index.php?search=%s", kShown, kShown},
        {{"g", "{google:baseURL}search?q={searchTerms}&{google:RLZ}{google:originalQueryForSuggestion}"
               "ie={inputEncoding}"},
         "https://www.google.com/search?q=%s&ie=UTF-8", kShown, kShown},
        {{"google.com", "{google:baseURL}search?q={searchTerms}", 1}, nullptr,
         CFoundShortcuts::kBuiltIn, CFoundShortcuts::kBuiltIn},
        {{"@gemini", "https://gemini.google.com/app?q={searchTerms}", 0, 4}, "https://gemini.google.com/app?q=%s",
         CFoundShortcuts::kBuiltIn, kShown},  // the older schema has no starter packs
        {{"post", "https://x/search", 0, 0, 1, "q={searchTerms}"}, nullptr,
         CFoundShortcuts::kNoSearchTerm, CFoundShortcuts::kNoSearchTerm},
        {{"home", "https://x/home"}, nullptr, CFoundShortcuts::kNoSearchTerm, CFoundShortcuts::kNoSearchTerm},
        {{"ftp", "ftp://x/{searchTerms}"}, nullptr, CFoundShortcuts::kNotWebAddress, CFoundShortcuts::kNotWebAddress},
        {{"page", "https://x/?q={searchTerms}&p={startPage?}"}, nullptr,
         CFoundShortcuts::kBrowserParameter, CFoundShortcuts::kBrowserParameter},
        {{"off", "https://off/?q={searchTerms}", 0, 0, 2}, "https://off/?q=%s", CFoundShortcuts::kInactive, kShown},
        {{"site.example", "https://site.example/?q={searchTerms}", 0, 0, 0, "", 1}, nullptr,
         CFoundShortcuts::kInactive, CFoundShortcuts::kInactive},  // added by the browser, untouched
        {{"turnedon.example", "https://on/?q={searchTerms}", 0, 0, 1, "", 1}, "https://on/?q=%s", kShown,
         CFoundShortcuts::kInactive},
        {{"unset", "https://unset/?q={searchTerms}", 0, 0, 0}, "https://unset/?q=%s", kShown, kShown},
        {{"\xC3\xA9t\xC3\xA9", "HTTPS://\xC3\xA9.example/?q={searchTerms}"}, "HTTPS://\xE9.example/?q=%s",
         kShown, kShown},
        {{"\xD0\xBF\xD0\xBE\xD0\xB8\xD1\x81\xD0\xBA", "https://x/?q={searchTerms}"}, nullptr,
         CFoundShortcuts::kUnreadableText, CFoundShortcuts::kUnreadableText},
    };
    TempFolder folder;
    for (ChromiumSchema schema : {ChromiumSchema::Current, ChromiumSchema::Older}) {
        bool current = schema == ChromiumSchema::Current;
        std::vector<ChromiumKeyword> rows;
        Shortcuts shown;
        int counts[CFoundShortcuts::kReasonCount + 1] = {};
        for (const Case& c : cases) {
            rows.push_back(c.row);
            Reason reason = current ? c.current : c.older;
            ++counts[reason];
            if (reason == kShown) {
                std::wstring keyword = WideOf(c.row.keyword);
                std::string narrow(keyword.begin(), keyword.end());  // Latin-1 is 1252 here
                shown.emplace_back(narrow, c.url);
            }
        }
        const std::wstring database = folder.Path() + (current ? L"\\Current" : L"\\Older");
        WriteWebData(database, rows, schema);
        CFoundShortcuts found = Read(CBrowserProfile::kChromium, database);
        EXPECT_TRUE(found.UnreadProfiles().empty());
        EXPECT_EQ(ShortcutsOf(found), shown) << current;
        for (int reason = 0; reason < CFoundShortcuts::kReasonCount; ++reason)
            EXPECT_EQ(found.LeftOut(static_cast<Reason>(reason)), counts[reason]) << current << " " << reason;
    }
}

// Keyword bookmarks, also while they are only in the write-ahead log of a
// running Firefox: the address with %s (or %S, the query as typed), and no
// POST data.
TEST(FirefoxKeywords, KeywordSearchesAlsoOnlyInTheLog)
{
    const std::vector<FirefoxKeyword> rows = {
        {"wiki", "https://en.wikipedia.org/wiki/Special:Search?search=%s"},
        {"raw", "https://x/?q=%S&p=%s"},
        {"post", "https://x/search", "q=%s"},
        {"plain", "https://x/plain"},
        {"js", "javascript:alert('%s')"},
        {"\xC3\xA9t\xC3\xA9", "http://\xC3\xA9.example/%s"},
    };
    const Shortcuts shown = {{"wiki", "https://en.wikipedia.org/wiki/Special:Search?search=%s"},
                             {"raw", "https://x/?q=%s&p=%s"},
                             {"\xE9t\xE9", "http://\xE9.example/%s"}};
    TempFolder folder;
    for (bool inLog : {false, true}) {
        const std::wstring database = folder.Path() + L"\\places.sqlite";
        WritePlaces(database, rows, inLog);
        ASSERT_EQ(ReadFileBytes(database + L"-wal").size() > 32768, inLog);
        const std::string before = ReadFileBytes(database) + ReadFileBytes(database + L"-wal");
        CFoundShortcuts found = Read(CBrowserProfile::kFirefox, database);
        EXPECT_TRUE(found.UnreadProfiles().empty()) << inLog;
        EXPECT_EQ(ShortcutsOf(found), shown) << inLog;
        EXPECT_EQ(found.LeftOut(CFoundShortcuts::kNoSearchTerm), 2) << inLog;
        EXPECT_EQ(found.LeftOut(CFoundShortcuts::kNotWebAddress), 1) << inLog;
        EXPECT_EQ(ReadFileBytes(database) + ReadFileBytes(database + L"-wal"), before) << inLog;
    }
    EXPECT_TRUE(CopiesLeft().empty());
}

namespace {

// Another program's connection, as a running browser keeps one.
class Holder {
public:
    explicit Holder(const std::wstring& path) { ::sqlite3_open16(path.c_str(), &m_database); }
    ~Holder() { ::sqlite3_close(m_database); }
    int Run(const char* sql) { return ::sqlite3_exec(m_database, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* m_database = nullptr;
};

} // namespace

// A profile is read whole from a private copy or not at all: a browser
// holding its database in exclusive locking mode, with its newest rows
// still only in the log or journal, is read past; a locked, cut off or
// foreign file is named with the reason. The originals stay byte for byte.
TEST(ProfileReader, ReadsPastABrowserAndSkipsWhatItCannotRead)
{
    TempFolder folder;
    const std::wstring webData = folder.Path() + L"\\Web Data";
    const std::wstring places = folder.Path() + L"\\places.sqlite";
    const ChromiumKeyword wiki = {"wiki", "https://w/?q={searchTerms}"};
    struct Case {
        const char* what;
        CBrowserProfile::Kind kind;
        std::function<void()> write;
        std::function<void()> hold;  // another program's hold on the files
        size_t shortcuts;
        const char* reason;  // null: read; empty: the system's words
    };
    std::unique_ptr<Holder> holder;
    HANDLE locked = INVALID_HANDLE_VALUE;
    auto none = [] {};
    const Case cases[] = {
        {"Chromium, exclusive lock held after a write", CBrowserProfile::kChromium,
         [&] { WriteWebData(webData, {wiki}); },
         [&] {
             holder = std::make_unique<Holder>(webData);
             ASSERT_EQ(holder->Run("PRAGMA locking_mode = EXCLUSIVE; INSERT INTO keywords (short_name,"
                                   " keyword, favicon_url, url) VALUES ('n', 'new', '', 'https://n/?q={searchTerms}')"),
                       SQLITE_OK);
         },
         2, nullptr},
        {"Chromium, in the middle of a transaction", CBrowserProfile::kChromium,
         [&] { WriteWebData(webData, {wiki}); },
         [&] {
             holder = std::make_unique<Holder>(webData);
             ASSERT_EQ(holder->Run("PRAGMA cache_size = 1; BEGIN; DELETE FROM keywords;"
                                   " UPDATE meta SET value = hex(randomblob(3000));"),
                       SQLITE_OK);
         },
         1, nullptr},
        {"Firefox, exclusive lock, rows only in the log", CBrowserProfile::kFirefox,
         [&] { WritePlaces(places, {{"wiki", "https://w/?q=%s"}}); },
         [&] {
             holder = std::make_unique<Holder>(places);
             ASSERT_EQ(holder->Run("PRAGMA locking_mode = EXCLUSIVE; PRAGMA wal_autocheckpoint = 0;"
                                   " INSERT INTO moz_places (id, url, guid) VALUES (99, 'https://n/%s', 'n');"
                                   " INSERT INTO moz_keywords (keyword, place_id) VALUES ('new', 99);"),
                       SQLITE_OK);
         },
         2, nullptr},
        {"locked by another program", CBrowserProfile::kChromium,
         [&] { WriteWebData(webData, {wiki}); },
         [&] {
             // Open with no sharing at all, as a program that keeps others out.
             locked = ::CreateFileW(webData.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
             ASSERT_NE(locked, INVALID_HANDLE_VALUE);
         },
         0, ""},  // the system's own words for a sharing violation
        {"cut off", CBrowserProfile::kChromium,
         [&] {
             WriteWebData(webData, {wiki});
             WriteFileBytes(webData, ReadFileBytes(webData).substr(0, 5000));
         },
         none, 0, "the file is damaged or is not a database"},
        {"not a database", CBrowserProfile::kFirefox,
         [&] { WriteFileBytes(places, "[Profile0]\r\nName=default\r\n"); }, none, 0,
         "the file is damaged or is not a database"},
        {"another browser's database", CBrowserProfile::kChromium,
         [&] {
             WritePlaces(places, {{"wiki", "https://w/?q=%s"}});
             ::CopyFileW(places.c_str(), webData.c_str(), FALSE);
         },
         none, 0, "the database is not of a kind Quillory can read"},
    };
    for (const Case& c : cases) {
        c.write();
        c.hold();
        const std::wstring& database = c.kind == CBrowserProfile::kChromium ? webData : places;
        auto bytes = [&] {
            return ReadFileBytes(database) + ReadFileBytes(database + L"-wal") +
                   ReadFileBytes(database + L"-journal");
        };
        const std::string before = bytes();
        CFoundShortcuts found = Read(c.kind, database);
        EXPECT_EQ(found.Shortcuts().size(), c.shortcuts) << c.what;
        EXPECT_EQ(found.ProfileCount(), 1) << c.what;
        if (c.reason == nullptr) {
            EXPECT_TRUE(found.UnreadProfiles().empty()) << c.what;
        } else {
            ASSERT_EQ(found.UnreadProfiles().size(), 1u) << c.what;
            EXPECT_STREQ(found.UnreadProfiles()[0].source, kSource);
            const CString& reason = found.UnreadProfiles()[0].reason;
            if (*c.reason == '\0')
                EXPECT_TRUE(std::string(reason).find("database") == std::string::npos && !reason.IsEmpty()) << reason;
            else
                EXPECT_STREQ(reason, c.reason) << c.what;
        }
        EXPECT_TRUE(CopiesLeft().empty()) << c.what;
        EXPECT_EQ(bytes(), before) << c.what;
        if (locked != INVALID_HANDLE_VALUE)
            ::CloseHandle(locked);
        locked = INVALID_HANDLE_VALUE;
        holder.reset();
    }
}

// Where each browser keeps its profiles, in the order the import offers
// them, named as the browser names them.
TEST(ProfileFinder, FindsEveryBrowsersProfilesInOrder)
{
    TempFolder root;
    const std::wstring local = root.Make(L"Local");
    const std::wstring roaming = root.Make(L"Roaming");
    auto webData = [&](const std::wstring& profile) {
        WriteFileBytes(root.Make(L"Local\\" + profile) + L"\\Web Data", "");
    };
    for (const wchar_t* profile : {L"Default", L"Profile 10", L"Profile 2", L"Profile 1", L"System Profile",
                                   L"Guest Profile", L"Zed"})
        webData(std::wstring(L"Google\\Chrome\\User Data\\") + profile);
    root.Make(L"Local\\Google\\Chrome\\User Data\\Empty");  // no Web Data: no profile
    WriteFileBytes(local + L"\\Google\\Chrome\\User Data\\Local State",
                   R"({"profile": {"info_cache": {"Default": {"name": "Person 1"},
                       "Profile 1": {"name": "Travail \u00e9t\u00e9"}, "Profile 2": {"name": 2},
                       "Zed": {"name": ""}}}})");
    webData(L"Microsoft\\Edge\\User Data\\Default");  // no Local State
    webData(L"BraveSoftware\\Brave-Browser\\User Data\\Default");
    WriteFileBytes(local + L"\\BraveSoftware\\Brave-Browser\\User Data\\Local State", "{\"profile\": {");
    webData(L"Vivaldi\\User Data\\Default");
    WriteFileBytes(local + L"\\Vivaldi\\User Data\\Local State", R"({"profile": []})");

    const std::wstring firefox = root.Make(L"Roaming\\Mozilla\\Firefox");
    const std::wstring elsewhere = root.Make(L"Elsewhere\\ff");
    for (const std::wstring& profile : {root.Make(L"Roaming\\Mozilla\\Firefox\\Profiles\\a.default"),
                                        root.Make(L"Roaming\\Mozilla\\Firefox\\Profiles\\b.default-release"),
                                        elsewhere})
        WriteFileBytes(profile + L"\\places.sqlite", "");
    root.Make(L"Roaming\\Mozilla\\Firefox\\Profiles\\c.empty");
    std::string ini = "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/a.default\r\nDefault=1\r\n\r\n"
                      "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/b.default-release\r\n\r\n"
                      "[Profile2]\r\nName=elsewhere\r\nIsRelative=0\r\nPath=";
    std::wstring absolute = elsewhere;
    ini += std::string(absolute.begin(), absolute.end()) +
           "\r\n\r\n[Profile3]\r\nName=empty\r\nIsRelative=1\r\nPath=Profiles/c.empty\r\n\r\n"
           "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n\r\n"
           "[Install308046B0AF4A39CB]\r\nDefault=Profiles/b.default-release\r\nLocked=1\r\n";
    WriteFileBytes(firefox + L"\\profiles.ini", ini);

    std::vector<std::pair<std::string, std::wstring>> found;
    for (const CBrowserProfile& profile : CProfileFinder::Find(local, roaming))
        found.emplace_back(static_cast<const char*>(profile.name), profile.database);
    const std::wstring chrome = local + L"\\Google\\Chrome\\User Data\\";
    const std::vector<std::pair<std::string, std::wstring>> expected = {
        {"Google Chrome: Person 1", chrome + L"Default\\Web Data"},
        {"Google Chrome: Travail \xE9t\xE9", chrome + L"Profile 1\\Web Data"},
        {"Google Chrome: Profile 2", chrome + L"Profile 2\\Web Data"},
        {"Google Chrome: Profile 10", chrome + L"Profile 10\\Web Data"},
        {"Google Chrome: Zed", chrome + L"Zed\\Web Data"},
        {"Microsoft Edge: Default", local + L"\\Microsoft\\Edge\\User Data\\Default\\Web Data"},
        {"Brave: Default", local + L"\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Web Data"},
        {"Vivaldi: Default", local + L"\\Vivaldi\\User Data\\Default\\Web Data"},
        {"Mozilla Firefox: default-release", firefox + L"\\Profiles\\b.default-release\\places.sqlite"},
        {"Mozilla Firefox: default", firefox + L"\\Profiles\\a.default\\places.sqlite"},
        {"Mozilla Firefox: elsewhere", elsewhere + L"\\places.sqlite"},
    };
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(CProfileFinder::Find(L"", L"").empty());
}
