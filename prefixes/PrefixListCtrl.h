#pragma once

#include "framework/ListCtrl.h"

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

protected:
    bool m_bModified = false;

    DECLARE_MESSAGE_MAP()
};
