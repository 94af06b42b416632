#include "app/BrowserImportDlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CBrowserImportDlg, CDialog)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_BROWSER_LIST, OnItemChangedList)
END_MESSAGE_MAP()

namespace {

bool IsChecked(UINT state)
{
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

} // namespace

CBrowserImportDlg::CBrowserImportDlg(HWND parent, const CImportCandidates& candidates)
    : CDialog(IDD_BROWSER_IMPORT, parent), m_candidates(candidates)
{
}

void CBrowserImportDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_BROWSER_LIST, m_list);
}

bool CBrowserImportDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    FillList();
    ShowSummary(m_candidates.Summary().c_str());
    CWnd import = GetDlgItem(IDOK);
    import.EnableWindow(m_checkedCount > 0);
    if (m_candidates.Rows().empty()) {
        // Nothing to choose: Cancel takes the default and the focus.
        SendMessage(DM_SETDEFID, IDCANCEL);
        ::SetFocus(GetDlgItem(IDCANCEL).m_hWnd);
        return false;
    }
    return true;  // the focus goes to the first tab stop, the list
}

void CBrowserImportDlg::ShowSummary(const char* text)
{
    CWnd summary = GetDlgItem(IDC_BROWSER_SUMMARY);
    summary.SetWindowText(text);
    // The scroll bar only when the text needs it, as when many profiles
    // could not be read.
    HDC dc = ::GetDC(summary.m_hWnd);
    HGDIOBJ font = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(summary.SendMessage(WM_GETFONT)));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, font);
    ::ReleaseDC(summary.m_hWnd, dc);
    RECT client = {};
    ::GetClientRect(summary.m_hWnd, &client);
    LRESULT lines = summary.SendMessage(EM_GETLINECOUNT);
    ::ShowScrollBar(summary.m_hWnd, SB_VERT, lines * metrics.tmHeight > client.bottom);
}

void CBrowserImportDlg::FillList()
{
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    const UINT names[] = {IDS_COLUMN_PREFIX, IDS_COLUMN_URL, IDS_COLUMN_BROWSER};
    const int widths[] = {80, 285, 195};  // at 96 DPI
    for (int column = 0; column < 3; ++column)
        m_list.InsertColumnAt96Dpi(column, LoadText(names[column]), LVCFMT_LEFT, widths[column]);

    m_filling = true;
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    const auto& rows = m_candidates.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(static_cast<const char*>(rows[i].prefix));  // only read
        int row = m_list.InsertItem(item);
        m_list.SetItemText(row, 1, rows[i].url);
        m_list.SetItemText(row, 2, rows[i].source);
        m_list.SetCheck(row, rows[i].checked);
        m_rowsOfPrefix[static_cast<const char*>(rows[i].prefix)].push_back(row);
        m_checkedCount += rows[i].checked ? 1 : 0;
    }
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_filling = false;
    if (!rows.empty())
        m_list.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CBrowserImportDlg::OnItemChangedList(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    // A check box turned by the user, not one being set up.
    if (m_filling || (change->uChanged & LVIF_STATE) == 0 || change->iItem < 0 ||
        (change->uOldState & LVIS_STATEIMAGEMASK) == 0 ||
        IsChecked(change->uOldState) == IsChecked(change->uNewState))
        return;
    bool checked = IsChecked(change->uNewState);
    m_checkedCount += checked ? 1 : -1;
    if (checked) {
        const CString& prefix = m_candidates.Rows()[static_cast<size_t>(change->iItem)].prefix;
        for (int other : m_rowsOfPrefix[static_cast<const char*>(prefix)]) {
            if (other != change->iItem && m_list.GetCheck(other))
                m_list.SetCheck(other, false);  // comes back here, and counts itself out
        }
    }
    GetDlgItem(IDOK).EnableWindow(m_checkedCount > 0);
}

void CBrowserImportDlg::OnOK()
{
    m_chosen.clear();
    const auto& rows = m_candidates.Rows();
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (m_list.GetCheck(row))
            m_chosen.push_back({rows[static_cast<size_t>(row)].prefix, rows[static_cast<size_t>(row)].url});
    }
    if (m_chosen.empty())
        return;  // Enter with nothing checked
    CDialog::OnOK();
}
