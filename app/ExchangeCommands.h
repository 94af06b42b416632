#pragma once

#include "framework/Wnd.h"

#include <string>

class CPrefixListCtrl;

// The main dialog's commands that carry prefixes in and out: Import and
// Export of .reg and bookmarks files, and Import from browser. Each asks
// for what it needs, changes only the table, and reports in a message box.
class CExchangeCommands {
public:
    CExchangeCommands(const CWnd& owner, CPrefixListCtrl& table);

    void Import();
    void Export();
    void ImportFromBrowser();

private:
    void ShowMessage(const std::string& text, UINT icon) const;

    const CWnd& m_owner;
    CPrefixListCtrl& m_table;
};
