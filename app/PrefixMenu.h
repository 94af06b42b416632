#pragma once

#include "framework/Wnd.h"

class CPrefixListCtrl;

// The prefix list's context menu: where it appears, which of its items
// need a selected row, and Try search, its one command of its own. The
// other commands go to the owner as WM_COMMAND, as from any menu.
class CPrefixMenu {
public:
    // What Try search types after the prefix.
    static const char kTryQuery[];

    CPrefixMenu(const CWnd& owner, CPrefixListCtrl& list);

    // For the row (-1: none selected), at a point on the screen, or below
    // the row when asked from the keyboard (-1, -1).
    void Track(int row, POINT point) const;
    // Opens the row's URL with the test query, as the address bar would.
    void TrySearch(int row) const;

private:
    POINT KeyboardPoint(int row) const;

    const CWnd& m_owner;
    CPrefixListCtrl& m_list;
};
