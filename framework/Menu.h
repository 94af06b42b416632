#pragma once

#include <windows.h>

// A menu from the program's resources, destroyed with the object.
class CMenu {
public:
    CMenu() = default;
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    bool LoadMenu(UINT resourceId);
    // The pop-up at `position`, owned by this menu; null when there is none.
    HMENU GetSubMenu(int position) const;
    // Appends a command to any menu, its text from the string table;
    // nothing when the string is missing.
    static void AppendString(HMENU menu, UINT command, UINT textId);

    HMENU m_hMenu = nullptr;
};
