#pragma once

#include <string>

#include <windows.h>
#include <shlobj.h>

// The current user's folders as the shell knows them (FOLDERID_...).
class CKnownFolder {
public:
    // The folder's path; empty when the shell has none for this user.
    static std::wstring GetPath(REFKNOWNFOLDERID id);
};
