#include "app/RestoreDlg.h"

#include "res/resource.h"

#include <utility>

BEGIN_MESSAGE_MAP(CRestoreDlg, CDialog)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_BACKUP_LIST, OnItemChangedList)
    ON_NOTIFY(NM_DBLCLK, IDC_BACKUP_LIST, OnDoubleClickList)
END_MESSAGE_MAP()

namespace {

// As the user's settings write a date and a time.
std::string TimeText(const SYSTEMTIME& time)
{
    char date[64] = "", clock[32] = "";
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    return std::string(date) + " " + clock;
}

} // namespace

CRestoreDlg::CRestoreDlg(HWND parent, std::vector<CPrefixBackups::Backup> backups, const std::vector<PrefixRow>& now)
    : CDialog(IDD_RESTORE, parent), m_backups(std::move(backups)), m_now(now)
{
}

void CRestoreDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_BACKUP_LIST, m_list);
}

bool CRestoreDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    const UINT names[] = {IDS_COLUMN_MADE, IDS_COLUMN_PREFIXES, IDS_COLUMN_RESTORING};
    const int widths[] = {150, 80, 330};  // at 96 DPI
    for (int column = 0; column < 3; ++column)
        m_list.InsertColumnAt96Dpi(column, LoadText(names[column]), LVCFMT_LEFT, widths[column]);
    for (size_t i = 0; i < m_backups.size(); ++i) {
        const CPrefixBackups::Backup& backup = m_backups[i];
        const std::string made = TimeText(backup.time);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(made.c_str());  // only read
        const int row = m_list.InsertItem(item);
        if (backup.unusable == 0)
            m_list.SetItemText(row, 1, std::to_string(backup.rows.size()).c_str());
        m_list.SetItemText(row, 2, Effect(backup).c_str());
    }
    GetDlgItem(IDOK).EnableWindow(false);
    if (m_backups.empty()) {
        // Nothing to choose: Cancel takes the default and the focus.
        SendMessage(DM_SETDEFID, IDCANCEL);
        ::SetFocus(GetDlgItem(IDCANCEL).m_hWnd);
        return false;
    }
    m_list.SetItemState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    return true;  // the focus goes to the first tab stop, the list
}

std::string CRestoreDlg::Effect(const CPrefixBackups::Backup& backup) const
{
    if (backup.unusable != 0)
        return FormattedText(IDS_BACKUP_UNUSABLE, LoadText(backup.unusable));
    const CPrefixBackups::Changes changes = CPrefixBackups::Compare(m_now, backup.rows);
    const std::string separator = static_cast<const char*>(LoadText(IDS_LIST_SEPARATOR));
    return FormattedText(IDS_RESTORE_ADDS, std::to_string(changes.added).c_str()) + separator +
           FormattedText(IDS_RESTORE_CHANGES, std::to_string(changes.changed).c_str()) + separator +
           FormattedText(IDS_RESTORE_REMOVES, std::to_string(changes.removed).c_str());
}

int CRestoreDlg::Selected() const
{
    return static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CRestoreDlg::OnItemChangedList(NMHDR*, LRESULT* result)
{
    *result = 0;
    const int row = Selected();
    GetDlgItem(IDOK).EnableWindow(row >= 0 && m_backups[static_cast<size_t>(row)].unusable == 0);
}

void CRestoreDlg::OnDoubleClickList(NMHDR*, LRESULT* result)
{
    *result = 0;
    OnOK();
}

void CRestoreDlg::OnOK()
{
    const int row = Selected();
    if (row < 0 || m_backups[static_cast<size_t>(row)].unusable != 0)
        return;  // Enter on a backup that cannot be restored
    m_chosen = static_cast<size_t>(row);
    CDialog::OnOK();
}
