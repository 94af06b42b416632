#include "app/SearchPrefixDlg.h"
#include "prefixes/PrefixCase.h"
#include "res/resource.h"

#include "tests/support/BrowserProfiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ImportTable.h"
#include "tests/support/ListViewHost.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <commctrl.h>
#include <commdlg.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kSearchUrl = kSearchUrlPath;
const char kGoogleUrl[] = "http://www.google.com/search?q=%s";
const char kGeneralStart[] = "Use this tool to customize prefixes";

DWORD StoredValueCount(const std::string& name)
{
    return StoredPrefixes()[name].valueCount;
}

std::string Text(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

const std::vector<std::string> kDefaults = {"ALBUM", "ARTIST", "GOOGLE", "IMAGE",
                                            "MOVIE", "NEWS", "USENET"};

// A live main dialog, made from the real template, driven through the same
// message loop step that its modal loop runs.
class MainDialog : public RegistryTest {
protected:
    MainDialog() { ::InitCommonControls(); }
    ~MainDialog() override { m_dialog.reset(); }

    void Open()
    {
        m_dialog = std::make_unique<CSearchPrefixDlg>();
        ASSERT_TRUE(m_dialog->Create());
        Pump();
    }

    // Runs the loop until no message is waiting, then once more, so that a
    // command-update pass has followed the last change.
    void Pump()
    {
        MSG message;
        for (int round = 0; round < 2; ++round) {
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                m_dialog->ProcessMessage(message);
            ::PostMessageA(m_dialog->m_hWnd, WM_NULL, 0, 0);
        }
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            m_dialog->ProcessMessage(message);
    }

    // The dialog's own loop, which also hears of the key's changes, for
    // long enough that they have settled and been read.
    void RunLoop()
    {
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 700;)
            m_dialog->RunLoopOnce(50);
        Pump();
    }

    HWND Item(int id) const { return ::GetDlgItem(m_dialog->m_hWnd, id); }
    HWND List() const { return Item(IDC_PREFIX_LIST); }
    HWND ComboEdit() const { return ::GetWindow(Item(IDC_URL_COMBO), GW_CHILD); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }

    void Click(int id)
    {
        ::SendMessageA(Item(id), BM_CLICK, 0, 0);
        Pump();
    }

    // A key pressed in the list, which has the focus then.
    void PressInList(WPARAM key)
    {
        ::SetFocus(List());
        ::PostMessageA(List(), WM_KEYDOWN, key, 0);
        Pump();
    }
    // NEWS in the prefix field and its row focused, but no row selected.
    void FocusNewsUnselected()
    {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_FOCUSED;
        ::SendMessageA(List(), LVM_SETITEMSTATE, RowOf("NEWS"), reinterpret_cast<LPARAM>(&state));
        SetFields("NEWS", "http://n/%s");  // after: a row losing its selection clears the fields
    }
    // As the dialog hears of the mouse over a control.
    void SetCursorOver(HWND control)
    {
        ::SendMessageA(m_dialog->m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    HWND LabelEditor() const
    {
        return reinterpret_cast<HWND>(::SendMessageA(List(), LVM_GETEDITCONTROL, 0, 0));
    }

    void Type(HWND window, const std::string& text)
    {
        for (char c : text)
            ::PostMessageA(window, WM_CHAR, static_cast<BYTE>(c), 0);
        Pump();
    }

    void SetFields(const char* prefix, const char* url)
    {
        ::SetWindowTextA(Item(IDC_PREFIX_EDIT), prefix);
        ::SetWindowTextA(Item(IDC_URL_COMBO), url);
        Pump();
    }

    void SelectRow(int row)
    {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        // Row -1 clears every row, as a click into empty space does.
        ::SendMessageA(List(), LVM_SETITEMSTATE, row >= 0 ? row : -1,
                       reinterpret_cast<LPARAM>(&state));
        Pump();
    }

    int RowOf(const char* prefix) const
    {
        LVFINDINFOA find = {LVFI_STRING, prefix, 0, {0, 0}, 0};
        return static_cast<int>(
            ::SendMessageA(List(), LVM_FINDITEMA, -1, reinterpret_cast<LPARAM>(&find)));
    }

    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        int count = static_cast<int>(::SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            char text[256] = {};
            LVITEMA item = {};
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            rows.push_back(text);
        }
        return rows;
    }

    std::string Description() const { return Text(Item(IDC_INFOTEXT)); }

    // Each description fits its box, in the dialog's font and in Windows'
    // own, and the icons and columns follow the DPI.
    void ExpectEveryDescriptionFits()
    {
        HDC screen = ::GetDC(nullptr);
        int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
        if (const char* expected = std::getenv("QUILLORY_TEST_DPI")) {
            ASSERT_EQ(dpi, std::atoi(expected));
        }
        HWND info = Item(IDC_INFOTEXT);
        HFONT windowsFont = ::CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                          DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        std::set<std::string> measured;
        auto expectFits = [&] {
            std::string text = Text(info);
            measured.insert(text);
            RECT box;
            ::GetClientRect(info, &box);
            HDC dc = ::GetDC(info);
            for (HFONT font : {reinterpret_cast<HFONT>(::SendMessageA(info, WM_GETFONT, 0, 0)),
                               windowsFont}) {
                HGDIOBJ previous = ::SelectObject(dc, font);
                RECT needed = box;
                ::DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
                EXPECT_LE(needed.bottom, box.bottom) << dpi << " DPI: " << text;
                EXPECT_LE(needed.right, box.right) << dpi << " DPI: " << text;
                ::SelectObject(dc, previous);
            }
            ::ReleaseDC(info, dc);
        };
        expectFits();  // the general text
        for (HWND field : {Item(IDC_PREFIX_EDIT), ComboEdit()}) {
            ::SetFocus(field);
            Pump();
            expectFits();
        }
        SetCursorOver(Item(IDC_ONLINE));
        expectFits();
        EXPECT_EQ(measured.size(), 4u);
        ::DeleteObject(windowsFont);

        for (auto icon : {std::make_pair(ICON_BIG, SM_CXICON), std::make_pair(ICON_SMALL, SM_CXSMICON)}) {
            ICONINFO parts = {};
            ASSERT_TRUE(::GetIconInfo(reinterpret_cast<HICON>(
                ::SendMessageA(m_dialog->m_hWnd, WM_GETICON, icon.first, 0)), &parts));
            BITMAP mask = {};
            ::GetObjectA(parts.hbmMask, sizeof mask, &mask);
            EXPECT_EQ(mask.bmWidth, ::GetSystemMetrics(icon.second)) << dpi << " DPI";
            ::DeleteObject(parts.hbmMask);
            ::DeleteObject(parts.hbmColor);
        }
        EXPECT_EQ(::SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(65, dpi, 96));
        EXPECT_EQ(::SendMessageA(List(), LVM_GETCOLUMNWIDTH, 1, 0), MulDiv(290, dpi, 96));
    }

    MessageRecorder m_messages;
    std::unique_ptr<CSearchPrefixDlg> m_dialog;
};

} // namespace

TEST_F(MainDialog, AFirstRunStoresTheDefaultsBeforeAnyInput)
{
    CreateTestKey(kSearchUrl);
    Open();
    EXPECT_EQ(Text(m_dialog->m_hWnd), "Quillory");
    RECT work, window;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(m_dialog->m_hWnd, &window);
    EXPECT_NEAR(window.left + window.right, work.left + work.right, 2);  // centred
    EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 2);
    EXPECT_EQ(Rows(), kDefaults);
    EXPECT_EQ(StoredNames(), kDefaults);
    for (const std::string& name : kDefaults)
        EXPECT_EQ(StoredValueCount(name), 5u) << name;
    EXPECT_FALSE(Enabled(IDC_APPLY));
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_FALSE(Enabled(IDC_REMOVE));
    EXPECT_TRUE(MessageRecorder::Messages().empty());

    HWND combo = Item(IDC_URL_COMBO);
    ASSERT_EQ(::SendMessageA(combo, CB_GETCOUNT, 0, 0), 17);
    char label[128] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, 8, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, "Words: Dictionary.com");
    EXPECT_EQ(Description().rfind(kGeneralStart, 0), 0u) << Description();
    EXPECT_NE(::SendMessageA(m_dialog->m_hWnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageA(m_dialog->m_hWnd, WM_GETICON, ICON_SMALL, 0), 0);

    char about[64] = {};
    HMENU systemMenu = ::GetSystemMenu(m_dialog->m_hWnd, FALSE);
    ::GetMenuStringA(systemMenu, IDM_ABOUTBOX, about, sizeof about, MF_BYCOMMAND);
    EXPECT_STREQ(about, "&About Quillory...");
}

TEST_F(MainDialog, ExistingPrefixesAreShownAndNothingIsWrittenAtStart)
{
    CreateTestKey(PrefixPath("google").c_str(), kGoogleUrl);
    Open();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"GOOGLE"}));
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"google"}));
    EXPECT_EQ(StoredValueCount("google"), 1u);
}

// After a load that could not read the key, the defaults are offered but
// not written over prefixes that could not be shown.
TEST_F(MainDialog, AFailedLoadOffersTheDefaultsWithoutStoringThem)
{
    CreateTestKey(PrefixPath("NOURL").c_str());
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

TEST_F(MainDialog, SelectingARowFillsTheFieldsAndClickingEmptySpaceClearsThem)
{
    CreateTestKey(kSearchUrl);
    Open();
    SelectRow(RowOf("GOOGLE"));
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "GOOGLE");
    EXPECT_EQ(Text(Item(IDC_URL_COMBO)), kGoogleUrl);
    EXPECT_EQ(Text(Item(IDC_ADD)), "&Update");
    EXPECT_FALSE(Enabled(IDC_ADD));  // would change nothing
    EXPECT_TRUE(Enabled(IDC_REMOVE));

    SelectRow(-1);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "");
    EXPECT_EQ(Text(Item(IDC_URL_COMBO)), "");
    EXPECT_EQ(Text(Item(IDC_ADD)), "A&dd");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_FALSE(Enabled(IDC_REMOVE));
}

TEST_F(MainDialog, TheAddButtonFollowsTheFields)
{
    CreateTestKey(kSearchUrl);
    Open();
    SetFields("GOOGLE", "http://www.google.com/search?q=%S");
    EXPECT_EQ(Text(Item(IDC_ADD)), "&Update");
    EXPECT_TRUE(Enabled(IDC_ADD));

    SetFields("", "http://x/%s");
    EXPECT_EQ(Text(Item(IDC_ADD)), "A&dd");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_FALSE(Enabled(IDC_REMOVE));

    SetFields("WIKI", "http://x/%s");  // not in the table: nothing to remove
    EXPECT_TRUE(Enabled(IDC_ADD));
    EXPECT_FALSE(Enabled(IDC_REMOVE));

    SetFields("A\\B", "http://x/%s");  // could never be a key name
    EXPECT_FALSE(Enabled(IDC_ADD));
    SetFields("WIKI", "");
    EXPECT_FALSE(Enabled(IDC_ADD));
}

TEST_F(MainDialog, TypingAPrefixAndUrlThenAddingStoresOnlyOnApply)
{
    CreateTestKey(kSearchUrl);
    Open();
    Type(Item(IDC_PREFIX_EDIT), "wiki");
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "WIKI");  // the box upper-cases
    Type(ComboEdit(), "http://w/%s");
    EXPECT_TRUE(Enabled(IDC_ADD));

    // Clicked with the mouse, the button takes the focus; once it is
    // disabled, the focus moves on to the next tab stop, not nowhere.
    HWND add = Item(IDC_ADD);
    ::SendMessageA(add, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageA(add, WM_LBUTTONUP, 0, 0);
    Pump();
    std::vector<std::string> rows = kDefaults;
    rows.push_back("WIKI");
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "");
    EXPECT_EQ(Text(Item(IDC_URL_COMBO)), "");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_EQ(::GetFocus(), Item(IDOK));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_EQ(StoredValueCount("WIKI"), 0u);

    Click(IDC_APPLY);
    EXPECT_EQ(StoredNames(), rows);
    EXPECT_EQ(StoredPrefixes()["WIKI"].url, "http://w/%s");
    EXPECT_TRUE(StoredPrefixes()["WIKI"].hasTheFiveValues);
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(MainDialog, RemovingTheSelectedPrefixWithTheButtonOrDelete)
{
    CreateTestKey(kSearchUrl);
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
    EXPECT_EQ(::SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0), 0);
    SelectRow(RowOf("MOVIE"));
    PressInList(VK_DELETE);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "USENET");
    for (UINT state : {LVNI_SELECTED, LVNI_FOCUSED})
        EXPECT_EQ(::SendMessageA(List(), LVM_GETNEXTITEM, -1, state), RowOf("USENET")) << state;
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
    CSearchUrlCatalog catalog;
    EXPECT_EQ(StoredPrefixes()["GOOGLE"].url, std::string(catalog.Lookup("Web Search: Google")));
    for (const std::string& name : rows)
        EXPECT_TRUE(StoredPrefixes()[name].hasTheFiveValues) << name;
}

TEST_F(MainDialog, ChoosingACatalogueEntryLeavesItsUrl)
{
    CreateTestKey(kSearchUrl);
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
    CreateTestKey(kSearchUrl);
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

TEST_F(MainDialog, TheDescriptionFollowsTheFocusAndTheOnlineButton)
{
    CreateTestKey(kSearchUrl);
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

namespace {

LRESULT CALLBACK CountTextWrites(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR, DWORD_PTR writes)
{
    if (message == WM_SETTEXT)
        ++*reinterpret_cast<int*>(writes);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

// So that neither flickers: a text equal to the one shown is not written.
TEST_F(MainDialog, TheCaptionAndDescriptionAreWrittenOnlyWhenTheyChange)
{
    CreateTestKey(kSearchUrl);
    Open();
    int captionWrites = 0, descriptionWrites = 0;
    ::SetWindowSubclass(Item(IDC_ADD), &CountTextWrites, 1, reinterpret_cast<DWORD_PTR>(&captionWrites));
    ::SetWindowSubclass(Item(IDC_INFOTEXT), &CountTextWrites, 1,
                        reinterpret_cast<DWORD_PTR>(&descriptionWrites));
    SetFields("GOOGLE", "http://x/%s");
    Pump();
    EXPECT_EQ(Text(Item(IDC_ADD)), "&Update");
    EXPECT_EQ(captionWrites, 1);
    for (int i = 0; i < 2; ++i)
        SetCursorOver(Item(IDC_ONLINE));
    EXPECT_EQ(descriptionWrites, 1);
    ::RemoveWindowSubclass(Item(IDC_ADD), &CountTextWrites, 1);
    ::RemoveWindowSubclass(Item(IDC_INFOTEXT), &CountTextWrites, 1);
}

// At the DPI this process runs at (144 when started by the test below):
// every description fits its box, in the control's own font and in Windows'
// dialog font, and the icons and the list's columns follow the DPI.
TEST_F(MainDialog, EveryDescriptionFitsAndTheDpiIsFollowed)
{
    CreateTestKey(kSearchUrl);
    Open();
    ExpectEveryDescriptionFits();
}

// Run with the user's language German (LC_ALL=de_DE.UTF-8): Windows picks
// the German dialog and texts by itself, Windows' words on the common
// buttons, and their longer words still fit.
TEST_F(MainDialog, InGermanItReadsGermanAndEveryTextFits)
{
    ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), LANG_GERMAN);
    CreateTestKey(kSearchUrl);
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
    CreateTestKey(kSearchUrl);
    Open();
    ::SetFocus(Item(IDOK));
    for (const auto& label : {std::make_pair('p', Item(IDC_PREFIX_EDIT)), std::make_pair('l', ComboEdit()),
                              std::make_pair('x', List())}) {
        ::PostMessageA(::GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(label.first), 1 << 29);
        Pump();
        EXPECT_EQ(::GetFocus(), label.second) << label.first;
    }
}

// Wine takes the DPI from the user's LogPixels when a process starts: the
// given tests of this executable run again in a child at 144 DPI, and each
// must have run and passed (a filter that matches no test passes too).
void ExpectPassAt144Dpi(const std::vector<std::string>& tests)
{
    HKEY desktop = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &desktop, nullptr), 0);
    DWORD before = 0, size = sizeof before;
    bool hadOne = ::RegQueryValueExA(desktop, "LogPixels", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&before), &size) == 0;
    DWORD dpi = 144;
    ::RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi), sizeof dpi);
    ::SetEnvironmentVariableA("QUILLORY_TEST_DPI", "144");
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string filter;
    for (const std::string& test : tests)
        filter += (filter.empty() ? "" : ":") + test;
    TempFolder folder;
    std::string report = Utf8(folder.Path()) + "\\report.xml";
    DWORD exitCode = RunChild(std::string("\"") + exe + "\" --gtest_filter=" + filter +
                              " --gtest_output=xml:" + report);
    std::string xml = ReadFileBytes(report);
    // Every later process in the prefix takes its DPI from here.
    if (hadOne)
        ::RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&before),
                         sizeof before);
    else
        ::RegDeleteValueA(desktop, "LogPixels");
    ::RegCloseKey(desktop);
    ::SetEnvironmentVariableA("QUILLORY_TEST_DPI", nullptr);
    EXPECT_EQ(exitCode, 0u);
    std::string counts = "<testsuites tests=\"" + std::to_string(tests.size()) + "\" failures=\"0\"";
    EXPECT_NE(xml.find(counts), std::string::npos) << xml;
    for (const std::string& test : tests) {
        std::string run = "<testcase name=\"" + test.substr(test.find('.') + 1) + "\"";
        size_t at = xml.find(run);
        ASSERT_NE(at, std::string::npos) << xml;
        std::string element = xml.substr(at, xml.find('>', at) - at);  // this test's own
        EXPECT_NE(element.find("status=\"run\" result=\"completed\""), std::string::npos) << xml;
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

namespace {

// What the About box looked like while it ran, seen from a timer.
struct AboutSeen {
    std::string text;
    bool visible, ownedByMain, mainDisabled, focusOnOk, centred;
};
std::vector<AboutSeen> s_about;
HWND s_main = nullptr;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND about = ::FindWindowA(nullptr, "About Quillory");  // finds a hidden one too
    if (about == nullptr || !::IsWindowVisible(about)) {
        s_about.push_back({"", false, false, false, false, false});
        if (about != nullptr)
            ::PostMessageA(about, WM_COMMAND, IDOK, 0);
        return;
    }
    HWND ok = ::GetDlgItem(about, IDOK);
    RECT box, main;
    ::GetWindowRect(about, &box);
    ::GetWindowRect(s_main, &main);
    bool centred = std::abs((box.left + box.right) - (main.left + main.right)) <= 2 &&
                   std::abs((box.top + box.bottom) - (main.top + main.bottom)) <= 2;
    s_about.push_back({Text(::GetWindow(ok, GW_HWNDPREV)), true,
                       ::GetWindow(about, GW_OWNER) == s_main, !::IsWindowEnabled(s_main),
                       ::GetFocus() == ok, centred});
    // Enter, Escape and the OK button each close it.
    const WPARAM keys[] = {VK_RETURN, VK_ESCAPE, 0};
    WPARAM key = keys[s_about.size() % 3];
    if (key != 0)
        ::PostMessageA(ok, WM_KEYDOWN, key, 0);
    else
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST_F(MainDialog, SystemMenuIdsSixteenToThirtyOneOpenTheAboutBox)
{
    CreateTestKey(kSearchUrl);
    Open();
    s_main = m_dialog->m_hWnd;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &CloseAboutBox);
    for (UINT id = 16; id <= 31; ++id)
        ::SendMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, id, 0);
    ::KillTimer(nullptr, timer);
    ASSERT_EQ(s_about.size(), 16u);
    EXPECT_EQ(s_about[0].text,
              "Quillory Version 1.0\nCopyright (C) 2026 The Quillory authors\nwww.quillory.org");
    for (const AboutSeen& seen : s_about) {
        EXPECT_TRUE(seen.visible);
        EXPECT_TRUE(seen.ownedByMain);
        EXPECT_TRUE(seen.mainDisabled);  // modal while it runs
        EXPECT_TRUE(seen.focusOnOk);
        EXPECT_TRUE(seen.centred);
    }
    // Enabled again before the box went, so activation came back to it.
    EXPECT_TRUE(::IsWindowEnabled(m_dialog->m_hWnd));
    EXPECT_EQ(::GetActiveWindow(), m_dialog->m_hWnd);
}

// Another program changes the key while the dialog is open (its loop not
// run, so the list does not follow): OK writes the user's edits and nothing
// else, so the key holds both.
TEST_F(MainDialog, OkWritesTheUsersEditsBesideAnotherProgramsChanges)
{
    CreateTestKey(kSearchUrl);
    Open();
    CreateTestKey(PrefixPath("NEWS").c_str(), "http://other/news/%s");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, PrefixPath("USENET").c_str());
    CreateTestKey(PrefixPath("STRAY").c_str(), "http://s/%s");
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, PrefixPath("IMAGE").c_str(), "%");  // and damaged
    SetFields("GOOGLE", "http://g/%s");
    Click(IDC_ADD);
    SetFields("ALBUM", "");
    Click(IDC_REMOVE);
    SetFields("WIKI", "http://w/%s");
    Click(IDC_ADD);
    Click(IDOK);
    EXPECT_TRUE(m_dialog->HasEnded());
    EXPECT_EQ(m_dialog->GetResult(), IDOK);
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"ARTIST", "GOOGLE", "IMAGE", "MOVIE",
                                                       "NEWS", "STRAY", "WIKI"}));
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored["NEWS"].url, "http://other/news/%s");
    EXPECT_EQ(stored["STRAY"].valueCount, 1u);
    EXPECT_EQ(stored["IMAGE"].valueCount, 4u);
    for (const char* edited : {"GOOGLE", "WIKI"})
        EXPECT_TRUE(stored[edited].hasTheFiveValues) << edited;
    EXPECT_EQ(stored["GOOGLE"].url, "http://g/%s");
}

// Changes made through another handle reach the list in the rows the user
// has not edited, in one reading for a burst of them, and leave the user's
// selection, typing, label and modified flag alone; the save's own writes do
// not come back, and a deleted key takes every row the user has not edited.
TEST_F(MainDialog, TheOpenDialogFollowsTheKey)
{
    CreateTestKey(kSearchUrl);
    Open();
    SetFields("NEWS", "http://mine/%s");
    Click(IDC_ADD);
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
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ALBUM", "ARTIST", "GOOGLE", "IMAGE", "MOVIE",
                                                "NEWS", "STRAY"}));
    EXPECT_EQ(Text(ComboEdit()), "http://typed/%s");
    EXPECT_EQ(::SendMessageA(List(), LVM_GETNEXTITEM, -1, LVNI_SELECTED), RowOf("MOVIE"));
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

    SetFields("ZED", "http://z/%s");
    Click(IDC_ADD);
    ::RegCloseKey(other);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer");
    RunLoop();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ZED"}));
    CreateTestKey(PrefixPath("BACK").c_str(), "http://b/%s");  // and made again, from above
    RunLoop();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"BACK", "ZED"}));
}

// The only copy of what failed to reach the registry is the table: OK keeps
// it open, with Apply enabled, for another try or Cancel.
TEST_F(MainDialog, OkWhoseSaveFailsKeepsTheDialogOpen)
{
    CreateTestKey(kSearchUrl);
    Open();
    SetFields("WIKI", "http://w/%s");
    Click(IDC_ADD);
    {
        RegistryCallLayer calls;
        calls.FailEveryCallTo("RegSetValueExA", ERROR_ACCESS_DENIED);
        Click(IDOK);
    }
    EXPECT_FALSE(m_dialog->HasEnded());
    EXPECT_EQ(MessageRecorder::Texts(),
              (std::vector<std::string>{"Could not add keys to the registry."}));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    Click(IDOK);
    EXPECT_TRUE(m_dialog->HasEnded());
    EXPECT_TRUE(StoredPrefixes()["WIKI"].hasTheFiveValues);
}

// The load fills the list in one go. Its rows must stand as the sorted
// control places the same rows added one at a time, in the order they were
// read, and a later add must go where the control puts it in both.
TEST_F(MainDialog, ALoadedListIsInTheOrderOfOneByOneAdds)
{
    const char* const names[] = {
        "10", "9", "09", "1.5", "1-5", "A-B", "AB", "A'B", "A B", "'QUOTE", "-DASH", "!BANG",
        "~TILDE", "_UNDER", "A_B", "#", "É", "E", "ÉCOLE", "ECOLE", "ÈCOLE", "école", "straße",
        "STRASSE", "co-op", "COOP", "µ", "Μ", "ΑΒΓ", "αβγ2", "поиск", "ПОИСК2", "日本", "A日本",
        "ǅ", "ǆ2", "ⱥ", "Ⱥ2", "Z", "z2", "Æ", "AE", "Œ", "OE", "Ø", "O"};
    for (const char* name : names)
        CreateTestKey(PrefixPath(name).c_str(), (std::string("http://x/") + name + "/%s").c_str());
    Open();

    ListViewHost host;
    CPrefixListCtrl oneByOne;
    oneByOne.Attach(host.List());
    oneByOne.InitColumns();
    auto stored = StoredPrefixes();  // école's URL went into ÉCOLE, one key to the registry
    for (const std::string& name : StoredNames())  // the load's order
        oneByOne.AddOrUpdatePrefix(name.c_str(), stored[name].url.c_str());
    // Prefix and URL: a fill that pairs the sorted names with the URLs in
    // the order read would keep the names in place.
    auto rowsOf = [](HWND list) {
        std::vector<std::string> rows;
        int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            char prefix[256] = {}, url[512] = {};
            LVITEMA item = {};
            item.pszText = prefix;
            item.cchTextMax = sizeof prefix;
            ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            item.iSubItem = CPrefixListCtrl::kUrlColumn;
            item.pszText = url;
            item.cchTextMax = sizeof url;
            ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            rows.push_back(std::string(prefix) + " " + url);
        }
        return rows;
    };
    ASSERT_GT(Rows().size(), 30u);
    EXPECT_EQ(rowsOf(List()), rowsOf(host.List()));
    for (const char* added : {"M", "É2", "-", "ÉCOLE3"}) {
        SetFields(added, "http://added/%s");
        Click(IDC_ADD);
        oneByOne.AddOrUpdatePrefix(added, "http://added/%s");
    }
    EXPECT_EQ(rowsOf(List()), rowsOf(host.List()));
    oneByOne.Detach();
}

namespace {

// Stores `bytes` bytes of the text (all of it and its terminator by default).
void CreateWidePrefix(const std::wstring& name, const std::wstring& url, DWORD bytes = 0)
{
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (Wide(kSearchUrl) + L"\\" + name).c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.data()),
                     bytes != 0 ? bytes : static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

std::string StoredBytes(const std::wstring& name)
{
    BYTE data[4096] = {};
    DWORD size = sizeof data;
    ::RegGetValueW(HKEY_CURRENT_USER, (Wide(kSearchUrl) + L"\\" + name).c_str(), L"",
                   RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size);
    return std::string(reinterpret_cast<const char*>(data), size);
}

} // namespace

// What UTF-8 cannot carry (an unpaired surrogate), a NUL cuts short or an
// odd byte count leaves half a character of is never shown and never
// written over; a URL longer than a first read is
// read whole.
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
    CreateTestKey(PrefixPath("LONG").c_str(), longUrl.c_str());
    Open();
    EXPECT_EQ(Rows(), std::vector<std::string>{"LONG"});
    ASSERT_EQ(MessageRecorder::Messages().size(), 1u);
    const std::string& message = MessageRecorder::Messages()[0].text;
    for (const char* name : {"SURROGATE", "NUL", "N\xEF\xBF\xBD", "ODD"})
        EXPECT_NE(message.find(name), std::string::npos) << name << " in " << message;

    SetFields("ADDED", "http://added/%s");
    Click(IDC_ADD);
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
        CreateTestKey(PrefixPath(prefix.first).c_str(), prefix.second.c_str());
    CreateTestKey(PrefixPath("café").c_str(), "http://café.fr/?q=%s");
    Open();
    EXPECT_TRUE(MessageRecorder::Messages().empty());

    const std::pair<const char*, const char*> edits[] = {
        {"über", "http://über.de/?q=%s"}, {"ПОИСК", "http://поиск.рф/?q=%s"}, {"Ⱥ", "http://a/%s"}};
    for (const auto& edit : edits) {
        SetFields(edit.first, edit.second);
        Click(IDC_ADD);
    }
    // ⱥ keeps its case (its capital takes a byte less), and the registry takes
    // ⱥ and Ⱥ for one name: the save refuses the second rather than lose one.
    Click(IDOK);
    EXPECT_FALSE(m_dialog->HasEnded());
    SetFields("Ⱥ", "");
    Click(IDC_REMOVE);
    Click(IDOK);
    ASSERT_TRUE(m_dialog->HasEnded());
    expected["café"] = "http://café.fr/?q=%s";  // not edited: as stored
    expected["ÜBER"] = "http://über.de/?q=%s";
    expected["ПОИСК"] = "http://поиск.рф/?q=%s";
    auto stored = StoredPrefixes();
    EXPECT_EQ(stored.size(), expected.size());
    for (const auto& prefix : expected) {
        EXPECT_EQ(stored[prefix.first].url, prefix.second) << prefix.first;
        bool edited = prefix.first == "ÜBER" || prefix.first == "ПОИСК";
        EXPECT_EQ(stored[prefix.first].hasTheFiveValues, edited) << prefix.first;
    }
}

// The close box sends the system command; Alt+F4 is turned into it.
TEST_F(MainDialog, TheCloseBoxAndAltF4EndLikeCancel)
{
    CreateTestKey(kSearchUrl);
    for (bool altF4 : {false, true}) {
        Open();
        SetFields("WIKI", "http://w/%s");
        Click(IDC_ADD);
        if (altF4)
            ::PostMessageA(m_dialog->m_hWnd, WM_SYSKEYDOWN, VK_F4, 1 << 29);  // Alt held
        else
            ::PostMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump();
        EXPECT_TRUE(m_dialog->HasEnded()) << altF4;
        EXPECT_EQ(m_dialog->GetResult(), IDCANCEL) << altF4;
        EXPECT_EQ(StoredNames(), kDefaults) << altF4;
    }
}

TEST_F(MainDialog, CancelKeepsWhatApplySavedAndDropsTheRest)
{
    CreateTestKey(kSearchUrl);
    Open();
    SetFields("FIRST", "http://1/%s");
    Click(IDC_ADD);
    Click(IDC_APPLY);
    SetFields("SECOND", "http://2/%s");
    Click(IDC_ADD);
    Click(IDCANCEL);
    EXPECT_TRUE(m_dialog->HasEnded());
    EXPECT_EQ(m_dialog->GetResult(), IDCANCEL);
    EXPECT_EQ(StoredValueCount("FIRST"), 5u);
    EXPECT_EQ(StoredValueCount("SECOND"), 0u);
}

namespace {

struct ShellCall {
    HWND owner;
    std::string verb, file;
    bool noParameters, noDirectory;
    int show;
};
std::vector<ShellCall> s_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show)
{
    s_shellCalls.push_back({owner, verb, file, parameters == nullptr, directory == nullptr, show});
    return reinterpret_cast<HINSTANCE>(42);
}

} // namespace

TEST_F(MainDialog, OnlineResourcesAsksTheShellToOpenTheWebPage)
{
    CreateTestKey(kSearchUrl);
    Open();
    {
        ImportSwap shell("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&RecordShellExecute));
        Click(IDC_ONLINE);
    }

    ASSERT_EQ(s_shellCalls.size(), 1u);
    EXPECT_EQ(s_shellCalls[0].owner, m_dialog->m_hWnd);
    EXPECT_EQ(s_shellCalls[0].verb, "open");
    EXPECT_EQ(s_shellCalls[0].file, "http://www.quillory.org/index.php?version=1.0");
    EXPECT_TRUE(s_shellCalls[0].noParameters && s_shellCalls[0].noDirectory);
    EXPECT_EQ(s_shellCalls[0].show, SW_SHOW);
}

TEST_F(MainDialog, TheIconServesWhenMinimised)
{
    CreateTestKey(kSearchUrl);
    Open();
    LRESULT dragIcon = ::SendMessageA(m_dialog->m_hWnd, WM_QUERYDRAGICON, 0, 0);
    EXPECT_EQ(dragIcon, ::SendMessageA(m_dialog->m_hWnd, WM_GETICON, ICON_BIG, 0));
    ::ShowWindow(m_dialog->m_hWnd, SW_MINIMIZE);
    ::RedrawWindow(m_dialog->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    EXPECT_TRUE(::IsIconic(m_dialog->m_hWnd));
}

namespace {

const std::vector<std::string> kContextMenu = {"&Rename\tF2", "Re&move\tDel", "&Try search", "-",
                                               "&Import...", "Import from &browser...", "&Export..."};

// A context menu as it was shown, read from a timer while it ran.
struct MenuSeen {
    std::vector<std::string> items;
    std::vector<bool> enabled;
    POINT topLeft;
};
std::vector<MenuSeen> s_menus;
WPARAM s_menuChoice = 0;  // a mnemonic to choose, or 0 to close the menu

void CALLBACK ReadMenu(HWND, UINT, UINT_PTR, DWORD)
{
    HWND window = ::FindWindowA("#32768", nullptr);
    if (window == nullptr || !::IsWindowVisible(window))
        return;
    auto menu = reinterpret_cast<HMENU>(::SendMessageA(window, MN_GETHMENU, 0, 0));
    MenuSeen seen;
    RECT rect;
    ::GetWindowRect(window, &rect);
    seen.topLeft = {rect.left, rect.top};
    for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
        char text[64] = {};
        ::GetMenuStringA(menu, item, text, sizeof text, MF_BYPOSITION);
        UINT state = ::GetMenuState(menu, item, MF_BYPOSITION);
        seen.items.push_back((state & MF_SEPARATOR) != 0 ? "-" : text);
        seen.enabled.push_back((state & (MF_GRAYED | MF_DISABLED)) == 0);
    }
    s_menus.push_back(seen);
    if (s_menuChoice != 0)
        ::PostMessageA(window, WM_CHAR, s_menuChoice, 0);
    else
        ::EndMenu();
}

// The Open and Save As dialogs, answered here: what they were asked, and
// the file "chosen" (none: cancelled).
struct FileDialogCall {
    bool open;
    HWND owner;
    std::string filter, defaultExtension, fileName;
    DWORD flags;
};
std::vector<FileDialogCall> s_fileDialogs;
std::string s_chosenFile;
DWORD s_chosenType = 1;  // of the dialog's filter, counted from 1

BOOL AnswerFileDialog(OPENFILENAMEA* ofn, bool open)
{
    std::string filter;
    for (const char* part = ofn->lpstrFilter; part != nullptr && *part != '\0';
         part += std::strlen(part) + 1)
        filter += std::string(part) + "|";
    s_fileDialogs.push_back({open, ofn->hwndOwner, filter,
                             ofn->lpstrDefExt != nullptr ? ofn->lpstrDefExt : "", ofn->lpstrFile,
                             ofn->Flags});
    if (s_chosenFile.empty())
        return FALSE;
    ::lstrcpynA(ofn->lpstrFile, s_chosenFile.c_str(), static_cast<int>(ofn->nMaxFile));
    ofn->nFilterIndex = s_chosenType;
    return TRUE;
}
BOOL WINAPI AnswerOpen(OPENFILENAMEA* ofn) { return AnswerFileDialog(ofn, true); }
BOOL WINAPI AnswerSave(OPENFILENAMEA* ofn) { return AnswerFileDialog(ofn, false); }

std::string TempFile(const char* name)
{
    char directory[MAX_PATH] = {};
    ::GetTempPathA(sizeof directory, directory);
    return std::string(directory) + std::to_string(::GetCurrentProcessId()) + "-" + name;
}

// A UTF-8 text as UTF-16LE bytes, and back.
std::string Utf16Bytes(const std::string& utf8)
{
    std::wstring wide = Wide(utf8);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}
std::string Utf8FromUtf16Bytes(const std::string& bytes)
{
    return Utf8(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const std::string kRealKey = "HKEY_CURRENT_USER\\Software\\Microsoft";
std::string ScratchKey() { return "HKEY_CURRENT_USER\\" + ScratchKeyPath() + "\\Software\\Microsoft"; }

// The platform's own tool, on the scratch key: the file's real key is
// rewritten to it on the way in and back on the way out.
DWORD RegImport(const std::string& path)
{
    const std::string scratchFile = path + ".scratch.reg";
    WriteFileBytes(scratchFile, Replaced(ReadFileBytes(path), Utf16Bytes(kRealKey), Utf16Bytes(ScratchKey())));
    DWORD exitCode = RunChild("reg.exe import \"" + scratchFile + "\"");
    ::DeleteFileA(scratchFile.c_str());
    return exitCode;
}
DWORD RegExport(const std::string& path)
{
    DWORD exitCode = RunChild("reg.exe export \"" + ScratchKey() +
                              "\\Internet Explorer\\SearchUrl\" \"" + path + "\" /y");
    WriteFileBytes(path, Replaced(ReadFileBytes(path), Utf16Bytes(ScratchKey()), Utf16Bytes(kRealKey)));
    return exitCode;
}

std::string ListText(HWND list, int row, int column)
{
    char text[512] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}

class FileDialogs : public MainDialog {
protected:
    FileDialogs()
    {
        s_fileDialogs.clear();
        s_chosenFile.clear();
        s_chosenType = 1;
        s_shellCalls.clear();
        s_menus.clear();
        s_menuChoice = 0;
    }
    ~FileDialogs() override
    {
        for (const std::string& path : m_files)
            ::DeleteFileA(path.c_str());
    }

    std::string File(const char* name)
    {
        m_files.push_back(TempFile(name));
        return m_files.back();
    }

    // The menus that `invoke` showed, each closed (or chosen from) by a timer.
    std::vector<MenuSeen> MenusShownBy(const std::function<void()>& invoke)
    {
        s_menus.clear();
        UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ReadMenu);
        invoke();
        Pump();
        ::KillTimer(nullptr, timer);
        return s_menus;
    }

    void Command(UINT id)
    {
        ::SendMessageA(m_dialog->m_hWnd, WM_COMMAND, id, 0);
        Pump();
    }

    std::string ListUrl(const char* prefix) const { return ListText(List(), RowOf(prefix), 1); }

    std::vector<std::string> m_files;
    ImportSwap m_open{"comdlg32.dll", "GetOpenFileNameA", reinterpret_cast<void*>(&AnswerOpen)};
    ImportSwap m_save{"comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&AnswerSave)};
    ImportSwap m_shell{"shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&RecordShellExecute)};
};

} // namespace

// Right-click, Shift+F10 and the Apps key: the same menu, its row commands
// only for a selected row, shown below that row when asked from the keyboard.
TEST_F(FileDialogs, TheListsContextMenuActsOnTheSelectedRow)
{
    CreateTestKey(kSearchUrl);
    Open();
    auto menus = MenusShownBy([&] {
        ::SendMessageA(m_dialog->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()),
                       MAKELPARAM(100, 100));
    });
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].items, kContextMenu);
    EXPECT_EQ(menus[0].enabled, (std::vector<bool>{false, false, false, false, true, true, true}));
    EXPECT_EQ(menus[0].topLeft.x, 100);

    int news = RowOf("NEWS");
    SelectRow(news);
    RECT label = {LVIR_LABEL, 0, 0, 0};
    ::SendMessageA(List(), LVM_GETITEMRECT, news, reinterpret_cast<LPARAM>(&label));
    POINT below = {label.left, label.bottom};
    ::ClientToScreen(List(), &below);
    ::SetFocus(List());
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    menus = MenusShownBy([&] { ::PostMessageA(List(), WM_SYSKEYDOWN, VK_F10, 0); });
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    auto apps = MenusShownBy([&] {
        ::PostMessageA(List(), WM_KEYDOWN, VK_APPS, 0);
        ::PostMessageA(List(), WM_KEYUP, VK_APPS, 0xC0000001);
    });
    EXPECT_EQ(menus.size(), 1u) << "Shift+F10";
    EXPECT_EQ(apps.size(), 1u) << "Apps";
    menus.insert(menus.end(), apps.begin(), apps.end());
    ASSERT_EQ(menus.size(), 2u);
    for (const MenuSeen& menu : menus) {
        EXPECT_EQ(menu.enabled, (std::vector<bool>{true, true, true, false, true, true, true}));
        EXPECT_EQ(menu.topLeft.x, below.x);
        EXPECT_EQ(menu.topLeft.y, below.y);
    }
    // A right-click selects the row under the pointer first.
    int movie = RowOf("MOVIE");
    ::SendMessageA(List(), LVM_GETITEMRECT, movie, reinterpret_cast<LPARAM>(&label));
    LPARAM onMovie = MAKELPARAM(label.left + 2, (label.top + label.bottom) / 2);
    menus = MenusShownBy([&] {
        ::PostMessageA(List(), WM_RBUTTONDOWN, MK_RBUTTON, onMovie);
        ::PostMessageA(List(), WM_RBUTTONUP, 0, onMovie);
    });
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].enabled, (std::vector<bool>{true, true, true, false, true, true, true}));
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "MOVIE");
    SelectRow(news);
    // Elsewhere in the dialog, no menu of ours.
    EXPECT_TRUE(MenusShownBy([&] {
        ::SendMessageA(m_dialog->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Item(IDC_ADD)),
                       MAKELPARAM(100, 100));
    }).empty());

    // Chosen from the menu: Remove, as Delete does.
    s_menuChoice = 'm';
    MenusShownBy([&] {
        ::SendMessageA(m_dialog->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), -1);
    });
    EXPECT_EQ(RowOf("NEWS"), -1);
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "USENET");  // the row now in its place

    // Rename opens the label editor, as F2 does; neither acts without a row.
    SelectRow(-1);
    Command(ID_PREFIX_RENAME);
    Command(ID_PREFIX_REMOVE);
    EXPECT_EQ(LabelEditor(), nullptr);
    EXPECT_EQ(Rows().size(), 6u);
    SelectRow(RowOf("MOVIE"));
    Command(ID_PREFIX_RENAME);
    EXPECT_NE(LabelEditor(), nullptr);
}

// Try search: the selected row's URL with the test query as the browser
// sends it, opened by the shell; anything but a web address is refused.
TEST_F(FileDialogs, TrySearchOpensOnlyWebAddresses)
{
    CreateTestKey(PrefixPath("A").c_str(), "http://x/?q=%s&n=1");
    CreateTestKey(PrefixPath("B").c_str(), "HTTPS://x/%s/");
    CreateTestKey(PrefixPath("C").c_str(), "http://x/without");
    CreateTestKey(PrefixPath("D").c_str(), "C:\\Windows\\System32\\calc.exe");
    CreateTestKey(PrefixPath("E").c_str(), "file:///C:/");
    CreateTestKey(PrefixPath("F").c_str(), "%shttp://x/");
    Open();
    Command(ID_PREFIX_TRY_SEARCH);  // no row selected
    for (const char* prefix : {"A", "B", "C", "D", "E", "F"}) {
        SelectRow(RowOf(prefix));
        Command(ID_PREFIX_TRY_SEARCH);
    }
    std::vector<std::string> opened;
    for (const ShellCall& call : s_shellCalls) {
        opened.push_back(call.file);
        EXPECT_EQ(call.verb, "open");
        EXPECT_EQ(call.owner, m_dialog->m_hWnd);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"http://x/?q=quillory+test&n=1",
                                                "HTTPS://x/quillory+test/", "http://x/without"}));
    const auto& messages = MessageRecorder::Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "The URL of D is not a web address, so it is not opened:\n\n"
                                "C:\\Windows\\System32\\calc.exe\n\n"
                                "Only URLs that start with http:// or https:// are opened.");
    EXPECT_EQ(messages[1].text.find("file:///C:/"), 57u);
    EXPECT_EQ(messages[2].text.find("quillory+testhttp://x/"), 57u);
    for (const auto& message : messages) {
        EXPECT_EQ(message.caption, "Quillory");
        EXPECT_EQ(message.style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    }
}

// The system menu and the context menu both ask for a file the same way;
// a cancelled dialog changes nothing, a failed write says so.
TEST_F(FileDialogs, ImportAndExportAskForAFileFromEitherMenu)
{
    CreateTestKey(kSearchUrl);
    Open();
    HMENU systemMenu = ::GetSystemMenu(m_dialog->m_hWnd, FALSE);
    std::vector<UINT> ids;
    for (int item = 0; item < ::GetMenuItemCount(systemMenu); ++item)
        ids.push_back(::GetMenuItemID(systemMenu, item));
    auto at = std::find(ids.begin(), ids.end(), static_cast<UINT>(IDM_IMPORT));
    ASSERT_GE(std::distance(at, ids.end()), 5);
    EXPECT_EQ(std::vector<UINT>(at, at + 5),
              (std::vector<UINT>{IDM_IMPORT, IDM_EXPORT, IDM_IMPORT_BROWSER, 0, IDM_ABOUTBOX}));
    char text[64] = {};
    ::GetMenuStringA(systemMenu, IDM_IMPORT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Import prefixes...");
    ::GetMenuStringA(systemMenu, IDM_EXPORT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Export prefixes...");
    ::GetMenuStringA(systemMenu, IDM_IMPORT_BROWSER, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Import from &browser...");

    ::SendMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, IDM_IMPORT, 0);
    ::SendMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, IDM_EXPORT, 0);
    Command(ID_FILE_IMPORT);
    Command(ID_FILE_EXPORT);
    ASSERT_EQ(s_fileDialogs.size(), 4u);
    for (const FileDialogCall& call : s_fileDialogs) {
        EXPECT_EQ(call.owner, m_dialog->m_hWnd);
        EXPECT_EQ(call.filter, call.open ? "Registration Entries (*.reg)|*.reg|Bookmarks (*.html;*.htm)|"
                                           "*.html;*.htm|All Files (*.*)|*.*|"
                                         : "Registration Entries (*.reg)|*.reg|Bookmarks for Firefox (*.html)|"
                                           "*.html|All Files (*.*)|*.*|");
        EXPECT_EQ(call.defaultExtension, "reg");
        // Without an extension, so that the dialog adds the chosen type's.
        EXPECT_EQ(call.fileName, call.open ? "" : "SearchUrl");
        EXPECT_EQ((call.flags & OFN_OVERWRITEPROMPT) != 0, !call.open);
        EXPECT_EQ((call.flags & OFN_FILEMUSTEXIST) != 0, call.open);
    }
    EXPECT_EQ(s_fileDialogs[0].open, true);
    EXPECT_EQ(s_fileDialogs[1].open, false);
    EXPECT_TRUE(MessageRecorder::Messages().empty());
    EXPECT_EQ(Rows(), kDefaults);

    s_chosenFile = TempFile("missing\\SearchUrl.reg");
    Command(ID_FILE_EXPORT);
    ASSERT_EQ(MessageRecorder::Messages().size(), 1u);
    EXPECT_EQ(MessageRecorder::Messages()[0].text.rfind("Could not write " + s_chosenFile + ".\n\n", 0), 0u);
    EXPECT_EQ(MessageRecorder::Messages()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

// Exported, then imported by the platform's own tool: every name and URL
// exactly as the table held them, with the values a save writes. The
// export touches neither the registry nor the modified flag.
TEST_F(FileDialogs, AnExportComesBackThroughRegImportUnchanged)
{
    const char lines[] = "http://x/\r\n%s\n";  // another program's; written as hex(1)
    CreateTestKey(PrefixPath("LINES").c_str(), lines);
    Open();
    s_chosenFile = File("unmodified.reg");
    Command(ID_FILE_EXPORT);
    EXPECT_FALSE(Enabled(IDC_APPLY));
    const std::vector<std::pair<std::string, std::string>> added = {
        {"QUOTE\"S", "http://x/?a=\"b\"&c=\\d\\%s"},
        {"PERCENT", "http://x/?q=%s&p=%25+%26%2B"},
        {"ПОИСК", "http://пример.рф/?q=%s"},
        {"日本", "https://例え.jp/検索?q=%s"},
        {"A]B", "http://x/]?q=%s"},
    };
    for (const auto& row : added) {
        SetFields(row.first.c_str(), row.second.c_str());
        Click(IDC_ADD);
    }
    ASSERT_EQ(Rows().size(), 1 + added.size());
    s_chosenFile = File("SearchUrl.reg");
    Command(ID_FILE_EXPORT);
    EXPECT_TRUE(MessageRecorder::Messages().empty());
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"LINES"});
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_EQ(Utf8FromUtf16Bytes(ReadFileBytes(s_chosenFile)).rfind("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n", 0), 0u);

    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
    ASSERT_EQ(RegImport(s_chosenFile), 0u);
    auto stored = StoredPrefixes();
    ASSERT_EQ(stored.size(), 1 + added.size());
    for (const auto& row : added) {
        EXPECT_EQ(stored[row.first].url, row.second) << row.first;
        EXPECT_TRUE(stored[row.first].hasTheFiveValues) << row.first;
    }
    EXPECT_EQ(stored["LINES"].url, lines);
    EXPECT_TRUE(stored["LINES"].hasTheFiveValues);
}

// A file the platform's tool wrote, in its own format and in the older
// REGEDIT4 one: added to the table, counted, nothing stored before Apply.
TEST_F(FileDialogs, ImportTakesWhatTheRegistryEditorWrote)
{
    CreateTestKey(PrefixPath("google").c_str(), "http://www.google.com/search?hl=fr&q=%s");
    CreateTestKey(PrefixPath("ÉTÉ").c_str(), "http://é.example/\"%s\"\\");
    CreateTestKey((PrefixPath("ÉTÉ") + "\\deeper").c_str(), "http://not/a/prefix");
    const std::string unicode = File("unicode.reg");
    ASSERT_EQ(RegExport(unicode), 0u);
    // A name no registry holds, and so the table refuses: a skip too.
    WriteFileBytes(unicode, ReadFileBytes(unicode) + Utf16Bytes("[" + kRealKey + "\\Internet Explorer\\SearchUrl\\" +
                                                        std::string(256, 'L') + "]\r\n@=\"http://l/%s\"\r\n"));
    std::string text = Utf8FromUtf16Bytes(ReadFileBytes(unicode));
    text = "REGEDIT4" + text.substr(text.find("\r\n"));
    std::wstring wide = Wide(text);
    std::string ansi(wide.size() * 2, '\0');
    ansi.resize(static_cast<size_t>(::WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()),
                                                          &ansi[0], static_cast<int>(ansi.size()), nullptr, nullptr)));
    const std::string regedit4 = File("regedit4.reg");
    WriteFileBytes(regedit4, ansi);

    for (const std::string& path : {unicode, regedit4}) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
        CreateTestKey(kSearchUrl);
        MessageRecorder::Messages().clear();
        Open();
        SelectRow(RowOf("GOOGLE"));
        s_chosenFile = path;
        Command(ID_FILE_IMPORT);
        std::vector<std::string> expected = kDefaults;
        expected.insert(expected.begin() + 2, "ÉTÉ");
        EXPECT_EQ(Rows(), expected) << path;
        EXPECT_EQ(Text(ComboEdit()), "http://www.google.com/search?hl=fr&q=%s") << path;
        EXPECT_EQ(StoredNames(), kDefaults) << path;
        EXPECT_TRUE(Enabled(IDC_APPLY));
        ASSERT_EQ(MessageRecorder::Messages().size(), 1u) << path;
        const auto& message = MessageRecorder::Messages()[0];
        EXPECT_EQ(message.text, "Imported 2 prefixes from " + path +
                                    ".\n\nSkipped 2 entries that are not search prefixes.");
        EXPECT_EQ(message.caption, "Quillory");
        EXPECT_EQ(message.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
        Click(IDC_APPLY);
        EXPECT_EQ(StoredPrefixes()["ÉTÉ"].url, "http://é.example/\"%s\"\\") << path;
    }
}

// Export for Firefox, by the chosen type or the name's extension: every
// attribute escaped, the keyword in lower case as Firefox keeps keywords.
// The same file imported again gives every prefix and URL as it was.
TEST_F(FileDialogs, BookmarksForFirefoxComeBackThroughImport)
{
    CreateTestKey(PrefixPath("A").c_str(), "http://a/%s");
    Open();
    const std::vector<std::pair<std::string, std::string>> added = {
        {"QUOTE\"S", "http://x/?a=\"b\"&c=\\d\\%s"}, {"PERCENT", "http://x/?q=%s&p=%25+%26%2B"},
        {"A<B>", "http://x/?q=%s&lt=<>"}, {"IT'S", "https://x/'%s'"}, {"ПОИСК", "http://пример.рф/?q=%s"},
        {"日本", "https://例え.jp/検索?q=%s"}};
    for (const auto& row : added) {
        SetFields(row.first.c_str(), row.second.c_str());
        Click(IDC_ADD);
    }
    struct Case {
        const char* name;
        DWORD type;
        bool bookmarks;
    };
    std::string bookmarks;
    for (const Case& c : {Case{"prefixes", 2, true}, Case{"prefixes.HTM", 1, true}, Case{"prefixes.reg", 2, false},
                          Case{"prefixes.txt", 1, false}}) {
        s_chosenFile = File(c.name);
        s_chosenType = c.type;
        Command(ID_FILE_EXPORT);
        std::string bytes = ReadFileBytes(s_chosenFile);
        EXPECT_EQ(bytes.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>", 0) == 0, c.bookmarks) << c.name;
        if (c.bookmarks)
            bookmarks = bytes;
    }
    EXPECT_EQ(bookmarks.find("\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"), 35u);
    for (const char* line :
         {"<DT><H3>Search prefixes</H3>", "<DT><A HREF=\"http://x/?a=&quot;b&quot;&amp;c=\\d\\%s\" SHORTCUTURL=\"quote&quot;s\">QUOTE&quot;S</A>\r\n",
          "<DT><A HREF=\"http://x/?q=%s&amp;lt=&lt;&gt;\" SHORTCUTURL=\"a&lt;b&gt;\">A&lt;B&gt;</A>\r\n",
          "<DT><A HREF=\"http://пример.рф/?q=%s\" SHORTCUTURL=\"поиск\">ПОИСК</A>\r\n"})
        EXPECT_NE(bookmarks.find(line), std::string::npos) << line;
    m_dialog.reset();
    Open();
    ASSERT_EQ(Rows(), std::vector<std::string>{"A"});
    s_chosenFile = m_files[0];
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(Rows().size(), 1 + added.size());
    for (const auto& row : added)
        EXPECT_EQ(ListUrl(row.first.c_str()), row.second) << row.first;
    EXPECT_EQ(ListUrl("A"), "http://a/%s");
    ASSERT_EQ(MessageRecorder::Messages().size(), 1u);
    EXPECT_EQ(MessageRecorder::Messages()[0].text, "Imported 7 prefixes from " + m_files[0] + ".");
}

// A file that is not a registry file, or cannot be read: one error, and the
// table and its modified flag as they were.
TEST_F(FileDialogs, AFileThatCannotBeImportedChangesNothing)
{
    CreateTestKey(kSearchUrl);
    Open();
    const std::string notRegistry = File("notes.reg");
    WriteFileBytes(notRegistry, "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\X]\r\n"
                            "@=\"http://x/%s\"\r\n");
    const std::string missing = TempFile("missing.reg");
    for (const std::string& path : {notRegistry, missing}) {
        s_chosenFile = path;
        Command(ID_FILE_IMPORT);
    }
    EXPECT_EQ(Rows(), kDefaults);
    EXPECT_FALSE(Enabled(IDC_APPLY));
    const auto& messages = MessageRecorder::Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind(notRegistry + " is not a registry file.", 0), 0u) << messages[0].text;
    EXPECT_EQ(messages[1].text.rfind("Could not read " + missing + ".\n\n", 0), 0u) << messages[1].text;
    EXPECT_GT(messages[1].text.size(), ("Could not read " + missing + ".\n\n").size());
    for (const auto& message : messages)
        EXPECT_EQ(message.style, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

// Every row stays findable by its text through adds, renames (also to a name
// the control holds equal to the old one and so keeps), removes, and loads
// onto an empty and a non-empty table.
TEST_F(MainDialog, TheRowIndexFollowsTheControlThroughEveryOperation)
{
    const std::wstring wide[] = {L"A", L"A\x00AD", L"A\xFEFF", L"a", L"\x00E0", L"\x00C0", L"B",
                                 L"ab", L"AB", L"z", L"\x00E9" L"cole", L"ECOLE", L"1", L"10", L"-",
                                 L"M", L"\x03BC", L"\x00B5"};
    std::vector<std::string> pool;
    for (const auto& name : wide)
        pool.push_back(Utf8(name));
    for (size_t i = 0; i < 12; ++i)
        CreateTestKey(PrefixPath(pool[i].c_str()).c_str(), "http://x/%s");
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
                EXPECT_STREQ(table.GetItemText(row, 1), url.c_str()) << name;
            };
            switch (std::rand() % 3) {
            case 0: addAgain(); break;
            case 1: if (count > 0) table.RenamePrefix(std::rand() % count, name.c_str()); break;
            default: table.RemovePrefix(name.c_str()); break;
            }
            for (int row = 0; row < table.GetItemCount(); ++row)
                EXPECT_EQ(table.FindPrefix(table.GetItemText(row, 0)), row)
                    << "round " << round << ", step " << step;
            for (const std::string& prefix : pool) {
                int row = table.FindPrefix(prefix.c_str());
                if (row != -1) {
                    EXPECT_STREQ(table.GetItemText(row, 0), prefix.c_str());
                }
            }
        }
        table.Detach();
    }
}

namespace {

// The user's folders as SHGetKnownFolderPath gives them, pointed at a
// folder of the test's.
std::wstring s_localAppData, s_roamingAppData;
HRESULT WINAPI AnswerKnownFolder(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path)
{
    const std::wstring& folder = ::IsEqualGUID(id, FOLDERID_LocalAppData) ? s_localAppData : s_roamingAppData;
    *path = static_cast<PWSTR>(::CoTaskMemAlloc((folder.size() + 1) * sizeof(wchar_t)));
    ::lstrcpyW(*path, folder.c_str());
    return S_OK;
}

// "Import from a browser" as it was shown, read from a timer while it ran,
// which then does what the test asks of it.
struct ImportDialogSeen {
    std::vector<std::string> rows;  // "[x] PREFIX URL Browser"
    std::string summary;
    bool summaryScrolls = false;
    bool importEnabled = false;
};
std::vector<ImportDialogSeen> s_importDialogs;
std::function<void(HWND dialog, HWND list)> s_importAction;

ImportDialogSeen ReadImportDialog(HWND dialog)
{
    ImportDialogSeen seen;
    HWND list = ::GetDlgItem(dialog, IDC_BROWSER_LIST);
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        seen.rows.push_back(std::string(ListView_GetCheckState(list, row) ? "[x] " : "[ ] ") + ListText(list, row, 0) +
                            " " + ListText(list, row, 1) + " " + ListText(list, row, 2));
    seen.summary = Text(::GetDlgItem(dialog, IDC_BROWSER_SUMMARY));
    seen.summaryScrolls = (::GetWindowLongA(::GetDlgItem(dialog, IDC_BROWSER_SUMMARY), GWL_STYLE) & WS_VSCROLL) != 0;
    seen.importEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
    return seen;
}

void CALLBACK HandleImportDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = ::FindWindowA("#32770", "Import from a browser");
    if (dialog == nullptr || !::IsWindowVisible(dialog) || !s_importAction)
        return;
    s_importDialogs.push_back(ReadImportDialog(dialog));
    auto action = std::move(s_importAction);
    s_importAction = nullptr;
    action(dialog, ::GetDlgItem(dialog, IDC_BROWSER_LIST));
}

class BrowserImport : public FileDialogs {
protected:
    BrowserImport()
    {
        s_localAppData = m_root.Make(L"Local");
        s_roamingAppData = m_root.Make(L"Roaming");
    }

    // Import from browser, from the list's menu, with `action` done in the
    // dialog: what it showed.
    ImportDialogSeen ImportFromBrowser(std::function<void(HWND dialog, HWND list)> action)
    {
        s_importDialogs.clear();
        s_importAction = std::move(action);
        UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &HandleImportDialog);
        Command(ID_FILE_IMPORT_BROWSER);
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(s_importDialogs.size(), 1u);
        return s_importDialogs.empty() ? ImportDialogSeen() : s_importDialogs[0];
    }

    TempFolder m_root;
    ImportSwap m_folders{"shell32.dll", "SHGetKnownFolderPath", reinterpret_cast<void*>(&AnswerKnownFolder)};
};

void Press(HWND dialog, int button)
{
    ::PostMessageA(dialog, WM_COMMAND, button, 0);
}

} // namespace

// Checked at first: what adds a prefix or changes a URL, and for a prefix
// two profiles disagree on only the first; checking the other unchecks it.
// Import takes exactly the checked rows into the table, and nothing into
// the registry before Apply.
TEST_F(BrowserImport, ChecksWhatChangesTheTableAndImportsExactlyTheChecked)
{
    CreateTestKey(kSearchUrl);
    Open();
    std::string google = ListUrl("GOOGLE");
    LeaveChromeProfile(s_localAppData,
                       {{"wiki", "https://en.wikipedia.org/?search={searchTerms}"},
                        {"news", "https://news.example/?q={searchTerms}"},
                        {"google", Replaced(google, "%s", "{searchTerms}")},
                        {"поиск", "https://поиск.рф/?q={searchTerms}"},
                        {"google.com", "{google:baseURL}search?q={searchTerms}", 1},
                        {"@history", "chrome://history/?q={searchTerms}", 0, 2},
                        {"a\\b", "https://ab/?q={searchTerms}"},
                        {"post", "https://post/?q={searchTerms}", 0, 0, 1, "q={searchTerms}"}});
    LeaveFirefoxProfile(s_roamingAppData, {{"wiki", "https://wiki.example/%s"}, {"ff", "https://ff/?q=%s"}});

    ImportDialogSeen afterClicks;
    ImportDialogSeen seen = ImportFromBrowser([&](HWND dialog, HWND list) {
        ListView_SetCheckState(list, 4, TRUE);  // Firefox's WIKI
        ListView_SetCheckState(list, 0, FALSE);  // FF
        afterClicks = ReadImportDialog(dialog);
        Press(dialog, IDOK);
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
    CreateTestKey(kSearchUrl);
    Open();
    ImportDialogSeen none = ImportFromBrowser([](HWND dialog, HWND) { Press(dialog, IDCANCEL); });
    WriteWebData(m_root.Make(L"Local\\Microsoft\\Edge\\User Data\\Default") + L"\\Web Data",
                 {{"bing.com", "https://www.bing.com/search?q={searchTerms}", 3}});
    WriteFileBytes(m_root.Make(L"Local\\Chromium\\User Data\\Default") + L"\\Web Data", "not a database");
    ImportDialogSeen builtIn = ImportFromBrowser([](HWND dialog, HWND) { Press(dialog, IDOK); Press(dialog, IDCANCEL); });
    for (const wchar_t* browser : {L"Google\\Chrome", L"BraveSoftware\\Brave-Browser", L"Vivaldi"}) {
        for (const wchar_t* profile : {L"Default", L"Profile 1", L"Profile 2"})
            WriteFileBytes(m_root.Make(L"Local\\" + std::wstring(browser) + L"\\User Data\\" + profile) + L"\\Web Data", "x");
    }
    ImportDialogSeen unread = ImportFromBrowser([](HWND dialog, HWND) { Press(dialog, IDCANCEL); });
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
