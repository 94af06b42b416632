#pragma once

#include "app/SearchPrefixDlg.h"
#include "res/resource.h"

#include "tests/support/BrowserProfiles.h"
#include "tests/support/ImportTable.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"
#include "tests/support/UserFolders.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What the main dialog's tests share: a live dialog, and the boxes, menus,
// file dialogs, shell and folders of the system as the dialog meets them,
// recorded or answered here. Modal ones are read from a timer while they run.

constexpr const char* kSearchUrl = kSearchUrlPath;
inline const char kGoogleUrl[] = "http://www.google.com/search?q=%s";
inline const char kGeneralStart[] = "Use this tool to customize prefixes";
inline const std::vector<std::string> kDefaults = {"ALBUM", "ARTIST", "GOOGLE", "IMAGE",
                                                   "MOVIE", "NEWS", "USENET"};

inline std::string Text(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}
inline std::string ListText(HWND list, int row, int column)
{
    char text[512] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}
// Each row of a list as "PREFIX URL".
inline std::vector<std::string> RowsWithUrls(HWND list)
{
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        rows.push_back(ListText(list, row, 0) + " " + ListText(list, row, 1));
    return rows;
}
// The table, with a modified flag a test may clear.
struct FlaggedTable : CPrefixListCtrl {
    using CPrefixListCtrl::m_bModified;
};
inline std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}
// Stores `bytes` bytes of the URL (all of it and its terminator by default),
// and reads a prefix's URL back as stored.
void CreateWidePrefix(const std::wstring& name, const std::wstring& url, DWORD bytes = 0);
std::string StoredBytes(const std::wstring& name);

// The real key's path, as a .reg file names it.
inline const std::string kRealKey = "HKEY_CURRENT_USER\\Software\\Microsoft";
// The platform's own tool, on the scratch key: the file's real key is
// rewritten to it on the way in and back on the way out.
DWORD RegImport(const std::string& path);
DWORD RegExport(const std::string& path);

// Wine takes the DPI from the user's LogPixels when a process starts: the
// given tests of this executable run again in a child at 144 DPI, and each
// must have run and passed (a filter that matches no test passes too).
void ExpectPassAt144Dpi(const std::vector<std::string>& tests);

// The About box each time it ran, closed by Enter, Escape and OK in turn.
struct AboutSeen {
    std::string text;
    bool visible, ownedByMain, mainDisabled, focusOnOk, centred;
};
// A context menu as it was shown.
struct MenuSeen {
    std::vector<std::string> items;  // "-" for a separator
    std::vector<bool> enabled;
    POINT topLeft;
};

// The Open and Save As dialogs: what they were asked. Each is answered with
// s_chosenFile (none: cancelled), as the type the user picks to see such a
// file as s_chosenType.
struct FileDialogCall {
    bool open;
    HWND owner;
    std::vector<std::pair<std::string, std::string>> types;  // name, pattern
    std::string defaultExtension, fileName;
    DWORD flags;
    // The first type, counted from 1, whose pattern matches a file's name; 0 if none.
    DWORD TypeOf(const std::string& name) const;
};
inline std::vector<FileDialogCall> s_fileDialogs;
inline std::string s_chosenFile, s_chosenType;

// ShellExecuteA's calls, answered as if the shell had opened the file.
struct ShellCall {
    HWND owner;
    std::string verb, file;
    bool noParameters, noDirectory;
    int show;
};
inline std::vector<ShellCall> s_shellCalls;

// "Import from a browser" as it was shown.
struct ImportDialogSeen {
    std::vector<std::string> rows;  // "[x] PREFIX URL Browser"
    std::string summary;
    bool summaryScrolls = false;
    bool importEnabled = false;
};
ImportDialogSeen ReadImportDialog(HWND dialog);

// A live main dialog, made from the real template, driven through the same
// message loop step that its modal loop runs, for a user with no SearchUrl
// key until a test stores prefixes, as on a new account. Its message boxes are
// recorded; the shell and the file dialogs are answered here.
class MainDialog : public RegistryTest {
protected:
    MainDialog();
    ~MainDialog() override;

    void Open();
    // Runs the loop until no message is waiting, then once more, so that a
    // command-update pass has followed the last change.
    void Pump();
    // The dialog's own loop, which also hears of the key's changes, for
    // long enough that they have settled and been read.
    void RunLoop();

    HWND Item(int id) const { return ::GetDlgItem(m_dialog->m_hWnd, id); }
    HWND List() const { return Item(IDC_PREFIX_LIST); }
    HWND ComboEdit() const { return ::GetWindow(Item(IDC_URL_COMBO), GW_CHILD); }
    HWND LabelEditor() const { return ListView_GetEditControl(List()); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    std::string Description() const { return Text(Item(IDC_INFOTEXT)); }
    int RowOf(const char* prefix) const
    {
        LVFINDINFOA find = {LVFI_STRING, prefix, 0, {0, 0}, 0};
        return static_cast<int>(::SendMessageA(List(), LVM_FINDITEMA, -1, reinterpret_cast<LPARAM>(&find)));
    }
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        for (int row = 0; row < ListView_GetItemCount(List()); ++row)
            rows.push_back(ListText(List(), row, 0));
        return rows;
    }
    std::string ListUrl(const char* prefix) const { return ListText(List(), RowOf(prefix), 1); }

    void Click(int id)
    {
        ::SendMessageA(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
    void Command(UINT id)
    {
        ::SendMessageA(m_dialog->m_hWnd, WM_COMMAND, id, 0);
        Pump();
    }
    // A key pressed in the list, which has the focus then.
    void PressInList(WPARAM key)
    {
        ::SetFocus(List());
        ::PostMessageA(List(), WM_KEYDOWN, key, 0);
        Pump();
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
    // As the user adds (or updates) a row, and removes one, by the buttons.
    void Add(const char* prefix, const char* url)
    {
        SetFields(prefix, url);
        Click(IDC_ADD);
    }
    void Remove(const char* prefix)
    {
        SetFields(prefix, "");
        Click(IDC_REMOVE);
    }
    // Row -1 clears every row, as a click into empty space does.
    void SelectRow(int row)
    {
        const UINT chosen = LVIS_SELECTED | LVIS_FOCUSED;
        ListView_SetItemState(List(), row, row >= 0 ? chosen : 0, chosen);
        Pump();
    }
    // NEWS in the prefix field and its row focused, but no row selected.
    void FocusNewsUnselected()
    {
        ListView_SetItemState(List(), RowOf("NEWS"), LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SetFields("NEWS", "http://n/%s");  // after: a row losing its selection clears the fields
    }
    // As the dialog hears of the mouse over a control.
    void SetCursorOver(HWND control)
    {
        ::SendMessageA(m_dialog->m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }

    // Each description fits its box, in the dialog's font and in Windows'
    // own, and the icons and the list's columns follow the DPI.
    void ExpectEveryDescriptionFits();
    // What `invoke` showed, each About box or menu closed (or the menu's
    // item of mnemonic `choice` chosen) by a timer.
    std::vector<AboutSeen> AboutBoxesShownBy(const std::function<void()>& invoke);
    std::vector<MenuSeen> MenusShownBy(const std::function<void()>& invoke, WPARAM choice = 0);
    // A path in the temporary folder, its file deleted after the test.
    std::string File(const char* name)
    {
        char directory[MAX_PATH] = {};
        ::GetTempPathA(sizeof directory, directory);
        m_files.push_back(std::string(directory) + std::to_string(::GetCurrentProcessId()) + "-" + name);
        return m_files.back();
    }

    // The user's folders, as SHGetKnownFolderPath gives them, in a folder
    // of the test's: the backups a save makes go there.
    UserFolders m_folders;
    MessageRecorder m_messages;
    std::unique_ptr<CSearchPrefixDlg> m_dialog;
    std::vector<std::string> m_files;

private:
    ImportSwap m_open, m_save, m_shell;
};

class FileDialogs : public MainDialog {};

// Browser profiles in the user's folders.
class BrowserImport : public MainDialog {
protected:
    BrowserImport();

    // Import from browser, from the list's menu, with `action` done in the
    // dialog: what it showed.
    ImportDialogSeen ImportFromBrowser(std::function<void(HWND dialog, HWND list)> action);

    const TempFolder& m_root;
    const std::wstring& m_localAppData;
    const std::wstring& m_roamingAppData;
};
