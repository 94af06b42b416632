#pragma once

#include "framework/Wnd.h"

#include <string>

class CPrefixListCtrl;

// The main dialog's commands that carry prefixes in and out: Import and
// Export of files, Import from browser and Restore from backup. Each asks
// for what it needs, changes only the table, and reports in a message box.
class CExchangeCommands {
public:
    CExchangeCommands(const CWnd& owner, CPrefixListCtrl& table);

    void Import();
    void Export();
    void ImportFromBrowser();
    // Makes the table exactly a backup's prefixes, as edits.
    void Restore();

    // These commands at the end of the window's system menu, and the
    // command of a system-menu item there (0 for another).
    static void AppendTo(HMENU systemMenu);
    static UINT CommandOf(UINT systemCommand);

private:
    void ShowMessage(const std::string& text, UINT icon) const;

    const CWnd& m_owner;
    CPrefixListCtrl& m_table;
};
