#pragma once

#include "prefixes/PrefixStore.h"

#include <map>
#include <string>
#include <vector>

// The prefix table without a window, for the command line: the rows the
// dialog's list would show of the key, with its rules (prefixes upper-cased,
// valid and unique; URLs not empty), and the user's edits kept by the store
// so that a save writes exactly them.
class CPrefixTable {
public:
    using Row = PrefixRow;
    enum Result {
        kDone,
        kInvalidPrefix,  // empty, a backslash, or too long
        kEmptyUrl,
        kNoSuchPrefix,
        kPrefixTaken,    // a rename onto a row that is there
    };

    CPrefixStore::Report Load();
    // Also makes the key, when none was there and there are rows to write.
    CPrefixStore::Report Save();

    // Every row, in the order the dialog's list shows them.
    std::vector<Row> GetRows() const;
    // The row's URL; null when the upper-cased prefix has no row.
    const CString* FindUrl(const char* prefix) const;

    Result AddOrUpdatePrefix(const char* prefix, const char* url);
    Result RenamePrefix(const char* from, const char* to);
    Result RemovePrefix(const char* prefix);

private:
    // A row read from the key, or a stored prefix a user's row had hid.
    void Show(const Row& stored);

    CPrefixStore m_store;
    bool m_bKeyMissing = false;
    std::map<std::string, CString> m_rows;
};
