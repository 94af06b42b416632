#pragma once

#include "prefixes/PrefixRules.h"
#include "prefixes/PrefixStore.h"

#include <map>
#include <string>
#include <vector>

// The prefix table without a window, for the command line: the rows the
// dialog's list would show of the key, by the same rules, and the user's
// edits kept by the store so that a save writes exactly them.
class CPrefixTable {
public:
    using Row = PrefixRow;
    // Done, or why not: the rules' verdict, or the table's own reason.
    struct Result {
        enum Kind { kDone, kRefused, kNoSuchPrefix, kPrefixTaken };
        Kind kind;
        CPrefixRules::Verdict why;
        bool Done() const { return kind == kDone; }
    };

    CPrefixStore::Report Load();
    CPrefixStore::Report Save() { return m_store.Save(); }

    // Every row, by its prefix; and in the order the dialog's list shows
    // them.
    const std::map<std::string, CString>& Rows() const { return m_rows; }
    std::vector<Row> GetRows() const { return InListOrder(m_rows); }
    static std::vector<Row> InListOrder(const std::map<std::string, CString>& rows);
    // Whether setting the prefix to the URL would add its row or change it.
    bool WouldChange(const char* prefix, const char* url) const;

    Result AddOrUpdatePrefix(const char* prefix, const char* url);
    // Each finds a prefix that is in the key, whatever other processes
    // changed while it was read.
    Result RenamePrefix(const char* from, const char* to);
    Result RemovePrefix(const char* prefix);

private:
    // A row read from the key, or a stored prefix a user's row had hid.
    void Show(const Row& stored);
    // The row of a prefix named, looked up in the key itself when the
    // reading did not meet it.
    std::map<std::string, CString>::iterator Find(const char* prefix);

    CPrefixStore m_store;
    std::map<std::string, CString> m_rows;
};
