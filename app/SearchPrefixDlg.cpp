#include "app/SearchPrefixDlg.h"

#include "app/AboutDlg.h"
#include "framework/CmdUI.h"
#include "res/resource.h"

#include <shellapi.h>

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
        CString about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
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
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(m_hWnd);
        about.DoModal();
    } else {
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
            m_prefixEdit.SetWindowText(m_prefixList.GetItemText(change->iItem, 0));
            m_urlCombo.SetWindowText(m_prefixList.GetItemText(change->iItem, 1));
        } else if (m_prefixList.GetSelectedCount() == 0) {
            ClearFields();
        }
    }
    *result = 0;
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
    // One scan of the table: this runs before every message.
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
    // The list's own keys, as in every Windows list: F2 renames in place
    // (ending through OnEndLabelEditPrefixList), Delete removes as Remove does.
    *result = 0;
    int row = m_prefixList.GetNextItem(-1, LVNI_SELECTED);
    if (row == -1 || m_prefixList.GetEditControl() != nullptr)
        return;
    WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
    if (key == VK_F2) {
        m_prefixList.EditLabel(row);
    } else if (key == VK_DELETE) {
        RemoveAndClearFields(m_prefixList.GetItemText(row, CPrefixListCtrl::kPrefixColumn));
    }
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
