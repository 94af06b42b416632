#pragma once

#include "framework/ListCtrl.h"
#include "framework/StringArray.h"

// The prefix table: the rows of the dialog's list control are the data.
// Column 0 holds the prefix (non-empty, upper-cased, unique), column 1 its
// URL template. Every change sets the modified flag. Requests that cannot
// be carried out change nothing and report nothing.
class CPrefixListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CPrefixListCtrl)

public:
    // A prefix is also a registry key name: it must not be empty, contain a
    // backslash (a path separator there) or exceed 255 characters.
    static bool IsValidPrefix(const char* prefix, UINT codePage = CP_ACP);

    void InitColumns();
    // Exact comparison; the text is not upper-cased.
    int FindPrefix(const char* prefix) const;
    CString GetUrl(const char* prefix) const;
    void AddOrUpdatePrefix(const char* prefix, const char* url);
    void RenamePrefix(int item, const char* newPrefix);
    void RemovePrefix(const char* prefix);
    bool IsModified() const { return m_bModified; }

    // The store: the table's link with the browser's SearchUrl key.
    void LoadPrefixes();
    void AddDefaultPrefixes();
    void SavePrefixes();
    // True after a load that read every subkey of the key; only then may an
    // empty table be saved over the key at once.
    bool WasLoadClean() const { return m_bLoadClean; }

    // How the store shows its errors; tests put a recorder here.
    using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
    static MessageBoxFunction s_messageBox;

protected:
    bool m_bModified = false;

private:
    bool MayDeleteSubkey(const char* name) const;
    void ShowError(const char* text) const;

    // After a load that could not read everything, a save deletes only the
    // subkeys the load read, and those the table now has rows for; the
    // others hold prefixes the user has never seen.
    bool m_bLoadClean = false;
    CStringArray m_readSubkeys;

    DECLARE_MESSAGE_MAP()
};
