#pragma once

#include "registry/KeyWatch.h"

#include <windows.h>

class CPrefixListCtrl;
class CWnd;

// Keeps the table in step with the SearchUrl key while the dialog is open:
// watches the key and, once a burst of changes there has settled, reads it
// again into every row the user has not edited.
class CKeyFollower {
public:
    // The dialog's timer that ends the settling.
    static const UINT_PTR kTimerId = 1;

    CKeyFollower(CWnd& owner, CPrefixListCtrl& table);

    // Starts watching, before the table's first reading; the event that the
    // owner's modal loop waits on.
    HANDLE Start();
    // The event has been set: something below the key, or the key itself,
    // changed.
    void OnChange();
    // A timer of the owner's has come; only kTimerId is this object's.
    void OnTimer(UINT_PTR id);
    // True while the table takes in a reading: its rows change under the
    // dialog, not by the user.
    bool IsRefreshing() const { return m_refreshing; }

private:
    void Watch();

    CWnd& m_owner;
    CPrefixListCtrl& m_table;
    Tessaly::CKeyWatch m_watch;
    bool m_onKey = false;      // watching the key itself, not a key above it
    DWORD m_burstStart = 0;    // tick of the first change not read yet
    bool m_settling = false;
    bool m_refreshing = false;
};
