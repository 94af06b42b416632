#include "app/SearchPrefixDlg.h"

#include "app/AboutDlg.h"
#include "app/Description.h"
#include "app/SingleInstance.h"
#include "framework/CmdUI.h"
#include "framework/Menu.h"
#include "res/resource.h"

#include <shellapi.h>

#include <algorithm>

const char CSearchPrefixDlg::kWebPage[] = "http://www.quillory.org/index.php?version=1.0";

BEGIN_MESSAGE_MAP(CSearchPrefixDlg, CDialog)
    ON_MESSAGE(WM_CATALOGUE_CHOICE, OnCatalogueChoice)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_TIMER()
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
    ON_EN_CHANGE(IDC_PREFIX_EDIT, OnChangePrefix)
    ON_MESSAGE(WM_MOVE, OnMove)
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
    ON_COMMAND(ID_FILE_IMPORT_BROWSER, OnImportFromBrowser)
    ON_COMMAND(ID_FILE_RESTORE, OnRestore)
END_MESSAGE_MAP()

CSearchPrefixDlg::CSearchPrefixDlg(HWND parent)
    : CDialog(IDD_MAIN, parent),
      m_icon(IDR_MAINFRAME, SM_CXICON, SM_CYICON),
      m_smallIcon(IDR_MAINFRAME, SM_CXSMICON, SM_CYSMICON),
      m_prefixMenu(*this, m_prefixList), m_exchange(*this, m_prefixList),
      m_follower(*this, m_prefixList)
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
        CExchangeCommands::AppendTo(systemMenu);
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        CMenu::AppendString(systemMenu, IDM_ABOUTBOX, IDS_ABOUTBOX);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.m_hIcon));
    CSingleInstance::MarkWindow(m_hWnd);

    // Loaded once: the button's caption is asked for before every message.
    m_addCaption = LoadText(IDS_ADD);
    m_updateCaption = LoadText(IDS_UPDATE);
    m_prefixList.InitColumns();
    SetLoopEvent(m_follower.Start());
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
    // are taken: a system that opens one too (Wine does not) would show two.
    bool appsKey = (message->message == WM_KEYDOWN || message->message == WM_KEYUP) &&
                   message->wParam == VK_APPS && message->hwnd == m_prefixList.m_hWnd;
    if (appsKey) {
        if (message->message == WM_KEYUP)
            SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(message->hwnd), MAKELPARAM(-1, -1));
        return true;
    }
    return CDialog::PreTranslateMessage(message);
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
    if ((id & 0xFFF0) == IDM_ABOUTBOX)
        CAboutDlg(m_hWnd).DoModal();
    else if (UINT command = CExchangeCommands::CommandOf(id & 0xFFF0))
        SendMessage(WM_COMMAND, command);
    else
        Default();
}

void CSearchPrefixDlg::OnPaint()
{
    if (IsIconic())
        m_icon.PaintCentred(m_hWnd);
    else
        Default();
}

void CSearchPrefixDlg::OnLoopEvent()
{
    m_follower.OnChange();
}

void CSearchPrefixDlg::OnTimer(UINT_PTR id)
{
    m_follower.OnTimer(id);
}

HCURSOR CSearchPrefixDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_icon.m_hIcon);
}

void CSearchPrefixDlg::OnItemChangedPrefixList(NMHDR* header, LRESULT* result)
{
    // Rows that another program's change takes away leave the fields alone.
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) != 0 && !m_follower.IsRefreshing()) {
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
    CPrefixListCtrl::Row shown = m_prefixList.GetRow(row);
    m_prefixEdit.SetWindowText(shown.prefix);
    m_urlCombo.SetWindowText(shown.url);
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
    m_prefixList.RemovePrefix(PrefixText());
    ClearFields();
}

void CSearchPrefixDlg::OnApply()
{
    m_prefixList.SavePrefixes();
}

void CSearchPrefixDlg::OnOK()
{
    // OK leaves every edit in the key. When it cannot, the table is the only
    // copy of what failed: the dialog stays, for another try or Cancel.
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
    // Lookups in the table's index: this runs before every message.
    update->SetText(m_prefixList.FindPrefix(prefix) != -1 && !prefix.IsEmpty() ? m_updateCaption : m_addCaption);
    update->Enable(m_prefixList.Judge(prefix, url) == CPrefixRules::kPrefix && m_prefixList.WouldChange(prefix, url));
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
        UpdateDescription(CDescription::kOnlineButton);
    return static_cast<BOOL>(Default());
}

void CSearchPrefixDlg::OnOnlineResources()
{
    ::ShellExecuteA(m_hWnd, "open", kWebPage, nullptr, nullptr, SW_SHOW);
}

void CSearchPrefixDlg::OnFieldFocus()
{
    if (CWnd::GetFocus().m_hWnd != m_prefixEdit.m_hWnd)
        m_prefixEdit.HideRefusal();
    UpdateDescription(0);
}

void CSearchPrefixDlg::OnChangePrefix()
{
    m_prefixEdit.ExplainRefusal(m_prefixList, UrlText());
}

LRESULT CSearchPrefixDlg::OnMove(WPARAM, LPARAM)
{
    m_prefixEdit.HideRefusal();  // it would stay where the field was
    return 0;
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
    m_prefixMenu.Track(SelectedRow(), point);
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

// Remove from the list's menu and its Delete key; the Remove button empties
// the fields instead.
void CSearchPrefixDlg::OnRemoveSelected()
{
    int row = RowToChange();
    if (row == -1)
        return;
    m_prefixList.RemovePrefix(m_prefixList.GetRow(row).prefix);
    ClearFields();
    // As in a file list, the row now there (or the new last one) is chosen,
    // so that Delete and F2 go on working.
    int next = std::min(row, m_prefixList.GetItemCount() - 1);
    const UINT chosen = LVIS_SELECTED | LVIS_FOCUSED;
    if (next != -1)
        m_prefixList.SetItemState(next, chosen, chosen);
}

void CSearchPrefixDlg::OnTrySearch()
{
    m_prefixMenu.TrySearch(SelectedRow());
}

void CSearchPrefixDlg::OnImport()
{
    m_exchange.Import();
    ShowSelectedRowInFields();
}

void CSearchPrefixDlg::OnExport()
{
    m_exchange.Export();
}

void CSearchPrefixDlg::OnImportFromBrowser()
{
    m_exchange.ImportFromBrowser();
    ShowSelectedRowInFields();
}

void CSearchPrefixDlg::OnRestore()
{
    m_exchange.Restore();
    ShowSelectedRowInFields();
}

void CSearchPrefixDlg::ShowSelectedRowInFields()
{
    int row = SelectedRow();
    if (row != -1)
        ShowRowInFields(row);
}

void CSearchPrefixDlg::UpdateDescription(int code)
{
    CDescription::Show(GetDlgItem(IDC_INFOTEXT),
                       CDescription::For(CWnd::GetFocus().m_hWnd, m_prefixEdit.m_hWnd, m_urlCombo.m_hWnd, code));
}
