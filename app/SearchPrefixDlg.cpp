#include "app/SearchPrefixDlg.h"

#include "app/AboutDlg.h"
#include "framework/CmdUI.h"
#include "framework/FileDialog.h"
#include "framework/Menu.h"
#include "prefixes/PrefixFile.h"
#include "prefixes/SearchQuery.h"
#include "registry/Win32Exception.h"
#include "res/resource.h"

#include <shellapi.h>

#include <string>

const char CSearchPrefixDlg::kWebPage[] = "http://www.quillory.org/index.php?version=1.0";

namespace {

const int kOnlineDescription = IDC_ONLINE;

const char kGeneralText[] =
    "Use this tool to customize prefixes for the address bar of Internet Explorer. For "
    "example, if you have a search prefix for Google called \"google\", then you can type "
    "\"google moon\" to search for \"moon\" at Google.";
const char kPrefixText[] = "Enter the prefix that you want to use.";
const char kUrlText[] =
    "Enter the search URL that you want to assign to the prefix. In the URL, %s will be "
    "replaced by the search string.";
const char kOnlineText[] =
    "At the Quillory web site you can get help and more search URLs. You can also make a "
    "donation to support further development.";

const char kCaption[] = "Quillory";
const char kRegFilter[] = "Registration Entries (*.reg)|*.reg|All Files (*.*)|*.*||";
const char kExportName[] = "SearchUrl.reg";
// What Try search types after the prefix.
const char kTryQuery[] = "quillory test";

// The icon's image for a size the system asks for, out of its eight.
HICON LoadMainIcon(int widthMetric, int heightMetric)
{
    return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                           MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric),
                                           ::GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

CString LoadResourceString(UINT id)
{
    char text[256] = {};
    int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
    return CString(text, length);
}

void AppendCommand(HMENU menu, UINT command, UINT textId)
{
    CString text = LoadResourceString(textId);
    if (!text.IsEmpty())
        ::AppendMenuA(menu, MF_STRING, command, text);
}

std::string ImportSummary(int imported, int skipped, const std::string& path)
{
    std::string text = "Imported " + std::to_string(imported) + " prefixes from " + path + ".";
    if (skipped != 0)
        text += "\n\nSkipped " + std::to_string(skipped) + " entries that are not search prefixes.";
    return text;
}

std::string SystemErrorText(DWORD error)
{
    if (error == ERROR_FILE_TOO_LARGE)
        return "The file is larger than 64 MB.";
    return Tessaly::CWin32Exception("", error).GetErrorMessage();
}

} // namespace

BEGIN_MESSAGE_MAP(CSearchPrefixDlg, CDialog)
    ON_MESSAGE(WM_CATALOGUE_CHOICE, OnCatalogueChoice)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_PREFIX_LIST, OnItemChangedPrefixList)
    ON_BN_CLICKED(IDC_ADD, OnAdd)
    ON_BN_CLICKED(IDC_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_BN_CLICKED(IDOK, OnOK)
    ON_CBN_SELENDOK(IDC_URL_COMBO, OnSelEndOkUrlCombo)
    ON_UPDATE_COMMAND_UI(IDC_ADD, OnUpdateAdd)
    ON_UPDATE_COMMAND_UI(IDC_REMOVE, OnUpdateRemove)
    ON_UPDATE_COMMAND_UI(IDC_APPLY, OnUpdateApply)
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_ONLINE, OnOnlineResources)
    ON_EN_SETFOCUS(IDC_PREFIX_EDIT, OnFieldFocus)
    ON_EN_KILLFOCUS(IDC_PREFIX_EDIT, OnFieldFocus)
    ON_CBN_SETFOCUS(IDC_URL_COMBO, OnFieldFocus)
    ON_CBN_KILLFOCUS(IDC_URL_COMBO, OnFieldFocus)
    ON_NOTIFY(LVN_ENDLABELEDIT, IDC_PREFIX_LIST, OnEndLabelEditPrefixList)
    ON_NOTIFY(LVN_KEYDOWN, IDC_PREFIX_LIST, OnKeyDownPrefixList)
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_PREFIX_RENAME, OnRenameSelected)
    ON_COMMAND(ID_PREFIX_REMOVE, OnRemoveSelected)
    ON_COMMAND(ID_PREFIX_TRY_SEARCH, OnTrySearch)
    ON_COMMAND(ID_FILE_IMPORT, OnImport)
    ON_COMMAND(ID_FILE_EXPORT, OnExport)
END_MESSAGE_MAP()

CSearchPrefixDlg::CSearchPrefixDlg(HWND parent)
    : CDialog(IDD_MAIN, parent),
      m_hIcon(LoadMainIcon(SM_CXICON, SM_CYICON)),
      m_hSmallIcon(LoadMainIcon(SM_CXSMICON, SM_CYSMICON))
{
}

CSearchPrefixDlg::~CSearchPrefixDlg()
{
    // A window that outlives this object (one made without the modal loop)
    // must not keep icons that are gone.
    if (m_hWnd != nullptr) {
        SendMessage(WM_SETICON, ICON_BIG, 0);
        SendMessage(WM_SETICON, ICON_SMALL, 0);
    }
    ::DestroyIcon(m_hSmallIcon);
    ::DestroyIcon(m_hIcon);
}

void CSearchPrefixDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PREFIX_LIST, m_prefixList);
    DDX_Control(exchange, IDC_PREFIX_EDIT, m_prefixEdit);
    DDX_Control(exchange, IDC_URL_COMBO, m_urlCombo);
    DDX_Control(exchange, IDC_ADD, m_addButton);
    DDX_Control(exchange, IDC_REMOVE, m_removeButton);
}

bool CSearchPrefixDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendCommand(systemMenu, IDM_IMPORT, IDS_IMPORT_PREFIXES);
        AppendCommand(systemMenu, IDM_EXPORT, IDS_EXPORT_PREFIXES);
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendCommand(systemMenu, IDM_ABOUTBOX, IDS_ABOUTBOX);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    m_prefixList.InitColumns();
    m_prefixList.LoadPrefixes();
    if (m_prefixList.GetItemCount() == 0) {
        m_prefixList.AddDefaultPrefixes();
        // Stored at once on a first run; after a load that could not read
        // the key, only when the user applies.
        if (m_prefixList.WasLoadClean())
            m_prefixList.SavePrefixes();
    }

    m_catalog.Reset();
    while (m_catalog.HasNext())
        m_urlCombo.AddString(m_catalog.Next());

    UpdateDescription(0);
    return true;  // the focus goes to the first tab stop, the list
}

bool CSearchPrefixDlg::PreTranslateMessage(MSG* message)
{
    UpdateDialogControls(this, true);
    // The Apps key opens the list's menu when released. Both of its messages
    // are taken here: a system whose default handling opens one too (Wine's
    // does not) would otherwise show two.
    bool appsKey = (message->message == WM_KEYDOWN || message->message == WM_KEYUP) &&
                   message->wParam == VK_APPS && message->hwnd == m_prefixList.m_hWnd;
    if (appsKey) {
        if (message->message == WM_KEYUP)
            SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(message->hwnd), MAKELPARAM(-1, -1));
        return true;
    }
    return CDialog::PreTranslateMessage(message);
}

CString CSearchPrefixDlg::PrefixText() const
{
    CString text;
    m_prefixEdit.GetWindowText(text);
    return text;
}

CString CSearchPrefixDlg::UrlText() const
{
    CString text;
    m_urlCombo.GetWindowText(text);
    return text;
}

void CSearchPrefixDlg::ClearFields()
{
    m_urlCombo.SetWindowText("");
    m_prefixEdit.SetWindowText("");
}

LRESULT CSearchPrefixDlg::OnCatalogueChoice(WPARAM, LPARAM)
{
    CString url = m_catalog.Lookup(UrlText());
    if (!url.IsEmpty())
        m_urlCombo.SetWindowText(url);
    return 0;
}

void CSearchPrefixDlg::OnSysCommand(UINT id, LPARAM)
{
    switch (id & 0xFFF0) {
    case IDM_ABOUTBOX: {
        CAboutDlg about(m_hWnd);
        about.DoModal();
        break;
    }
    case IDM_IMPORT:
        OnImport();
        break;
    case IDM_EXPORT:
        OnExport();
        break;
    default:
        Default();
    }
}

void CSearchPrefixDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

HCURSOR CSearchPrefixDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CSearchPrefixDlg::OnItemChangedPrefixList(NMHDR* header, LRESULT* result)
{
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) != 0) {
        if ((change->uNewState & LVIS_SELECTED) != 0) {
            ShowRowInFields(change->iItem);
        } else if (m_prefixList.GetSelectedCount() == 0) {
            ClearFields();
        }
    }
    *result = 0;
}

void CSearchPrefixDlg::ShowRowInFields(int row)
{
    m_prefixEdit.SetWindowText(m_prefixList.GetItemText(row, CPrefixListCtrl::kPrefixColumn));
    m_urlCombo.SetWindowText(m_prefixList.GetItemText(row, CPrefixListCtrl::kUrlColumn));
}

int CSearchPrefixDlg::SelectedRow() const
{
    return m_prefixList.GetNextItem(-1, LVNI_SELECTED);
}

int CSearchPrefixDlg::RowToChange() const
{
    return m_prefixList.GetEditControl() != nullptr ? -1 : SelectedRow();
}

void CSearchPrefixDlg::OnAdd()
{
    m_prefixList.AddOrUpdatePrefix(PrefixText(), UrlText());
    ClearFields();
}

void CSearchPrefixDlg::OnRemove()
{
    RemoveAndClearFields(PrefixText());
}

void CSearchPrefixDlg::RemoveAndClearFields(const char* prefix)
{
    m_prefixList.RemovePrefix(prefix);
    ClearFields();
}

void CSearchPrefixDlg::OnApply()
{
    m_prefixList.SavePrefixes();
}

void CSearchPrefixDlg::OnOK()
{
    // Unconditionally: OK always leaves the key holding the table. When it
    // cannot, the table is the only copy of what failed: the dialog stays,
    // for another try or Cancel.
    if (m_prefixList.SavePrefixes())
        CDialog::OnOK();
}

void CSearchPrefixDlg::OnSelEndOkUrlCombo()
{
    // Posted, so that the combo box has shown the chosen label by the time
    // it is replaced with the service's URL.
    PostMessage(WM_CATALOGUE_CHOICE, 0, 0);
}

void CSearchPrefixDlg::OnUpdateAdd(CCmdUI* update)
{
    CString prefix = PrefixText();
    CString url = UrlText();
    // One lookup in the table's index: this runs before every message.
    int row = m_prefixList.FindPrefix(prefix);
    bool found = row != -1;
    update->SetText(found && !prefix.IsEmpty() ? "Update" : "Add");
    bool changesSomething = !found || m_prefixList.GetItemText(row, 1) != url;
    update->Enable(CPrefixListCtrl::IsValidPrefix(prefix) && !url.IsEmpty() && changesSomething);
}

void CSearchPrefixDlg::OnUpdateRemove(CCmdUI* update)
{
    CString prefix = PrefixText();
    update->Enable(!prefix.IsEmpty() && m_prefixList.FindPrefix(prefix) != -1);
}

void CSearchPrefixDlg::OnUpdateApply(CCmdUI* update)
{
    update->Enable(m_prefixList.IsModified());
}

void CSearchPrefixDlg::OnMouseMove(UINT, POINT)
{
    Default();
    UpdateDescription(0);
}

BOOL CSearchPrefixDlg::OnSetCursor(CWnd* window, UINT, UINT)
{
    if (window->m_hWnd == GetDlgItem(IDC_ONLINE).m_hWnd)
        UpdateDescription(kOnlineDescription);
    return static_cast<BOOL>(Default());
}

void CSearchPrefixDlg::OnOnlineResources()
{
    ::ShellExecuteA(m_hWnd, "open", kWebPage, nullptr, nullptr, SW_SHOW);
}

void CSearchPrefixDlg::OnFieldFocus()
{
    UpdateDescription(0);
}

void CSearchPrefixDlg::OnEndLabelEditPrefixList(NMHDR* header, LRESULT* result)
{
    // The control never applies the label itself; the table decides.
    *result = 0;
    const auto* edit = reinterpret_cast<const NMLVDISPINFOA*>(header);
    if (edit->item.pszText != nullptr)
        m_prefixList.RenamePrefix(edit->item.iItem, edit->item.pszText);
}

void CSearchPrefixDlg::OnKeyDownPrefixList(NMHDR* header, LRESULT* result)
{
    // The list's own keys, as in every Windows list.
    *result = 0;
    WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
    if (key == VK_F2)
        OnRenameSelected();
    else if (key == VK_DELETE)
        OnRemoveSelected();
}

void CSearchPrefixDlg::OnContextMenu(CWnd* window, POINT point)
{
    if (window->m_hWnd != m_prefixList.m_hWnd) {
        Default();
        return;
    }
    int row = SelectedRow();
    if (point.x == -1 && point.y == -1)
        point = KeyboardMenuPoint(row);
    CMenu menu;
    if (!menu.LoadMenu(IDR_PREFIX_MENU))
        return;
    HMENU popup = menu.GetSubMenu(0);
    for (UINT command : {ID_PREFIX_RENAME, ID_PREFIX_REMOVE, ID_PREFIX_TRY_SEARCH})
        ::EnableMenuItem(popup, command, MF_BYCOMMAND | (row == -1 ? MF_GRAYED : MF_ENABLED));
    // The chosen command arrives as WM_COMMAND, as from any menu.
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0,
                     m_hWnd, nullptr);
}

POINT CSearchPrefixDlg::KeyboardMenuPoint(int row)
{
    POINT point = {0, 0};
    RECT label = {};
    if (row != -1 && m_prefixList.EnsureVisible(row) &&
        m_prefixList.GetItemRect(row, &label, LVIR_LABEL))
        point = {label.left, label.bottom};
    ::ClientToScreen(m_prefixList.m_hWnd, &point);
    return point;
}

// Rename in place (ending through OnEndLabelEditPrefixList), as F2 does.
void CSearchPrefixDlg::OnRenameSelected()
{
    int row = RowToChange();
    if (row == -1)
        return;
    ::SetFocus(m_prefixList.m_hWnd);  // the control edits a label only with the focus
    m_prefixList.EditLabel(row);
}

// Remove, as Delete in the list and the Remove button do.
void CSearchPrefixDlg::OnRemoveSelected()
{
    int row = RowToChange();
    if (row == -1)
        return;
    RemoveAndClearFields(m_prefixList.GetItemText(row, CPrefixListCtrl::kPrefixColumn));
}

void CSearchPrefixDlg::OnTrySearch()
{
    int row = SelectedRow();
    if (row == -1)
        return;
    CString url = CSearchQuery::Expand(
        m_prefixList.GetItemText(row, CPrefixListCtrl::kUrlColumn), kTryQuery);
    // A URL can come from anywhere, an imported file too: nothing but a web
    // address goes to the shell, which would start a program as readily.
    if (!CSearchQuery::IsWebAddress(url)) {
        std::string text = "The URL of " +
                           std::string(m_prefixList.GetItemText(row, CPrefixListCtrl::kPrefixColumn)) +
                           " is not a web address, so it is not opened:\n\n" + std::string(url) +
                           "\n\nOnly URLs that start with http:// or https:// are opened.";
        ShowMessage(text.c_str(), MB_ICONWARNING);
        return;
    }
    ::ShellExecuteA(m_hWnd, "open", url, nullptr, nullptr, SW_SHOW);
}

void CSearchPrefixDlg::OnImport()
{
    CFileDialog dialog(true, "reg", nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, kRegFilter,
                       m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    CPrefixFile file;
    DWORD error = file.Load(path.c_str());
    if (error == ERROR_BAD_FORMAT) {
        ShowMessage((path + " is not a registry file.\n\nQuillory imports the .reg files that "
                            "the Registry Editor and Quillory's Export write.").c_str(),
                    MB_ICONERROR);
        return;
    }
    if (error != 0) {
        ShowMessage(("Could not read " + path + ".\n\n" + SystemErrorText(error)).c_str(),
                    MB_ICONERROR);
        return;
    }
    int imported = 0;
    int skipped = file.GetSkippedCount();
    for (const CPrefixFile::Entry& entry : file.GetEntries()) {
        if (m_prefixList.AddOrUpdatePrefix(entry.prefix, entry.url))
            ++imported;
        else
            ++skipped;
    }
    int row = SelectedRow();
    if (row != -1)
        ShowRowInFields(row);  // its URL may have come from the file
    ShowMessage(ImportSummary(imported, skipped, path).c_str(), MB_ICONINFORMATION);
}

void CSearchPrefixDlg::OnExport()
{
    CFileDialog dialog(false, "reg", kExportName, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       kRegFilter, m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    CPrefixFile file;
    for (int row = 0; row < m_prefixList.GetItemCount(); ++row)
        file.Add(m_prefixList.GetItemText(row, CPrefixListCtrl::kPrefixColumn),
                 m_prefixList.GetItemText(row, CPrefixListCtrl::kUrlColumn));
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    DWORD error = file.Save(path.c_str());
    if (error != 0)
        ShowMessage(("Could not write " + path + ".\n\n" + SystemErrorText(error)).c_str(),
                    MB_ICONERROR);
}

void CSearchPrefixDlg::ShowMessage(const char* text, UINT icon) const
{
    ::MessageBoxA(m_hWnd, text, kCaption, MB_OK | icon);
}

void CSearchPrefixDlg::UpdateDescription(int code)
{
    const char* text = kGeneralText;
    CWnd focus = CWnd::GetFocus();
    if (focus.m_hWnd != nullptr && focus.m_hWnd == m_prefixEdit.m_hWnd)
        text = kPrefixText;
    if (focus.m_hWnd != nullptr && focus.GetParent().m_hWnd == m_urlCombo.m_hWnd)
        text = kUrlText;
    if (code == kOnlineDescription)
        text = kOnlineText;

    CWnd description = GetDlgItem(IDC_INFOTEXT);
    if (description.m_hWnd == nullptr)
        return;
    CString current;
    description.GetWindowText(current);
    if (current != text)
        description.SetWindowText(text);
}
