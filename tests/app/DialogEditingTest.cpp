#include "tests/app/DialogFixture.h"

#include "prefixes/PrefixCase.h"

#include "tests/support/ListViewHost.h"

#include <cstdlib>

// Editing the table: the fields, Add, Remove and Delete, renaming in place,
// the catalogue, and the rows' order and index through every change.

// Selecting a row fills the fields, clicking empty space clears them; the
// buttons follow the fields.
TEST_F(MainDialog, TheFieldsFollowTheSelectionAndTheButtonsTheFields)
{
    Open();
    SelectRow(RowOf("GOOGLE"));
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)) + " " + Text(Item(IDC_URL_COMBO)), std::string("GOOGLE ") + kGoogleUrl);
    SelectRow(-1);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)) + Text(Item(IDC_URL_COMBO)), "");
    const struct {
        const char *prefix, *url, *caption;
        bool add, remove;
    } cases[] = {{"GOOGLE", kGoogleUrl, "&Update", false, true},  // would change nothing
                 {"GOOGLE", "http://www.google.com/search?q=%S", "&Update", true, true},
                 {"", "http://x/%s", "A&dd", false, false},
                 {"WIKI", "http://x/%s", "A&dd", true, false},  // not in the table: nothing to remove
                 {"WIKI", "", "A&dd", false, false}};
    for (const auto& c : cases) {
        SetFields(c.prefix, c.url);
        EXPECT_EQ(Text(Item(IDC_ADD)), c.caption) << c.prefix << " " << c.url;
        EXPECT_EQ(Enabled(IDC_ADD), c.add) << c.prefix << " " << c.url;
        EXPECT_EQ(Enabled(IDC_REMOVE), c.remove) << c.prefix << " " << c.url;
    }
}

// A name the rules refuse: Add stays disabled and a balloon at the field
// says why, until the text can be a prefix. Another program's row of such a
// name is shown and can be updated.
TEST_F(MainDialog, ABalloonSaysWhyAPrefixCannotBeAdded)
{
    StorePrefix("TWO WORDS", "http://old/%s");
    Open();
    auto balloon = [] {
        std::string text;
        ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM found) -> BOOL {
            char kind[32] = {};
            WCHAR buffer[512] = {};  // the narrow text is cut at 80 bytes
            ::GetClassNameA(window, kind, sizeof kind);
            if (std::string(kind) != TOOLTIPS_CLASSA || !::IsWindowVisible(window))
                return TRUE;
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.lpszText = buffer;
            ::SendMessageW(window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
            *reinterpret_cast<std::string*>(found) = Utf8(buffer);
            return FALSE;
        }, reinterpret_cast<LPARAM>(&text));
        return text;
    };
    ::SetFocus(Item(IDC_PREFIX_EDIT));
    Type(Item(IDC_PREFIX_EDIT), "my site");
    Type(ComboEdit(), "http://m/%s");
    EXPECT_EQ(balloon(), CPrefixRules::Reason(CPrefixRules::kBlank));
    EXPECT_FALSE(Enabled(IDC_ADD));
    SetFields("MYSITE", "http://m/%s");
    EXPECT_EQ(balloon(), "");
    EXPECT_TRUE(Enabled(IDC_ADD));

    SelectRow(RowOf("TWO WORDS"));
    EXPECT_EQ(balloon(), "");
    SetFields("TWO WORDS", "http://new/%s");
    Click(IDC_ADD);
    Click(IDC_APPLY);
    EXPECT_EQ(StoredPrefixes()["TWO WORDS"].url, "http://new/%s");
}

TEST_F(MainDialog, TypingAPrefixAndUrlThenAddingStoresOnlyOnApply)
{
    Open();
    Type(Item(IDC_PREFIX_EDIT), "wiki");
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "WIKI");  // the box upper-cases
    Type(ComboEdit(), "http://w/%s");
    EXPECT_TRUE(Enabled(IDC_ADD));

    // Clicked with the mouse, the button takes the focus; once it is
    // disabled, the focus moves on to the next tab stop, not nowhere.
    ::SendMessageA(Item(IDC_ADD), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageA(Item(IDC_ADD), WM_LBUTTONUP, 0, 0);
    Pump();
    std::vector<std::string> rows = kDefaults;
    rows.push_back("WIKI");
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)) + Text(Item(IDC_URL_COMBO)), "");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_EQ(::GetFocus(), Item(IDOK));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_EQ(StoredPrefixes()["WIKI"].valueCount, 0u);

    Click(IDC_APPLY);
    EXPECT_EQ(StoredNames(), rows);
    EXPECT_EQ(StoredPrefixes()["WIKI"].url, "http://w/%s");
    EXPECT_TRUE(StoredPrefixes()["WIKI"].hasTheFiveValues);
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(MainDialog, RemovingTheSelectedPrefixWithTheButtonOrDelete)
{
    Open();
    FocusNewsUnselected();
    PressInList(VK_DELETE);  // nothing selected: not the field's prefix, not the focused row
    EXPECT_EQ(Rows(), kDefaults);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "NEWS");
    EXPECT_FALSE(Enabled(IDC_APPLY));

    // The button empties both fields; Delete leaves the row now in its place
    // (or the new last one) chosen, so that Delete and F2 go on.
    SelectRow(RowOf("NEWS"));
    Click(IDC_REMOVE);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)) + Text(Item(IDC_URL_COMBO)), "");
    EXPECT_EQ(ListView_GetSelectedCount(List()), 0u);
    SelectRow(RowOf("MOVIE"));
    PressInList(VK_DELETE);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "USENET");
    for (UINT state : {LVNI_SELECTED, LVNI_FOCUSED})
        EXPECT_EQ(ListView_GetNextItem(List(), -1, state), RowOf("USENET")) << state;
    PressInList(VK_F2);
    ASSERT_NE(LabelEditor(), nullptr);
    ::SetWindowTextA(LabelEditor(), "groups");
    ::PostMessageA(LabelEditor(), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    std::vector<std::string> rows = {"ALBUM", "ARTIST", "GOOGLE", "IMAGE", "GROUPS"};
    EXPECT_EQ(Rows(), rows);  // a renamed row keeps its place
    PressInList(VK_DELETE);  // GROUPS, still chosen
    PressInList(VK_DELETE);  // IMAGE, the new last row
    rows.resize(3);
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "GOOGLE");
    EXPECT_TRUE(Enabled(IDC_APPLY));

    SelectRow(RowOf("ALBUM"));
    PressInList(VK_F2);
    ASSERT_NE(LabelEditor(), nullptr);
    ::PostMessageA(List(), WM_KEYDOWN, VK_DELETE, 0);  // while its label is edited
    Pump();
    EXPECT_EQ(Rows(), rows);
    ::PostMessageA(LabelEditor(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();

    Click(IDC_APPLY);
    EXPECT_EQ(StoredNames(), rows);
}

TEST_F(MainDialog, ChoosingACatalogueEntryLeavesItsUrl)
{
    Open();
    HWND combo = Item(IDC_URL_COMBO);
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    ::SendMessageA(m_dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_URL_COMBO, CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(Text(combo), "Web Search: Google");  // replaced only by the posted message
    Pump();
    EXPECT_EQ(Text(combo), kGoogleUrl);

    ::SetWindowTextA(combo, "http://typed/%s");
    ::PostMessageA(m_dialog->m_hWnd, WM_APP + 1, 0, 0);
    Pump();
    EXPECT_EQ(Text(combo), "http://typed/%s");
}

TEST_F(MainDialog, RenamingInPlaceGoesThroughTheTable)
{
    Open();
    FocusNewsUnselected();
    PressInList(VK_F2);  // nothing selected
    EXPECT_EQ(LabelEditor(), nullptr);
    auto edit = [&](const char* prefix, const char* text, WPARAM key) {
        SelectRow(RowOf(prefix));
        PressInList(VK_F2);  // the editor the slow second click opens
        HWND editor = LabelEditor();
        ASSERT_NE(editor, nullptr);
        ::SetWindowTextA(editor, text);
        ::PostMessageA(editor, WM_KEYDOWN, key, 0);
        Pump();
    };
    edit("MOVIE", "film", VK_RETURN);  // the dialog gets the ANSI notification
    EXPECT_NE(RowOf("FILM"), -1);
    EXPECT_EQ(RowOf("MOVIE"), -1);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "FILM");
    EXPECT_TRUE(Enabled(IDC_APPLY));

    edit("FILM", "news", VK_RETURN);  // taken
    edit("FILM", "OTHER", VK_ESCAPE);  // cancelled
    EXPECT_NE(RowOf("FILM"), -1);
    EXPECT_EQ(RowOf("OTHER"), -1);
    EXPECT_EQ(Rows().size(), 7u);
}

// Many rows at once, from a load or an import, go where the sorted control
// puts the same rows added one at a time, and with their own URLs: onto an
// empty table, a sorted one with a row selected and one a rename left out of
// order. Rows there are updated, refused ones skipped, the selection and the
// index kept, and a later add goes where the control puts it in both.
// Here, in UTF-8, with names in any script.
TEST_F(MainDialog, ALoadedListIsInTheOrderOfOneByOneAdds)
{
    const char* const names[] = {
        "10", "9", "09", "1.5", "1-5", "A-B", "AB", "A'B", "'QUOTE", "-DASH", "!BANG",
        "~TILDE", "_UNDER", "A_B", "#", "É", "E", "ÉCOLE", "ECOLE", "ÈCOLE", "école", "straße",
        "STRASSE", "co-op", "COOP", "µ", "Μ", "ΑΒΓ", "αβγ2", "поиск", "ПОИСК2", "日本", "A日本",
        "ǅ", "ǆ2", "ⱥ", "Ⱥ2", "Z", "z2", "Æ", "AE", "Œ", "OE", "Ø", "O", "a\u034Fb"};
    for (const char* name : names)
        StorePrefix(name, (std::string("http://x/") + name + "/%s").c_str());
    Open();
    ASSERT_GT(Rows().size(), 30u);
    const char* const later[] = {"M", "É2", "-", "ÉCOLE3"};

    ListViewHost host;
    CPrefixListCtrl oneByOne;
    oneByOne.Attach(host.List());
    oneByOne.InitColumns();
    auto stored = StoredPrefixes();  // école's URL went into ÉCOLE, one key to the registry
    for (const std::string& name : StoredNames())  // the load's order
        oneByOne.AddOrUpdatePrefix(name.c_str(), stored[name].url.c_str());
    EXPECT_EQ(RowsWithUrls(List()), RowsWithUrls(host.List()));
    for (const char* added : later) {
        Add(added, "http://added/%s");
        oneByOne.AddOrUpdatePrefix(added, "http://added/%s");
    }
    EXPECT_EQ(RowsWithUrls(List()), RowsWithUrls(host.List()));
    oneByOne.Detach();

    std::vector<CPrefixListCtrl::Row> batch = {{"news", "http://news2/%s"}, {"a\\b", "http://refused/%s"},
                                               {"EMPTY", ""}};
    for (const char* name : names)
        batch.push_back({name, (std::string("http://b/") + name + "/%s").c_str()});
    batch.push_back({"ab", "http://ab-again/%s"});
    const struct {
        std::vector<const char*> prefixes;
        const char* selected;
        const char* renameAceTo;  // renamed in place, the rows are out of order
    } before[] = {{{}, nullptr, nullptr},
                  // A combining grapheme joiner weighs nothing: AB compares equal to it.
                  {{"NEWS", "MOVIE", "ACE", "B", "A\u034FB"}, "MOVIE", nullptr},
                  {{"NEWS", "MOVIE", "ACE"}, nullptr, "ZZZ"}};
    for (const auto& start : before) {
        SCOPED_TRACE(start.prefixes.size());
        ListViewHost hosts[2];
        FlaggedTable tables[2];  // batched, and one by one
        for (int t = 0; t < 2; ++t) {
            tables[t].Attach(hosts[t].List());
            tables[t].InitColumns();
            for (const char* prefix : start.prefixes)
                tables[t].AddOrUpdatePrefix(prefix, "http://old/%s");
            if (start.selected != nullptr)
                tables[t].SetItemState(tables[t].FindPrefix(start.selected), LVIS_SELECTED, LVIS_SELECTED);
            if (start.renameAceTo != nullptr)
                tables[t].RenamePrefix(tables[t].FindPrefix("ACE"), start.renameAceTo);
        }
        int taken = 0;
        for (const CPrefixListCtrl::Row& row : batch)
            taken += tables[1].AddOrUpdatePrefix(row.prefix, row.url) ? 1 : 0;
        tables[0].m_bModified = false;
        EXPECT_EQ(tables[0].AddOrUpdatePrefixes(batch), taken);
        EXPECT_EQ(taken, static_cast<int>(batch.size()) - 2);  // all but the two refused
        EXPECT_TRUE(tables[0].IsModified());
        EXPECT_EQ(RowsWithUrls(hosts[0].List()), RowsWithUrls(hosts[1].List()));
        EXPECT_EQ(tables[0].GetNextItem(-1, LVNI_SELECTED), tables[1].GetNextItem(-1, LVNI_SELECTED));
        for (const char* added : later) {
            for (FlaggedTable& table : tables)
                table.AddOrUpdatePrefix(added, "http://added/%s");
        }
        EXPECT_EQ(RowsWithUrls(hosts[0].List()), RowsWithUrls(hosts[1].List()));
        for (int row = 0; row < tables[0].GetItemCount(); ++row)
            EXPECT_EQ(tables[0].FindPrefix(tables[0].GetRow(row).prefix), row) << row;
        for (FlaggedTable& table : tables)
            table.Detach();
    }
}

// Every row stays findable by its text through adds, renames (also to a name
// the control holds equal to the old one and so keeps), removes, and loads
// onto an empty and a non-empty table.
TEST_F(MainDialog, TheRowIndexFollowsTheControlThroughEveryOperation)
{
    const std::vector<std::string> pool = {"A", "A\u034F", "A\u034F\u034F", "a", "à", "À", "B", "ab", "AB", "z",
                                           "école", "ECOLE", "1", "10", "-", "M", "μ", "µ"};
    for (size_t i = 0; i < 12; ++i)
        StorePrefix(pool[i].c_str(), "http://x/%s");
    for (unsigned round = 0; round < 4; ++round) {
        ListViewHost host;
        CPrefixListCtrl table;
        table.Attach(host.List());
        table.InitColumns();
        if (round % 2 == 1)
            table.AddOrUpdatePrefix(pool[round].c_str(), "http://before/%s");
        table.LoadPrefixes();
        std::srand(round + 1);
        for (int step = 0; step < 300 && !HasFailure(); ++step) {
            const std::string& name = pool[static_cast<size_t>(std::rand()) % pool.size()];
            int count = table.GetItemCount();
            // Adding a prefix the table has, even after a rename the control
            // ignored, updates its row.
            auto addAgain = [&] {
                std::string url = "http://u/" + std::to_string(step) + "/%s";
                bool had = table.FindPrefix(UpperCasePrefix(name.c_str())) != -1;
                table.AddOrUpdatePrefix(name.c_str(), url.c_str());
                int row = table.FindPrefix(UpperCasePrefix(name.c_str()));
                EXPECT_EQ(table.GetItemCount(), count + (had ? 0 : 1)) << name;
                EXPECT_STREQ(table.GetRow(row).url, url.c_str()) << name;
            };
            switch (std::rand() % 3) {
            case 0: addAgain(); break;
            case 1: if (count > 0) table.RenamePrefix(std::rand() % count, name.c_str()); break;
            default: table.RemovePrefix(name.c_str()); break;
            }
            for (int row = 0; row < table.GetItemCount(); ++row)
                EXPECT_EQ(table.FindPrefix(table.GetRow(row).prefix), row)
                    << "round " << round << ", step " << step;
            for (const std::string& prefix : pool) {
                int row = table.FindPrefix(prefix.c_str());
                if (row != -1) {
                    EXPECT_STREQ(table.GetRow(row).prefix, prefix.c_str());
                }
            }
        }
        table.Detach();
    }
}
