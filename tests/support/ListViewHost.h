#pragma once

#include <vector>

#include <windows.h>
#include <commctrl.h>

// A real list-view control, with the main dialog's styles, in a hidden
// ANSI parent window that records the list's item-changed notifications.
class ListViewHost {
public:
    struct ItemChange {
        int item;
        UINT oldState;
        UINT newState;
    };

    ListViewHost();
    ~ListViewHost();
    ListViewHost(const ListViewHost&) = delete;
    ListViewHost& operator=(const ListViewHost&) = delete;

    HWND List() const { return m_list; }
    HWND Parent() const { return m_parent; }

    // The item-changed notifications that reported a state change.
    const std::vector<ItemChange>& StateChanges() const;
    void ForgetNotifications();

private:
    HWND m_parent = nullptr;
    HWND m_list = nullptr;
};
