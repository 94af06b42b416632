#include "tests/app/DialogFixture.h"

#include "tests/support/ChildProcess.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <set>

void CreateWidePrefix(const std::wstring& name, const std::wstring& url, DWORD bytes)
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

static std::string ScratchKey()
{
    return "HKEY_CURRENT_USER\\" + ScratchKeyPath() + "\\Software\\Microsoft";
}

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
    DWORD exitCode = RunChild("reg.exe export \"" + ScratchKey() + "\\Internet Explorer\\SearchUrl\" \"" +
                              path + "\" /y");
    WriteFileBytes(path, Replaced(ReadFileBytes(path), Utf16Bytes(ScratchKey()), Utf16Bytes(kRealKey)));
    return exitCode;
}

void ExpectPassAt144Dpi(const std::vector<std::string>& tests)
{
    const char desktop[] = "Control Panel\\Desktop";
    DWORD before = 0, size = sizeof before, dpi = 144;
    bool hadOne = ::RegGetValueA(HKEY_CURRENT_USER, desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &before,
                                 &size) == 0;
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi), 0);
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
        ::RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &before, sizeof before);
    else
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels");
    ::SetEnvironmentVariableA("QUILLORY_TEST_DPI", nullptr);
    EXPECT_EQ(exitCode, 0u);
    std::string counts = "<testsuites tests=\"" + std::to_string(tests.size()) + "\" failures=\"0\"";
    EXPECT_NE(xml.find(counts), std::string::npos) << xml;
    for (const std::string& test : tests) {
        size_t at = xml.find("<testcase name=\"" + test.substr(test.find('.') + 1) + "\"");
        ASSERT_NE(at, std::string::npos) << xml;
        std::string element = xml.substr(at, xml.find('>', at) - at);  // this test's own
        EXPECT_NE(element.find("status=\"run\" result=\"completed\""), std::string::npos) << xml;
    }
}

DWORD FileDialogCall::TypeOf(const std::string& name) const
{
    for (size_t type = 0; type < types.size(); ++type) {
        if (::PathMatchSpecA(name.c_str(), types[type].second.c_str()))
            return static_cast<DWORD>(type + 1);
    }
    return 0;
}

namespace {

HWND s_main = nullptr;
std::vector<AboutSeen> s_about;

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
    s_about.push_back({Text(::GetWindow(ok, GW_HWNDPREV)), true, ::GetWindow(about, GW_OWNER) == s_main,
                       !::IsWindowEnabled(s_main), ::GetFocus() == ok, centred});
    const WPARAM keys[] = {VK_RETURN, VK_ESCAPE, 0};
    if (WPARAM key = keys[s_about.size() % 3])
        ::PostMessageA(ok, WM_KEYDOWN, key, 0);
    else
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
}

std::vector<MenuSeen> s_menus;
WPARAM s_menuChoice = 0;

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

BOOL AnswerFileDialog(OPENFILENAMEA* ofn, bool open)
{
    FileDialogCall call = {open, ofn->hwndOwner, {}, ofn->lpstrDefExt != nullptr ? ofn->lpstrDefExt : "",
                           ofn->lpstrFile, ofn->Flags};
    for (const char* name = ofn->lpstrFilter; name != nullptr && *name != '\0';) {
        const char* pattern = name + std::strlen(name) + 1;
        call.types.emplace_back(name, pattern);
        name = pattern + std::strlen(pattern) + 1;
    }
    s_fileDialogs.push_back(call);
    if (s_chosenFile.empty())
        return FALSE;
    ::lstrcpynA(ofn->lpstrFile, s_chosenFile.c_str(), static_cast<int>(ofn->nMaxFile));
    ofn->nFilterIndex = call.TypeOf(s_chosenType);
    return TRUE;
}
BOOL WINAPI AnswerOpen(OPENFILENAMEA* ofn) { return AnswerFileDialog(ofn, true); }
BOOL WINAPI AnswerSave(OPENFILENAMEA* ofn) { return AnswerFileDialog(ofn, false); }

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show)
{
    s_shellCalls.push_back({owner, verb, file, parameters == nullptr, directory == nullptr, show});
    return reinterpret_cast<HINSTANCE>(42);
}

std::vector<ImportDialogSeen> s_importDialogs;
std::function<void(HWND dialog, HWND list)> s_importAction;

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

} // namespace

ImportDialogSeen ReadImportDialog(HWND dialog)
{
    ImportDialogSeen seen;
    HWND list = ::GetDlgItem(dialog, IDC_BROWSER_LIST), summary = ::GetDlgItem(dialog, IDC_BROWSER_SUMMARY);
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        seen.rows.push_back(std::string(ListView_GetCheckState(list, row) ? "[x] " : "[ ] ") +
                            ListText(list, row, 0) + " " + ListText(list, row, 1) + " " +
                            ListText(list, row, 2));
    seen.summary = Text(summary);
    seen.summaryScrolls = (::GetWindowLongA(summary, GWL_STYLE) & WS_VSCROLL) != 0;
    seen.importEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
    return seen;
}

MainDialog::MainDialog()
    : m_open("comdlg32.dll", "GetOpenFileNameA", reinterpret_cast<void*>(&AnswerOpen)),
      m_save("comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&AnswerSave)),
      m_shell("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&RecordShellExecute))
{
    ::InitCommonControls();
    s_fileDialogs.clear();
    s_chosenFile.clear();
    s_chosenType = "x.reg";
    s_shellCalls.clear();
}

MainDialog::~MainDialog()
{
    m_dialog.reset();
    for (const std::string& path : m_files)
        ::DeleteFileA(path.c_str());
}

void MainDialog::Open()
{
    m_dialog = std::make_unique<CSearchPrefixDlg>();
    ASSERT_TRUE(m_dialog->Create());
    Pump();
}

void MainDialog::Pump()
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

void MainDialog::RunLoop()
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 700;)
        m_dialog->RunLoopOnce(50);
    Pump();
}

void MainDialog::ExpectEveryDescriptionFits()
{
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (const char* expected = std::getenv("QUILLORY_TEST_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected));
    }
    HWND info = Item(IDC_INFOTEXT);
    HFONT windowsFont = ::CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                      0, 0, "Tahoma");
    std::set<std::string> measured;
    auto expectFits = [&] {
        std::string text = Text(info);
        measured.insert(text);
        RECT box;
        ::GetClientRect(info, &box);
        HDC dc = ::GetDC(info);
        for (HFONT font : {reinterpret_cast<HFONT>(::SendMessageA(info, WM_GETFONT, 0, 0)), windowsFont}) {
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
        ASSERT_TRUE(::GetIconInfo(
            reinterpret_cast<HICON>(::SendMessageA(m_dialog->m_hWnd, WM_GETICON, icon.first, 0)), &parts));
        BITMAP mask = {};
        ::GetObjectA(parts.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, ::GetSystemMetrics(icon.second)) << dpi << " DPI";
        ::DeleteObject(parts.hbmMask);
        ::DeleteObject(parts.hbmColor);
    }
    // The prefix column is as wide as the list itself needs for its heading
    // and longest prefix; with the URL column it fills the list, leaving room
    // for a scroll bar at most.
    const int prefixes = ListView_GetColumnWidth(List(), 0), urls = ListView_GetColumnWidth(List(), 1);
    ListView_SetColumnWidth(List(), 0, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_GE(prefixes, ListView_GetColumnWidth(List(), 0)) << dpi << " DPI";
    ListView_SetColumnWidth(List(), 0, prefixes);
    RECT list;
    ::GetClientRect(List(), &list);
    EXPECT_LE(prefixes + urls, list.right) << dpi << " DPI";
    EXPECT_GE(prefixes + urls, list.right - ::GetSystemMetrics(SM_CXVSCROLL)) << dpi << " DPI";
    // With more rows than it shows, the vertical scroll bar takes room from
    // the URL column, and no horizontal one covers the last row.
    for (int i = ListView_GetItemCount(List()); i <= ListView_GetCountPerPage(List()); ++i) {
        SetFields(("ROW" + std::to_string(i)).c_str(), "http://x/%s");
        Click(IDC_ADD);
    }
    ::GetClientRect(List(), &list);
    const LONG style = ::GetWindowLongA(List(), GWL_STYLE);
    EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL) << dpi << " DPI";
    EXPECT_EQ(ListView_GetColumnWidth(List(), 0) + ListView_GetColumnWidth(List(), 1), list.right) << dpi << " DPI";
}

std::vector<AboutSeen> MainDialog::AboutBoxesShownBy(const std::function<void()>& invoke)
{
    s_main = m_dialog->m_hWnd;
    s_about.clear();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &CloseAboutBox);
    invoke();
    ::KillTimer(nullptr, timer);
    return s_about;
}

std::vector<MenuSeen> MainDialog::MenusShownBy(const std::function<void()>& invoke, WPARAM choice)
{
    s_menus.clear();
    s_menuChoice = choice;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ReadMenu);
    invoke();
    Pump();
    ::KillTimer(nullptr, timer);
    return s_menus;
}

BrowserImport::BrowserImport()
    : m_root(m_folders.root), m_localAppData(m_folders.local), m_roamingAppData(m_folders.roaming)
{
}

ImportDialogSeen BrowserImport::ImportFromBrowser(std::function<void(HWND dialog, HWND list)> action)
{
    s_importDialogs.clear();
    s_importAction = std::move(action);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &HandleImportDialog);
    Command(ID_FILE_IMPORT_BROWSER);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(s_importDialogs.size(), 1u);
    return s_importDialogs.empty() ? ImportDialogSeen() : s_importDialogs[0];
}
