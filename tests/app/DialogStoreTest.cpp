#include "tests/app/DialogFixture.h"

#include "tests/support/RegistryCallLayer.h"

#include <map>

// The registry as the user meets it through the dialog: what opening,
// Apply, OK and Cancel store, and the key followed while the dialog is open.

// A new account's first run: no key, no box; the defaults stored at once.
TEST_F(MainDialog, AFirstRunStoresTheDefaultsBeforeAnyInput)
{
    Open();
    EXPECT_EQ(Text(m_dialog->m_hWnd), "Quillory");
    RECT work, window;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(m_dialog->m_hWnd, &window);
    EXPECT_NEAR(window.left + window.right, work.left + work.right, 2);  // centred
    EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 2);
    EXPECT_EQ(Rows(), kDefaults);
    EXPECT_EQ(StoredNames(), kDefaults);
    const char* const labels[] = {"Music: All Music Guide - Album", "Music: All Music Guide - Artist",
                                  "Web Search: Google", "Images: Google Images", "Movies: Internet Movie Database",
                                  "News: Google - News", "Usenet Groups: Google - Groups"};
    CSearchUrlCatalog catalog;
    for (size_t i = 0; i < kDefaults.size(); ++i) {
        EXPECT_EQ(StoredPrefixes()[kDefaults[i]].url, std::string(catalog.Lookup(labels[i]))) << kDefaults[i];
        EXPECT_TRUE(StoredPrefixes()[kDefaults[i]].hasTheFiveValues) << kDefaults[i];
    }
    for (int button : {IDC_APPLY, IDC_ADD, IDC_REMOVE})
        EXPECT_FALSE(Enabled(button)) << button;
    EXPECT_TRUE(MessageRecorder::Messages().empty());

    EXPECT_EQ(::SendMessageA(Item(IDC_URL_COMBO), CB_GETCOUNT, 0, 0), 17);
    EXPECT_EQ(Description().rfind(kGeneralStart, 0), 0u) << Description();
    for (WPARAM icon : {ICON_BIG, ICON_SMALL})
        EXPECT_NE(::SendMessageA(m_dialog->m_hWnd, WM_GETICON, icon, 0), 0) << icon;

    char about[64] = {};
    HMENU systemMenu = ::GetSystemMenu(m_dialog->m_hWnd, FALSE);
    ::GetMenuStringA(systemMenu, IDM_ABOUTBOX, about, sizeof about, MF_BYCOMMAND);
    EXPECT_STREQ(about, "&About Quillory...");
}

// After a load that could not read the key, the defaults are offered but
// not written over prefixes that could not be shown.
TEST_F(MainDialog, AFailedLoadOffersTheDefaultsWithoutStoringThem)
{
    StoreNumberAsUrl("NOURL");
    Open();
    EXPECT_EQ(MessageRecorder::Texts(),
              (std::vector<std::string>{"Could not read from the registry.\n\nThese prefixes could "
                                        "not be shown and are kept as they are: NOURL"}));
    EXPECT_EQ(Rows(), kDefaults);
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"NOURL"}));
    EXPECT_TRUE(Enabled(IDC_APPLY));

    Click(IDC_APPLY);
    std::vector<std::string> expected = kDefaults;
    expected.insert(expected.begin() + 6, "NOURL");
    EXPECT_EQ(StoredNames(), expected);
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

// Changes made through another handle reach the list in the rows the user
// has not edited, in one reading for a burst of them, and leave the user's
// selection, typing, label and modified flag alone; the save's own writes do
// not come back, and a deleted key takes every row the user has not edited.
TEST_F(MainDialog, TheOpenDialogFollowsTheKey)
{
    CreateTestKey(kSearchUrl);  // watched from the start
    Open();
    Add("NEWS", "http://mine/%s");
    SelectRow(RowOf("MOVIE"));
    SetFields("MOVIE", "http://typed/%s");  // typed, not added
    HKEY other = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kSearchUrl, 0, KEY_ALL_ACCESS, &other), 0);
    ::RegSetKeyValueA(other, "NEWS", "", REG_SZ, "http://other/news/%s", 21);
    ::RegDeleteTreeA(other, "USENET");
    ::RegSetKeyValueA(other, "STRAY", "", REG_SZ, "http://s/%s", 11);
    auto burst = [](LPVOID key) -> DWORD {  // a value rewritten unchanged signals nothing
        for (int change = 20; change >= 0; --change, ::Sleep(10)) {
            std::string url = "http://other/image/%s" + std::string(change, '#');
            ::RegSetKeyValueA(static_cast<HKEY>(key), "IMAGE", "", REG_SZ, url.c_str(),
                              static_cast<DWORD>(url.size() + 1));
        }
        return 0;
    };
    unsigned opens = 0;
    {
        RegistryCallLayer calls;
        HANDLE writer = ::CreateThread(nullptr, 0, burst, other, 0, nullptr);
        RunLoop();
        ::WaitForSingleObject(writer, INFINITE);
        ::CloseHandle(writer);
        opens = calls.CallsTo("RegOpenKeyExA");
    }
    EXPECT_EQ(opens, 1 + StoredNames().size());  // the key and each subkey, once
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ALBUM", "ARTIST", "GOOGLE", "IMAGE", "MOVIE", "NEWS",
                                                "STRAY"}));
    EXPECT_EQ(Text(ComboEdit()), "http://typed/%s");
    EXPECT_EQ(ListView_GetNextItem(List(), -1, LVNI_SELECTED), RowOf("MOVIE"));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    Click(IDC_APPLY);

    // A label being edited waits; the save's own writes change nothing.
    ::SetFocus(List());
    ::SendMessageA(List(), LVM_EDITLABELA, RowOf("ALBUM"), 0);
    ::RegDeleteTreeA(other, "ALBUM");
    RunLoop();
    EXPECT_NE(LabelEditor(), nullptr);
    EXPECT_NE(RowOf("ALBUM"), -1);
    ::SendMessageA(List(), LVM_CANCELEDITLABEL, 0, 0);
    RunLoop();
    EXPECT_EQ(RowOf("ALBUM"), -1);
    EXPECT_FALSE(Enabled(IDC_APPLY));

    Add("ZED", "http://z/%s");
    ::RegCloseKey(other);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer");
    RunLoop();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ZED"}));
    StorePrefix("BACK", "http://b/%s");  // and made again, from above
    RunLoop();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"BACK", "ZED"}));
}

// The only copy of what failed to reach the registry is the table: OK keeps
// it open, with Apply enabled, for another try or Cancel.
TEST_F(MainDialog, OkWhoseSaveFailsKeepsTheDialogOpen)
{
    Open();
    Add("WIKI", "http://w/%s");
    {
        RegistryCallLayer calls;
        calls.FailEveryCallTo("RegSetValueExA", ERROR_ACCESS_DENIED);
        Click(IDOK);
    }
    EXPECT_FALSE(m_dialog->HasEnded());
    EXPECT_EQ(MessageRecorder::Texts(), (std::vector<std::string>{"Could not add keys to the registry."}));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    Click(IDOK);
    EXPECT_TRUE(m_dialog->HasEnded());
    EXPECT_TRUE(StoredPrefixes()["WIKI"].hasTheFiveValues);
}

// Cancel, the close box (the system command) and Alt+F4 (turned into it)
// keep what Apply saved and drop the rest.
TEST_F(MainDialog, CancelKeepsWhatApplySavedAndDropsTheRest)
{
    for (int way = 0; way < 3; ++way) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
        Open();
        Add("FIRST", "http://1/%s");
        Click(IDC_APPLY);
        Add("SECOND", "http://2/%s");
        if (way == 0)
            Click(IDCANCEL);
        else if (way == 1)
            ::PostMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            ::PostMessageA(m_dialog->m_hWnd, WM_SYSKEYDOWN, VK_F4, 1 << 29);  // Alt held
        Pump();
        EXPECT_TRUE(m_dialog->HasEnded()) << way;
        EXPECT_EQ(m_dialog->GetResult(), IDCANCEL) << way;
        EXPECT_EQ(StoredPrefixes()["FIRST"].valueCount, 5u) << way;
        EXPECT_EQ(StoredPrefixes()["SECOND"].valueCount, 0u) << way;
    }
}

// What UTF-8 cannot carry (an unpaired surrogate), a NUL cuts short or an
// odd byte count leaves half a character of is never shown and never
// written over; a URL longer than a first read is read whole.
TEST_F(MainDialog, TextsUtf8AltersOrANulCutsAreKeptAsTheyAre)
{
    const std::wstring kept[][2] = {{L"SURROGATE", L"http://x/\xD800/%s"},
                                    {L"N\xDC00", L"http://n/%s"},
                                    {std::wstring(L"NUL"), std::wstring(L"http://a\0b/%s", 13)}};
    std::map<std::wstring, std::string> stored;
    for (const auto& prefix : kept) {
        CreateWidePrefix(prefix[0], prefix[1]);
        stored[prefix[0]] = StoredBytes(prefix[0]);
    }
    CreateWidePrefix(L"ODD", L"http://o/%sA", 23);  // half a character more than its text
    stored[L"ODD"] = StoredBytes(L"ODD");
    const std::string longUrl = "http://long/?q=%s&" + std::string(3000, 'l');
    StorePrefix("LONG", longUrl.c_str());
    Open();
    EXPECT_EQ(Rows(), std::vector<std::string>{"LONG"});
    ASSERT_EQ(MessageRecorder::Messages().size(), 1u);
    const std::string& message = MessageRecorder::Messages()[0].text;
    for (const char* name : {"SURROGATE", "NUL", "N\xEF\xBF\xBD", "ODD"})
        EXPECT_NE(message.find(name), std::string::npos) << name << " in " << message;

    Add("ADDED", "http://added/%s");
    Click(IDOK);
    ASSERT_TRUE(m_dialog->HasEnded());
    for (const auto& prefix : stored)
        EXPECT_EQ(StoredBytes(prefix.first), prefix.second) << Utf8(prefix.first);
    EXPECT_EQ(stored[L"ODD"].size(), 23u);
    EXPECT_EQ(StoredPrefixes()["LONG"].url, longUrl);
}

// The program's manifest makes the process code page UTF-8: names and URLs
// in any script are shown, edited and saved with every byte kept.
TEST_F(MainDialog, NamesAndUrlsInAnyScriptKeepEveryByte)
{
    ASSERT_EQ(::GetACP(), UINT(CP_UTF8));
    std::string longest;
    for (int i = 0; i < 255; ++i)
        longest += "Ж";  // 255 characters, 510 bytes
    // Three-byte characters after 251 bytes: a text read that stops at a
    // character boundary short of its buffer would lose them.
    std::string longUrl = "http://例え.jp/?q=%s&pad=";
    longUrl += std::string(251 - longUrl.size(), 'x') + "検索検索";
    std::map<std::string, std::string> expected = {{"ПОИСК", "http://пример.рф/?q=%s"},
                                                   {"検索", longUrl},
                                                   {longest, "http://ж.рф/%s"},
                                                   {"ⱥ", "http://ⱥ/%s"}};
    for (const auto& prefix : expected)
        StorePrefix(prefix.first, prefix.second.c_str());
    StorePrefix("café", "http://café.fr/?q=%s");
    Open();
    EXPECT_TRUE(MessageRecorder::Messages().empty());

    const std::pair<const char*, const char*> edits[] = {
        {"über", "http://über.de/?q=%s"}, {"ПОИСК", "http://поиск.рф/?q=%s"}, {"Ⱥ", "http://a/%s"}};
    for (const auto& edit : edits)
        Add(edit.first, edit.second);
    // ⱥ keeps its case (its capital takes a byte less), and the registry takes
    // ⱥ and Ⱥ for one name: the save refuses the second rather than lose one.
    Click(IDOK);
    EXPECT_FALSE(m_dialog->HasEnded());
    Remove("Ⱥ");
    Click(IDOK);
    ASSERT_TRUE(m_dialog->HasEnded());
    expected["café"] = "http://café.fr/?q=%s";  // not edited: as stored
    expected["ÜBER"] = "http://über.de/?q=%s";
    expected["ПОИСК"] = "http://поиск.рф/?q=%s";
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.size(), expected.size());
    for (const auto& prefix : expected) {
        EXPECT_EQ(stored[prefix.first].url, prefix.second) << prefix.first;
        EXPECT_TRUE(stored[prefix.first].hasTheFiveValues) << prefix.first;
    }
}
