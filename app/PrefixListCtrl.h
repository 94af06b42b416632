#pragma once

#include "exchange/PrefixBackups.h"
#include "framework/ListCtrl.h"
#include "prefixes/PrefixRules.h"
#include "prefixes/PrefixStore.h"

#include <string>
#include <unordered_map>
#include <vector>

// The prefix table: the rows of the dialog's list control are the data.
// Column 0 holds the prefix (non-empty, upper-cased, unique), column 1 its
// URL template. Every change sets the modified flag. Requests that cannot
// be carried out change nothing and report nothing.
class CPrefixListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CPrefixListCtrl)

public:
    static constexpr int kPrefixColumn = 0;
    static constexpr int kUrlColumn = 1;

    void InitColumns();
    // Exact comparison; the text is not upper-cased.
    int FindPrefix(const char* prefix) const;
    CString GetUrl(const char* prefix) const;
    // Whether setting the prefix to the URL would add its row or change it,
    // and what the rules say of it.
    bool WouldChange(const char* prefix, const char* url) const;
    CPrefixRules::Verdict Judge(const char* prefix, const char* url) const;
    using Row = PrefixRow;
    // The row at `item`, and every row in the table's order.
    Row GetRow(int item) const;
    std::vector<Row> GetRows() const;

    // False when the prefix or URL is refused (the table is unchanged then).
    bool AddOrUpdatePrefix(const char* prefix, const char* url);
    // As AddOrUpdatePrefix for each row in turn, with the rows new to the
    // table inserted in one batch; how many rows were taken.
    int AddOrUpdatePrefixes(const std::vector<Row>& rows);
    void RenamePrefix(int item, const char* newPrefix);
    void RemovePrefix(const char* prefix);
    bool IsModified() const { return m_bModified; }

    // The table's link with the browser's SearchUrl key, through the store;
    // what fails is shown to the user here.
    void LoadPrefixes();
    void AddDefaultPrefixes();
    // True when the key now holds the table's edits. The key is backed up
    // before the first save; a backup that cannot be made is told, once,
    // and the save goes on.
    bool SavePrefixes();
    // Reads the key again and shows what changed there in every row the
    // user has not edited, without a word and leaving the modified flag.
    // False, with the table unchanged, when the key could not be read
    // through.
    bool RefreshPrefixes();
    bool WasLoadClean() const { return m_store.WasLoadClean(); }

protected:
    bool m_bModified = false;

private:
    // The rules' verdict, with the prefix upper-cased.
    CPrefixRules::Verdict MakeRow(const char* prefix, const char* url, CString& upper) const;
    // The row of the prefix, added or updated; -1 when refused. SetRow
    // takes an upper-cased prefix the rules have judged, or a stored one.
    int AddOrUpdateRow(const char* prefix, const char* url);
    int SetRow(const char* upper, const char* url);
    // AddOrUpdatePrefixes, noting the rows as the user's edits or not.
    int AddOrUpdateRows(const std::vector<Row>& rows, bool byUser);
    // Removes the row of an upper-cased prefix; false when there is none.
    bool RemoveRow(const char* prefix);
    // Shows a stored prefix that the user's own row of its name hid.
    void ShowUncovered(const Row& stored);
    // Shows a new reading of the key in the rows the user has not edited.
    void ApplyUpdate(const CStoredPrefixes::Update& update);
    // Inserts rows new to the table, unique and valid, where the sorted
    // control puts the same rows inserted one at a time, without its search
    // at every insert.
    void InsertInOrder(const std::vector<Row>& rows);
    void IndexInsertedRow(int item, const char* prefix);
    void IndexRemovedRow(int item, const char* prefix);
    void ShowReport(const CPrefixStore::Report& report) const;

    CPrefixStore m_store;
    // Made before the first save of the dialog.
    CPrefixBackups m_backups;
    // Each row's index by its prefix, kept beside the control so that
    // finding a prefix does not read every row.
    std::unordered_map<std::string, int> m_rowOf;

    DECLARE_MESSAGE_MAP()
};
