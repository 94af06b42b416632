#pragma once

#include "app/ExchangeCommands.h"
#include "app/KeyFollower.h"
#include "app/PrefixEdit.h"
#include "app/PrefixListCtrl.h"
#include "app/PrefixMenu.h"
#include "framework/Button.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/Icon.h"
#include "prefixes/SearchUrlCatalog.h"

// The main dialog: the prefix table, the fields to edit one prefix, the
// catalogue of services, and committing to the registry.
class CSearchPrefixDlg : public CDialog {
public:
    // Posted to itself once a catalogue entry has been chosen in the URL box.
    static const UINT WM_CATALOGUE_CHOICE = WM_APP + 1;
    static const char kWebPage[];

    explicit CSearchPrefixDlg(HWND parent = nullptr);
    ~CSearchPrefixDlg() override;

    bool PreTranslateMessage(MSG* message) override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    void OnOK() override;
    void OnLoopEvent() override;

    LRESULT OnCatalogueChoice(WPARAM, LPARAM);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    void OnTimer(UINT_PTR id);
    HCURSOR OnQueryDragIcon();
    void OnItemChangedPrefixList(NMHDR* header, LRESULT* result);
    void OnAdd();
    void OnRemove();
    void OnApply();
    void OnSelEndOkUrlCombo();
    void OnUpdateAdd(CCmdUI* update);
    void OnUpdateRemove(CCmdUI* update);
    void OnUpdateApply(CCmdUI* update);
    void OnMouseMove(UINT keys, POINT point);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    void OnOnlineResources();
    void OnFieldFocus();
    void OnChangePrefix();
    LRESULT OnMove(WPARAM, LPARAM);
    void OnEndLabelEditPrefixList(NMHDR* header, LRESULT* result);
    void OnKeyDownPrefixList(NMHDR* header, LRESULT* result);
    void OnContextMenu(CWnd* window, POINT point);
    void OnRenameSelected();
    void OnRemoveSelected();
    void OnTrySearch();
    void OnImport();
    void OnExport();
    void OnImportFromBrowser();
    void OnRestore();

    // Shows the description of the field in use; code 4 when the mouse is
    // over "Online Resources...".
    void UpdateDescription(int code);

    DECLARE_MESSAGE_MAP()

private:
    CString PrefixText() const { return m_prefixEdit.GetWindowText(); }
    CString UrlText() const { return m_urlCombo.GetWindowText(); }
    void ClearFields();
    void ShowRowInFields(int row);
    int SelectedRow() const;
    // The selected row, or -1 also while a label is being edited.
    int RowToChange() const;
    // After an import, which may have changed the selected row's URL.
    void ShowSelectedRowInFields();

    CIcon m_icon;       // at the size the system asks for a window's icon
    CIcon m_smallIcon;  // and for its small icon
    CSearchUrlCatalog m_catalog;
    CPrefixListCtrl m_prefixList;
    CPrefixEdit m_prefixEdit;
    CComboBox m_urlCombo;
    CButton m_addButton;
    CButton m_removeButton;
    CPrefixMenu m_prefixMenu;
    CExchangeCommands m_exchange;
    CKeyFollower m_follower;
    CString m_addCaption;
    CString m_updateCaption;
};
