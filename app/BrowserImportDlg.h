#pragma once

#include "app/PrefixListCtrl.h"
#include "exchange/ImportCandidates.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"

#include <map>
#include <string>
#include <vector>

// "Import from a browser": the shortcuts found, each with a check box, and
// what was left out. Checking a row unchecks the others for its prefix;
// Import takes the checked rows and is enabled only while there are some.
class CBrowserImportDlg : public CDialog {
public:
    CBrowserImportDlg(HWND parent, const CImportCandidates& candidates);

    // The rows checked when Import was pressed.
    const std::vector<CPrefixListCtrl::Row>& GetChosenRows() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    void OnOK() override;
    void OnItemChangedList(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    void ShowSummary(const char* text);

    const CImportCandidates& m_candidates;
    CListCtrl m_list;
    std::map<std::string, std::vector<int>> m_rowsOfPrefix;
    int m_checkedCount = 0;
    bool m_filling = false;
    std::vector<CPrefixListCtrl::Row> m_chosen;
};
