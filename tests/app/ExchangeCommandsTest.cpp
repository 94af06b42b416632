#include "tests/app/DialogFixture.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>

// Import and Export: the file dialogs they ask, and the .reg and bookmarks
// files they read and write, checked against the platform's own reg.exe.

// The system menu and the context menu both ask for a file the same way;
// a cancelled dialog changes nothing, a failed write says so.
TEST_F(FileDialogs, ImportAndExportAskForAFileFromEitherMenu)
{
    Open();
    HMENU systemMenu = ::GetSystemMenu(m_dialog->m_hWnd, FALSE);
    std::vector<UINT> ids;
    for (int item = 0; item < ::GetMenuItemCount(systemMenu); ++item)
        ids.push_back(::GetMenuItemID(systemMenu, item));
    auto at = std::find(ids.begin(), ids.end(), static_cast<UINT>(IDM_IMPORT));
    ASSERT_GE(std::distance(at, ids.end()), 6);
    EXPECT_EQ(std::vector<UINT>(at, at + 6),
              (std::vector<UINT>{IDM_IMPORT, IDM_EXPORT, IDM_IMPORT_BROWSER, IDM_RESTORE, 0, IDM_ABOUTBOX}));
    for (UINT id : {IDM_IMPORT, IDM_EXPORT, IDM_IMPORT_BROWSER})
        EXPECT_GT(::GetMenuStringA(systemMenu, id, nullptr, 0, MF_BYCOMMAND), 0) << id;

    ::SendMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, IDM_IMPORT, 0);
    ::SendMessageA(m_dialog->m_hWnd, WM_SYSCOMMAND, IDM_EXPORT, 0);
    Command(ID_FILE_IMPORT);
    Command(ID_FILE_EXPORT);
    ASSERT_EQ(s_fileDialogs.size(), 4u);
    for (const FileDialogCall& call : s_fileDialogs) {
        EXPECT_EQ(call.owner, m_dialog->m_hWnd);
        // Each type shows its pattern; the first, the one the dialog starts
        // with, is the default extension's.
        for (const auto& type : call.types)
            EXPECT_NE(type.first.find("(" + type.second + ")"), std::string::npos) << type.first;
        EXPECT_EQ(call.TypeOf("SearchUrl." + call.defaultExtension), 1u);
        EXPECT_EQ(call.defaultExtension, "reg");
        // A type for the files the program reads or writes, and one for any file.
        for (const char* name : {"x.REG", "x.html", "x.htm", "x.txt"})  // .htm: browsers' older name
            EXPECT_NE(call.TypeOf(name), 0u) << name << " open " << call.open;
        EXPECT_NE(call.TypeOf("x.html"), call.TypeOf("x.txt"));
        if (call.open) {
            EXPECT_EQ(call.TypeOf("x.htm"), call.TypeOf("x.html"));
        }
        // Without an extension, so that the dialog adds the chosen type's.
        EXPECT_EQ(call.fileName, call.open ? "" : "SearchUrl");
        EXPECT_EQ((call.flags & OFN_OVERWRITEPROMPT) != 0, !call.open);
        EXPECT_EQ((call.flags & OFN_FILEMUSTEXIST) != 0, call.open);
    }
    EXPECT_EQ(s_fileDialogs[0].open, true);
    EXPECT_EQ(s_fileDialogs[1].open, false);
    EXPECT_TRUE(MessageRecorder::Messages().empty());
    EXPECT_EQ(Rows(), kDefaults);

    s_chosenFile = File("missing\\SearchUrl.reg");
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
    StorePrefix("LINES", lines);
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
    for (const auto& row : added)
        Add(row.first.c_str(), row.second.c_str());
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
    StorePrefix("google", "http://www.google.com/search?hl=fr&q=%s");
    StorePrefix("ÉTÉ", "http://é.example/\"%s\"\\");
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

// Export for Firefox, by the type picked or the name's extension: every
// attribute escaped, the keyword in lower case as Firefox keeps keywords.
// The same file imported again gives every prefix and URL as it was.
TEST_F(FileDialogs, BookmarksForFirefoxComeBackThroughImport)
{
    StorePrefix("A", "http://a/%s");
    Open();
    const std::vector<std::pair<std::string, std::string>> added = {
        {"QUOTE\"S", "http://x/?a=\"b\"&c=\\d\\%s"}, {"PERCENT", "http://x/?q=%s&p=%25+%26%2B"},
        {"A<B>", "http://x/?q=%s&lt=<>"}, {"IT'S", "https://x/'%s'"}, {"ПОИСК", "http://пример.рф/?q=%s"},
        {"日本", "https://例え.jp/検索?q=%s"}};
    for (const auto& row : added)
        Add(row.first.c_str(), row.second.c_str());
    const struct {
        const char* name;
        const char* typeFor;  // the type picked: the one that shows such files
        bool bookmarks;
    } cases[] = {{"prefixes", "x.html", true}, {"prefixes.HTM", "x.reg", true}, {"prefixes.reg", "x.html", false},
                 {"prefixes.txt", "x.reg", false}};
    std::string bookmarks;
    for (const auto& c : cases) {
        s_chosenFile = File(c.name);
        s_chosenType = c.typeFor;
        Command(ID_FILE_EXPORT);
        std::string bytes = ReadFileBytes(s_chosenFile);
        EXPECT_EQ(bytes.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>", 0) == 0, c.bookmarks) << c.name;
        if (c.bookmarks)
            bookmarks = bytes;
    }
    EXPECT_EQ(bookmarks.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<META HTTP-EQUIV=\"Content-Type\" "
                              "CONTENT=\"text/html; charset=UTF-8\">", 0), 0u);
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
    Open();
    const std::string notRegistry = File("notes.reg");
    WriteFileBytes(notRegistry, "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\X]\r\n"
                            "@=\"http://x/%s\"\r\n");
    const std::string missing = File("missing.reg");
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
