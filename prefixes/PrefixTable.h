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
    CPrefixStore::Report Save() { return m_store.Save(m_bKeyMissing); }

    // Every row, by its prefix; and in the order the dialog's list shows
    // them.
    const std::map<std::string, CString>& Rows() const { return m_rows; }
    std::vector<Row> GetRows() const { return InListOrder(m_rows); }
    static std::vector<Row> InListOrder(const std::map<std::string, CString>& rows);
    // Whether setting the prefix to the URL would add its row or change it.
    bool WouldChange(const char* prefix, const char* url) const;

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
