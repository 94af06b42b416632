#include "tests/app/DialogFixture.h"

// "Import from a browser": what it offers from the user's browser profiles,
// and what it takes into the table.

// Checked at first: what adds a prefix or changes a URL, and for a prefix
// two profiles disagree on only the first; checking the other unchecks it.
// Import takes exactly the checked rows into the table, and nothing into
// the registry before Apply.
TEST_F(BrowserImport, ChecksWhatChangesTheTableAndImportsExactlyTheChecked)
{
    Open();
    std::string google = ListUrl("GOOGLE");
    LeaveChromeProfile(m_localAppData,
                       {{"wiki", "https://en.wikipedia.org/?search={searchTerms}"},
                        {"news", "https://news.example/?q={searchTerms}"},
                        {"google", Replaced(google, "%s", "{searchTerms}")},
                        {"поиск", "https://поиск.рф/?q={searchTerms}"},
                        {"google.com", "{google:baseURL}search?q={searchTerms}", 1},
                        {"@history", "chrome://history/?q={searchTerms}", 0, 2},
                        {"a\\b", "https://ab/?q={searchTerms}"},
                        {"post", "https://post/?q={searchTerms}", 0, 0, 1, "q={searchTerms}"}});
    LeaveFirefoxProfile(m_roamingAppData, {{"wiki", "https://wiki.example/%s"}, {"ff", "https://ff/?q=%s"}});

    ImportDialogSeen afterClicks;
    ImportDialogSeen seen = ImportFromBrowser([&](HWND dialog, HWND list) {
        ListView_SetCheckState(list, 4, TRUE);  // Firefox's WIKI
        ListView_SetCheckState(list, 0, FALSE);  // FF
        afterClicks = ReadImportDialog(dialog);
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    const std::string chromeName = "Google Chrome: Person 1", firefoxName = "Mozilla Firefox: default-release";
    EXPECT_EQ(seen.rows, (std::vector<std::string>{
                             "[x] FF https://ff/?q=%s " + firefoxName,
                             "[ ] GOOGLE " + google + " " + chromeName,
                             "[x] NEWS https://news.example/?q=%s " + chromeName,
                             "[x] WIKI https://en.wikipedia.org/?search=%s " + chromeName,
                             "[ ] WIKI https://wiki.example/%s " + firefoxName,
                             "[x] ПОИСК https://поиск.рф/?q=%s " + chromeName}));
    EXPECT_EQ(seen.summary, "Not shown: 2 built-in search engines, 1 search without a search term or sent "
                            "by POST, 1 keyword that cannot be a prefix.");
    EXPECT_TRUE(seen.importEnabled);
    ASSERT_EQ(afterClicks.rows.size(), 6u);
    EXPECT_EQ(afterClicks.rows[3].substr(0, 8), "[ ] WIKI");
    EXPECT_EQ(afterClicks.rows[0].substr(0, 6), "[ ] FF");

    std::vector<std::string> expected = kDefaults;
    expected.insert(expected.end(), {"WIKI", "ПОИСК"});
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(ListUrl("WIKI"), "https://wiki.example/%s");
    EXPECT_EQ(ListUrl("NEWS"), "https://news.example/?q=%s");
    EXPECT_EQ(ListUrl("GOOGLE"), google);
    ASSERT_EQ(MessageRecorder::Messages().size(), 1u);
    EXPECT_EQ(MessageRecorder::Messages()[0].text, "Imported 3 prefixes.");
    EXPECT_EQ(MessageRecorder::Messages()[0].caption, "Quillory");
    EXPECT_EQ(MessageRecorder::Messages()[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(StoredNames(), kDefaults);
    EXPECT_TRUE(Enabled(IDC_APPLY));
}

// With nothing to import the dialog says why, and Import cannot be pressed;
// Cancel changes nothing.
TEST_F(BrowserImport, NothingFoundSaysSoAndOffersNoImport)
{
    Open();
    auto press = [](std::vector<int> buttons) {
        return [buttons](HWND dialog, HWND) { for (int id : buttons) ::PostMessageA(dialog, WM_COMMAND, id, 0); };
    };
    ImportDialogSeen none = ImportFromBrowser(press({IDCANCEL}));
    WriteWebData(m_root.Make(L"Local\\Microsoft\\Edge\\User Data\\Default") + L"\\Web Data",
                 {{"bing.com", "https://www.bing.com/search?q={searchTerms}", 3}});
    WriteFileBytes(m_root.Make(L"Local\\Chromium\\User Data\\Default") + L"\\Web Data", "not a database");
    ImportDialogSeen builtIn = ImportFromBrowser(press({IDOK, IDCANCEL}));
    for (const wchar_t* browser : {L"Google\\Chrome", L"BraveSoftware\\Brave-Browser", L"Vivaldi"}) {
        for (const wchar_t* profile : {L"Default", L"Profile 1", L"Profile 2"})
            WriteFileBytes(m_root.Make(L"Local\\" + std::wstring(browser) + L"\\User Data\\" + profile) +
                               L"\\Web Data", "x");
    }
    ImportDialogSeen unread = ImportFromBrowser(press({IDCANCEL}));
    for (const ImportDialogSeen* seen : {&none, &builtIn, &unread}) {
        EXPECT_TRUE(seen->rows.empty());
        EXPECT_FALSE(seen->importEnabled);
        EXPECT_EQ(seen->summaryScrolls, seen == &unread) << seen->summary;  // only what does not fit
    }
    EXPECT_EQ(none.summary, "No browser profiles were found for this user. Quillory looks in the profiles of "
                            "Google Chrome, Microsoft Edge, Brave, Vivaldi, Chromium and Mozilla Firefox.");
    EXPECT_EQ(builtIn.summary, "No search shortcuts to import were found in 2 browser profiles. Not shown: "
                               "1 built-in search engine. Could not read Chromium: Default: the file is "
                               "damaged or is not a database.");
    EXPECT_EQ(Rows(), kDefaults);
    EXPECT_TRUE(MessageRecorder::Messages().empty());
    EXPECT_FALSE(Enabled(IDC_APPLY));
}
