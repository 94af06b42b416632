#pragma once

#include "exchange/PrefixBackups.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"

#include <string>
#include <vector>

// "Restore from backup": the backups, newest first, each with when it was
// made, how many prefixes it holds and what restoring it would add, change
// and remove in the table; or why it cannot be restored. Restore is enabled
// only on a backup that can be.
class CRestoreDlg : public CDialog {
public:
    CRestoreDlg(HWND parent, std::vector<CPrefixBackups::Backup> backups, const std::vector<PrefixRow>& now);

    // The backup chosen when Restore was pressed.
    const CPrefixBackups::Backup& GetChosen() const { return m_backups[m_chosen]; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    void OnOK() override;
    void OnItemChangedList(NMHDR* header, LRESULT* result);
    // A double-click restores the backup, as Restore does.
    void OnDoubleClickList(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()

private:
    // What restoring the backup would do to the table, or why it cannot be
    // restored.
    std::string Effect(const CPrefixBackups::Backup& backup) const;
    int Selected() const;

    const std::vector<CPrefixBackups::Backup> m_backups;
    const std::vector<PrefixRow>& m_now;
    CListCtrl m_list;
    size_t m_chosen = 0;
};
