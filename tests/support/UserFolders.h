#pragma once

#include "tests/support/BrowserProfiles.h"
#include "tests/support/ImportTable.h"

#include <string>

// The user's local and roaming application data folders, as the shell names
// them to this executable, made afresh in a temporary folder: where tests
// leave browser profiles for the program to find. One at a time.
class UserFolders {
public:
    UserFolders();

    TempFolder root;
    const std::wstring local;    // root\Local
    const std::wstring roaming;  // root\Roaming

private:
    ImportSwap m_shell;
};
