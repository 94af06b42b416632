#include "tests/app/DialogFixture.h"

// The list's context menu: where and when it shows, and its row commands.

// Right-click, Shift+F10 and the Apps key: the same menu, its row commands
// only for a selected row, shown below that row when asked from the keyboard.
TEST_F(FileDialogs, TheListsContextMenuActsOnTheSelectedRow)
{
    Open();
    auto contextMenu = [&](HWND window, LPARAM at) {
        ::SendMessageA(m_dialog->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), at);
    };
    auto menus = MenusShownBy([&] { contextMenu(List(), MAKELPARAM(100, 100)); });
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].items, (std::vector<std::string>{"&Rename\tF2", "Re&move\tDel", "&Try search", "-",
                                                        "&Import...", "Import from &browser...",
                                                        "&Export...", "Restore from bac&kup..."}));
    EXPECT_EQ(menus[0].enabled, (std::vector<bool>{false, false, false, false, true, true, true, true}));
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
        EXPECT_EQ(menu.enabled, (std::vector<bool>{true, true, true, false, true, true, true, true}));
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
    EXPECT_EQ(menus[0].enabled, (std::vector<bool>{true, true, true, false, true, true, true, true}));
    EXPECT_EQ(Text(Item(IDC_PREFIX_EDIT)), "MOVIE");
    SelectRow(news);
    // Elsewhere in the dialog, no menu of ours.
    EXPECT_TRUE(MenusShownBy([&] { contextMenu(Item(IDC_ADD), MAKELPARAM(100, 100)); }).empty());

    // Chosen from the menu: Remove, as Delete does.
    MenusShownBy([&] { contextMenu(List(), -1); }, 'm');
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
    const std::pair<const char*, const char*> prefixes[] = {
        {"A", "http://x/?q=%s&n=1"}, {"B", "HTTPS://x/%s/"},   {"C", "http://x/without"},
        {"D", "C:\\Windows\\System32\\calc.exe"}, {"E", "file:///C:/"}, {"F", "%shttp://x/"}};
    for (const auto& prefix : prefixes)
        StorePrefix(prefix.first, prefix.second);
    Open();
    Command(ID_PREFIX_TRY_SEARCH);  // no row selected
    for (const auto& prefix : prefixes) {
        SelectRow(RowOf(prefix.first));
        Command(ID_PREFIX_TRY_SEARCH);
    }
    std::vector<std::string> opened;
    for (const ShellCall& call : s_shellCalls) {
        opened.push_back(call.file);
        EXPECT_EQ(call.verb, "open");
        EXPECT_EQ(call.owner, m_dialog->m_hWnd);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"http://x/?q=quillory+test&n=1", "HTTPS://x/quillory+test/",
                                                "http://x/without"}));
    // Each refusal names the prefix and, on a line of its own, what would
    // have been opened.
    const std::pair<const char*, const char*> refused[] = {
        {" D ", "C:\\Windows\\System32\\calc.exe"}, {" E ", "file:///C:/"}, {" F ", "quillory+testhttp://x/"}};
    const auto& messages = MessageRecorder::Messages();
    ASSERT_EQ(messages.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(messages[i].text.find(refused[i].first), std::string::npos) << messages[i].text;
        EXPECT_NE(messages[i].text.find("\n\n" + std::string(refused[i].second) + "\n\n"), std::string::npos);
        EXPECT_EQ(messages[i].caption, "Quillory");
        EXPECT_EQ(messages[i].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    }
}
