#pragma once

#include "framework/ListCtrl.h"
#include "prefixes/StoredPrefixes.h"
#include "prefixes/SubkeyNames.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace Tessaly {
class CRegistryKey;
}

// The prefix table: the rows of the dialog's list control are the data.
// Column 0 holds the prefix (non-empty, upper-cased, unique), column 1 its
// URL template. Every change sets the modified flag. Requests that cannot
// be carried out change nothing and report nothing.
class CPrefixListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CPrefixListCtrl)

public:
    static constexpr int kPrefixColumn = 0;
    static constexpr int kUrlColumn = 1;
    // The browser's key of prefixes, below HKEY_CURRENT_USER.
    static constexpr const char* kKeyPath = "Software\\Microsoft\\Internet Explorer\\SearchUrl";

    // A prefix is also a registry key name: it must not be empty, contain a
    // backslash (a path separator there) or exceed 255 characters.
    static bool IsValidPrefix(const char* prefix, UINT codePage = CP_ACP);

    void InitColumns();
    // Exact comparison; the text is not upper-cased.
    int FindPrefix(const char* prefix) const;
    CString GetUrl(const char* prefix) const;
    using Row = PrefixRow;

    // False when the prefix or URL is refused (the table is unchanged then).
    bool AddOrUpdatePrefix(const char* prefix, const char* url);
    // As AddOrUpdatePrefix for each row in turn, with the rows new to the
    // table inserted in one batch; how many rows were taken.
    int AddOrUpdatePrefixes(const std::vector<Row>& rows);
    void RenamePrefix(int item, const char* newPrefix);
    void RemovePrefix(const char* prefix);
    bool IsModified() const { return m_bModified; }

    // The store: the table's link with the browser's SearchUrl key. A
    // subkey that cannot be shown as it is stored is passed over and kept.
    void LoadPrefixes();
    void AddDefaultPrefixes();
    // Writes the rows the user added, changed or renamed over their subkeys,
    // then deletes the subkeys of the prefixes removed or renamed away; no
    // other subkey is touched. True when the key now holds the table's
    // edits; a failure has been shown to the user.
    bool SavePrefixes();
    // Reads the key again and shows what changed there in every row the
    // user has not edited, without a word and leaving the modified flag.
    // False, with the table unchanged, when the key could not be read
    // through (its absence is read as no prefixes).
    bool RefreshPrefixes();
    // True after a load that read every subkey of the key; only then may an
    // empty table be saved over the key at once.
    bool WasLoadClean() const { return m_bLoadClean; }

    // How the store shows its errors; tests put a recorder here.
    using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
    static MessageBoxFunction s_messageBox;

protected:
    bool m_bModified = false;

private:
    struct PendingRow;

    // The row of the prefix, added or updated; -1 when refused.
    int AddOrUpdateRow(const char* prefix, const char* url);
    // AddOrUpdatePrefixes, noting the rows as the user's edits or not.
    int AddOrUpdateRows(const std::vector<Row>& rows, bool byUser);
    // Removes the row of an upper-cased prefix; false when there is none.
    bool RemoveRow(const char* prefix);
    // Shows a stored prefix that the user's own row of its name hid.
    void ShowUncovered(const Row& stored);
    // Reads the key's prefixes into `shown` and the subkeys passed over into
    // `skipped` (those named exactly also into `kept`); false, with the
    // system's error, when the key could not be walked to its end.
    bool ReadKey(std::vector<Row>& shown, std::vector<CString>& skipped, CSubkeyNames& kept,
                 DWORD& error);
    // Shows a new reading of the key in the rows the user has not edited.
    void ApplyUpdate(const CStoredPrefixes::Update& update);
    // Inserts rows new to the table, unique and valid, where the sorted
    // control puts the same rows inserted one at a time, without its search
    // at every insert.
    void InsertInOrder(const std::vector<Row>& rows);
    void IndexInsertedRow(int item, const char* prefix);
    void IndexRemovedRow(int item, const char* prefix);
    std::vector<PendingRow> PendingRows(std::vector<CString>& kept) const;
    bool WriteRows();
    // Writes the rows; `order` names those written, in the order written.
    void WriteInOrder(Tessaly::CRegistryKey& searchUrl, std::vector<PendingRow>& pending,
                      std::vector<size_t>& order);
    CString SetAside(Tessaly::CRegistryKey& searchUrl, const PendingRow& row);
    bool DeleteRemovedSubkeys();
    void ShowError(const char* text) const;

    bool m_bLoadClean = false;
    // What the key held as last read or written, and the user's edits since.
    // Only subkeys shown there may a save delete; any other subkey holds a
    // prefix the user has never seen here.
    CStoredPrefixes m_stored;
    // The subkeys the last reading passed over: no row is ever written over
    // them.
    CSubkeyNames m_keptSubkeys;
    // Each row's index by its prefix, kept beside the control so that
    // finding a prefix does not read every row.
    std::unordered_map<std::string, int> m_rowOf;

    DECLARE_MESSAGE_MAP()
};
