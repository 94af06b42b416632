#include "tests/app/DialogFixture.h"

#include <algorithm>

// How the dialog looks and reads: the description, the DPI, German, the
// keyboard, the About box, the web page and the icon.

TEST_F(MainDialog, TheDescriptionFollowsTheFocusAndTheOnlineButton)
{
    Open();
    ::SetFocus(Item(IDC_PREFIX_EDIT));
    Pump();
    EXPECT_EQ(Description(), "Enter the prefix that you want to use.");
    ::SetFocus(ComboEdit());
    Pump();
    EXPECT_EQ(Description().rfind("Enter the search URL", 0), 0u) << Description();

    ::SetFocus(List());
    Pump();

    SetCursorOver(Item(IDC_ONLINE));
    EXPECT_EQ(Description().rfind("At the Quillory web site", 0), 0u) << Description();
    SetCursorOver(Item(IDOK));  // straight onto another control
    EXPECT_EQ(Description().rfind("At the Quillory web site", 0), 0u);

    // Only the mouse over the background brings the general text back.
    ::SendMessageA(m_dialog->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(Description().rfind(kGeneralStart, 0), 0u) << Description();
}

// So that neither flickers: a text equal to the one shown is not written.
TEST_F(MainDialog, TheCaptionAndDescriptionAreWrittenOnlyWhenTheyChange)
{
    Open();
    SUBCLASSPROC countWrites = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR writes) {
        *reinterpret_cast<int*>(writes) += message == WM_SETTEXT ? 1 : 0;
        return ::DefSubclassProc(window, message, wParam, lParam);
    };
    int captionWrites = 0, descriptionWrites = 0;
    ::SetWindowSubclass(Item(IDC_ADD), countWrites, 1, reinterpret_cast<DWORD_PTR>(&captionWrites));
    ::SetWindowSubclass(Item(IDC_INFOTEXT), countWrites, 1, reinterpret_cast<DWORD_PTR>(&descriptionWrites));
    SetFields("GOOGLE", "http://x/%s");
    Pump();
    EXPECT_EQ(Text(Item(IDC_ADD)), "&Update");
    EXPECT_EQ(captionWrites, 1);
    for (int i = 0; i < 2; ++i)
        SetCursorOver(Item(IDC_ONLINE));
    EXPECT_EQ(descriptionWrites, 1);
    ::RemoveWindowSubclass(Item(IDC_ADD), countWrites, 1);
    ::RemoveWindowSubclass(Item(IDC_INFOTEXT), countWrites, 1);
}

// At the DPI this process runs at (144 when started by the test below):
// every description fits its box, in the control's own font and in Windows'
// dialog font, and the icons and the list's columns follow the DPI.
TEST_F(MainDialog, EveryDescriptionFitsAndTheDpiIsFollowed)
{
    Open();
    ExpectEveryDescriptionFits();
}

// Run with the user's language German (LC_ALL=de_DE.UTF-8): Windows picks
// the German dialog and texts by itself, Windows' words on the common
// buttons, and their longer words still fit.
TEST_F(MainDialog, InGermanItReadsGermanAndEveryTextFits)
{
    ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), LANG_GERMAN);
    Open();
    EXPECT_EQ(Text(m_dialog->m_hWnd), "Quillory");
    EXPECT_EQ(Text(Item(IDCANCEL)) + " " + Text(Item(IDC_APPLY)), "Abbrechen Ü&bernehmen");
    EXPECT_EQ(Description().rfind("Hier passen Sie die Präfixe", 0), 0u) << Description();
    SetFields("NEWS", "http://n/%s");
    EXPECT_EQ(Text(Item(IDC_ADD)), "&Aktualisieren");
    ExpectEveryDescriptionFits();
}

// Alt and a label's letter puts the focus in the field it names.
TEST_F(MainDialog, AltAndALabelsLetterPutsTheFocusInItsField)
{
    Open();
    ::SetFocus(Item(IDOK));
    for (const auto& label : {std::make_pair('p', Item(IDC_PREFIX_EDIT)), std::make_pair('l', ComboEdit()),
                              std::make_pair('x', List())}) {
        ::PostMessageA(::GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(label.first), 1 << 29);
        Pump();
        EXPECT_EQ(::GetFocus(), label.second) << label.first;
    }
}

TEST(HighDpi, TheDialogsPassTheirChecksAt144Dpi)
{
    ExpectPassAt144Dpi({"MainDialog.EveryDescriptionFitsAndTheDpiIsFollowed",
                        "Resources.EachDialogInEachLanguageIsLaidOutForTheKeyboard"});
}

TEST(HighDpi, InGermanTheMainDialogPassesItsChecksAt144Dpi)
{
    ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), LANG_GERMAN);
    ExpectPassAt144Dpi({"MainDialog.InGermanItReadsGermanAndEveryTextFits"});
}

TEST_F(MainDialog, SystemMenuIdsSixteenToThirtyOneOpenTheAboutBox)
{
    Open();
    auto seen = AboutBoxesShownBy([&] {
        for (UINT id = 16; id <= 31; ++id)
            ::SendMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, id, 0);
    });
    ASSERT_EQ(seen.size(), 16u);
    // Three lines, the first the version's.
    EXPECT_EQ(seen[0].text.substr(0, seen[0].text.find('\n')), "Quillory Version 1.0");
    EXPECT_EQ(std::count(seen[0].text.begin(), seen[0].text.end(), '\n'), 2);
    for (const AboutSeen& about : seen) {
        EXPECT_TRUE(about.visible);
        EXPECT_TRUE(about.ownedByMain);
        EXPECT_TRUE(about.mainDisabled);  // modal while it runs
        EXPECT_TRUE(about.focusOnOk);
        EXPECT_TRUE(about.centred);
    }
    // Enabled again before the box went, so activation came back to it.
    EXPECT_TRUE(::IsWindowEnabled(m_dialog->m_hWnd));
    EXPECT_EQ(::GetActiveWindow(), m_dialog->m_hWnd);
}

TEST_F(MainDialog, OnlineResourcesAsksTheShellToOpenTheWebPage)
{
    Open();
    Click(IDC_ONLINE);
    ASSERT_EQ(s_shellCalls.size(), 1u);
    EXPECT_EQ(s_shellCalls[0].owner, m_dialog->m_hWnd);
    EXPECT_EQ(s_shellCalls[0].verb, "open");
    const std::string page = s_shellCalls[0].file, query = "/index.php?version=1.0";
    EXPECT_EQ(page.rfind("http://", 0), 0u) << page;
    EXPECT_EQ(page.find(query), page.size() - query.size()) << page;
    EXPECT_TRUE(s_shellCalls[0].noParameters && s_shellCalls[0].noDirectory);
    EXPECT_EQ(s_shellCalls[0].show, SW_SHOW);
}

// Minimised, the dialog draws its icon centred in what is left of it.
TEST_F(MainDialog, TheIconServesWhenMinimised)
{
    static std::vector<std::pair<POINT, HICON>> drawn;
    ImportSwap drawIcon("user32.dll", "DrawIcon", reinterpret_cast<void*>(+[](HDC, int x, int y, HICON icon) -> BOOL {
        drawn.push_back({{x, y}, icon});
        return TRUE;
    }));
    Open();
    const LRESULT icon = ::SendMessageA(m_dialog->m_hWnd, WM_GETICON, ICON_BIG, 0);
    EXPECT_EQ(::SendMessageA(m_dialog->m_hWnd, WM_QUERYDRAGICON, 0, 0), icon);
    ::ShowWindow(m_dialog->m_hWnd, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(m_dialog->m_hWnd));
    drawn.clear();
    ::InvalidateRect(m_dialog->m_hWnd, nullptr, TRUE);
    ::SendMessageA(m_dialog->m_hWnd, WM_PAINT, 0, 0);  // Wine paints no minimised window itself
    RECT client;
    ::GetClientRect(m_dialog->m_hWnd, &client);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].first.x, (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2);
    EXPECT_EQ(drawn[0].first.y, (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2);
    EXPECT_EQ(reinterpret_cast<LRESULT>(drawn[0].second), icon);
}
